#include "interchange/ExportFile.h"

#include "interchange/ExportFormats.h"

#include "core/EngNumber.h"
#include "core/RegularFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

std::optional<ExportKind> ExportKindFor(std::string_view path)
{
    const std::string extension = FileExtension(path);
    if (extension == "SR")
        return ExportKind::SigrokSession;
    if (extension == "WAV")
        return ExportKind::Wav;
    return std::nullopt;
}

QString WriteExportFile(const QString& path, ExportKind kind, const WaveRecord& record)
{
    const ExportBytes made = kind == ExportKind::SigrokSession ? FormatSigrokSession(record)
                             : kind == ExportKind::Wav         ? FormatWavAudio(record)
                                                               : FormatSiCsv(record);
    const QString failure = QStringLiteral("「%1」に書き出せませんでした。\n").arg(QDir::toNativeSeparators(path));
    if (!made.problem.empty())
        return failure + QString::fromStdString(made.problem);
    const bool existed = QFileInfo::exists(path);
    if (const FileProblem problem = ReplaceRegularFile(QFile::encodeName(path).toStdString(), made.bytes)) {
        QString text = failure + QString::fromStdString(FileProblemText(problem));
        if (existed)
            text += QStringLiteral("\n以前のファイルはそのまま残っています。");
        return text;
    }
    return {};
}
