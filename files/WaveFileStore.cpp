#include "files/WaveFileStore.h"

#include "files/ShiftJis.h"
#include "files/WaveFileReader.h"
#include "files/WaveFileWriter.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

QString problemText(WaveFileProblem::Kind kind)
{
    return QString::fromStdString(WaveFileProblemText(kind));
}

QString readFailure(const QString& path, const QString& why)
{
    return QStringLiteral("波形ファイル「%1」を読み込めませんでした。\n%2\n表示中の波形は変わっていません。")
        .arg(QFileInfo(path).fileName(), why);
}

QString writeFailure(const QString& path, const QString& why, bool existed)
{
    QString text = QStringLiteral("波形ファイル「%1」に保存できませんでした。\n%2").arg(QFileInfo(path).fileName(), why);
    if (existed)
        text += QStringLiteral("\n以前のファイルはそのまま残っています。");
    return text;
}

} // namespace

QString ReadWaveFile(const QString& path, WaveFileKind kind, WaveRecord& record)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return readFailure(path, QStringLiteral("ファイルを開けません（%1）。").arg(file.errorString()));
    if (file.size() > kMaxWaveFileBytes)
        return readFailure(path, QStringLiteral("波形ファイルとしては大きすぎます。"));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return readFailure(path, QStringLiteral("ファイルを読めません（%1）。").arg(file.errorString()));

    const WaveFileRead read =
        ParseWaveFile(std::string_view(bytes.constData(), std::size_t(bytes.size())), kind, Cp932ToUtf8);
    if (!read.content) {
        const QString where = read.problem.line > 0 ? QStringLiteral("%1 行目：").arg(read.problem.line) : QString();
        return readFailure(path, where + problemText(read.problem.kind));
    }
    ApplyWaveFile(*read.content, record);
    return {};
}

QString WriteWaveFile(const QString& path, WaveFileKind kind, const WaveRecord& record)
{
    const bool existed = QFileInfo::exists(path);
    const WaveFileText text = FormatWaveFile(record, kind, Utf8ToCp932);
    if (text.problem.kind != WaveFileProblem::Kind::None)
        return writeFailure(path, problemText(text.problem.kind), existed);

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return writeFailure(path, QStringLiteral("ファイルを作れません（%1）。").arg(file.errorString()), existed);
    const qint64 size = qint64(text.bytes.size());
    if (file.write(text.bytes.data(), size) != size || !file.commit())
        return writeFailure(path, QStringLiteral("書き込めません（%1）。").arg(file.errorString()), existed);
    return {};
}
