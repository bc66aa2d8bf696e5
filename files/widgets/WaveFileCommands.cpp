#include "files/widgets/WaveFileCommands.h"

#include "ui/Prompts.h"
#include "files/WaveFileStore.h"
#include "interchange/ExportFile.h"

namespace {

std::optional<WaveFileKind> kindOf(const QString& path)
{
    return WaveFileKindFor(path.toStdString());
}

// The Save dialog's entry whose .csv is the SI export, not the instrument's file.
constexpr int kSiCsvFilter = 4;

} // namespace

QString WaveFileFilter()
{
    // Where file names are case-sensitive, "wave.csv" needs a pattern of its own to be listed.
#if defined(Q_OS_WIN) || defined(Q_OS_DARWIN)
    return QStringLiteral("MIRAVO標準 ASCII(*.CSV);;ユーティリティー標準 ASCII(*.RAW)");
#else
    return QStringLiteral("MIRAVO標準 ASCII(*.CSV *.csv);;ユーティリティー標準 ASCII(*.RAW *.raw)");
#endif
}

QString WaveSaveFilter()
{
#if defined(Q_OS_WIN) || defined(Q_OS_DARWIN)
    return WaveFileFilter() + QStringLiteral(";;sigrok セッション(*.sr);;WAV 音声(*.wav);;CSV（SI 単位）(*.csv)");
#else
    return WaveFileFilter()
        + QStringLiteral(";;sigrok セッション(*.sr *.SR);;WAV 音声(*.wav *.WAV);;CSV（SI 単位）(*.csv *.CSV)");
#endif
}

void SaveWaveFile(QWidget* parent, Prompts& prompts, const WaveRecord& record)
{
    const std::optional<Prompts::SaveName> chosen = prompts.saveFileName(parent, kWaveSaveTitle, WaveSaveFilter(), 0);
    if (!chosen)
        return;
    const QString& path = chosen->path;
    const std::optional<WaveFileKind> kind = kindOf(path);
    std::optional<ExportKind> exported = ExportKindFor(path.toStdString());
    if (kind == WaveFileKind::Csv && chosen->filter == kSiCsvFilter)
        exported = ExportKind::SiCsv;
    if (exported) {
        if (const QString failure = WriteExportFile(path, *exported, record); !failure.isEmpty())
            prompts.tell(parent, QString(), failure);
        return;
    }
    if (!kind) {
        prompts.tell(parent, QStringLiteral("拡張子不正の警告"),
                     QStringLiteral("拡張子が異常です！\r\n拡張子は \"CSV\" または \"RAW\" を選択してください。"));
        return;
    }
    const WaveFileSaved saved = WriteWaveFile(path, *kind, record);
    if (!saved.failure.isEmpty())
        prompts.tell(parent, QString(), saved.failure);
    else if (saved.titleChanged)
        prompts.tell(parent, QString(), kTitleChangedNotice, QMessageBox::Information);
}

bool LoadWaveFile(QWidget* parent, Prompts& prompts, WaveRecord& record, QString* note)
{
    const std::optional<QString> path = prompts.openFileName(parent, kWaveLoadTitle, WaveFileFilter(), 0);
    return path && LoadNamedWaveFile(parent, prompts, *path, record, note);
}

bool LoadNamedWaveFile(QWidget* parent, Prompts& prompts, const QString& path, WaveRecord& record, QString* note)
{
    const std::optional<WaveFileKind> kind = kindOf(path);
    if (!kind) {
        prompts.tell(parent, QString(), QStringLiteral("予期しないエラーです！"));
        return false;
    }
    const WaveFileLoaded loaded = ReadWaveFile(path, *kind, record);
    if (!loaded.failure.isEmpty()) {
        prompts.tell(parent, QString(), loaded.failure);
        return false;
    }
    if (note)
        *note = loaded.note;
    return true;
}
