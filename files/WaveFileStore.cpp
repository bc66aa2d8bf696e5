#include "files/WaveFileStore.h"

#include "files/ShiftJis.h"
#include "files/WaveFileReader.h"
#include "files/WaveFileWriter.h"

#include "core/RegularFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QString problemText(WaveFileProblem::Kind kind)
{
    return QString::fromStdString(WaveFileProblemText(kind));
}

std::filesystem::path localPath(const QString& path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

QString shownPath(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// A Load keeps the waveform shown; a file named at start is one that could not be opened.
enum class Opening { Load, AtStart };

WaveFileLoaded readFailure(const QString& path, const QString& why, Opening opening)
{
    if (opening == Opening::AtStart)
        return {QStringLiteral("波形ファイル「%1」を開けませんでした。\n%2").arg(shownPath(path), why), {}};
    return {QStringLiteral("波形ファイル「%1」を読み込めませんでした。\n%2\n").arg(shownPath(path), why) + kDisplayUnchanged, {}};
}

WaveFileLoaded readWaveFile(const QString& path, WaveFileKind kind, WaveRecord& record, Opening opening)
{
    const FileBytes file = ReadRegularFile(localPath(path), kMaxWaveFileBytes);
    if (file.problem.kind == FileProblem::Kind::TooLarge)
        return readFailure(path, QStringLiteral("波形ファイルとしては大きすぎます（%1 MB まで）。").arg(kMaxWaveFileBytes >> 20),
                           opening);
    if (file.problem)
        return readFailure(path, QString::fromStdString(FileProblemText(file.problem)), opening);

    const WaveFileRead read = ParseWaveFile(file.bytes, kind, Cp932ToUtf8);
    if (!read.content) {
        const QString where = read.problem.line > 0 ? QStringLiteral("%1 行目：").arg(read.problem.line) : QString();
        return readFailure(path, where + problemText(read.problem.kind), opening);
    }
    ApplyWaveFile(*read.content, record);
    if (read.lastLineUnended)
        return {{}, QStringLiteral("波形ファイル「%1」の最後の行に行末がありません。途中で切れているかもしれません。").arg(shownPath(path))};
    return {};
}

QString writeFailure(const QString& path, const QString& why, bool existed)
{
    QString text = QStringLiteral("波形ファイル「%1」に保存できませんでした。\n%2").arg(shownPath(path), why);
    if (existed)
        text += QStringLiteral("\n以前のファイルはそのまま残っています。");
    return text;
}

} // namespace

WaveFileLoaded ReadWaveFile(const QString& path, WaveFileKind kind, WaveRecord& record)
{
    return readWaveFile(path, kind, record, Opening::Load);
}

WaveFileLoaded ReadStartWaveFile(const QString& path, WaveRecord& record)
{
    const std::optional<WaveFileKind> kind = WaveFileKindFor(path.toStdString());
    if (!kind)
        return readFailure(path, QStringLiteral("波形ファイルの拡張子は CSV か RAW です。"), Opening::AtStart);
    return readWaveFile(path, *kind, record, Opening::AtStart);
}

WaveFileSaved WriteWaveFile(const QString& path, WaveFileKind kind, const WaveRecord& record)
{
    const WaveFileText text = FormatWaveFile(record, kind, Utf8ToCp932);
    if (const FileProblem problem = ReplaceRegularFile(localPath(path), text.bytes)) {
        return {writeFailure(path, QString::fromStdString(FileProblemText(problem)), QFileInfo::exists(path))};
    }
    return {{}, text.titleChanged};
}
