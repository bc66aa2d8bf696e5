#include "logger/LogFile.h"

#include <QDir>
#include <QFileInfo>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

// The tail read to find the last row of a continued log: far more than one row holds.
constexpr qint64 kTailBytes = 64 * 1024;

QString named(const QString& path, const QString& sentence)
{
    return QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), sentence);
}

bool flushToDisk(QFile& file)
{
    if (!file.flush())
        return false;
#ifdef Q_OS_WIN
    return ::_commit(file.handle()) == 0;
#else
    return ::fsync(file.handle()) == 0;
#endif
}

} // namespace

QString LogFile::field(const QString& text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n'))
        && !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString LogFile::open(const QString& path, const QStringList& header)
{
    m_path = path;
    m_lastCapture = 0;
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return named(path, QStringLiteral("通常のファイルではないため、ログに使えません。"));
    if (!info.exists() && !info.dir().exists())
        return named(path, QStringLiteral("保存先のフォルダーがありません。"));

    const QByteArray headerLine = header.join(QLatin1Char(',')).toUtf8() + '\n';
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadWrite))
        return named(path, QStringLiteral("ログファイルを開けません（%1）。").arg(m_file.errorString()));
    if (!QFileInfo(m_file.fileName()).isFile()) {
        m_file.close();
        return named(path, QStringLiteral("通常のファイルではないため、ログに使えません。"));
    }
    const qint64 size = m_file.size();
    if (size == 0) {
        if (m_file.write(headerLine) != headerLine.size() || !flushToDisk(m_file)) {
            m_file.close();
            return named(path, QStringLiteral("ログファイルに書き込めません（ディスクの空きを確かめてください）。"));
        }
        return {};
    }

    const QByteArray firstLine = m_file.readLine(headerLine.size() + 1);
    if (firstLine != headerLine) {
        m_file.close();
        return named(path, QStringLiteral("列の見出しが違うログファイルです。別のファイルを指定してください（ファイルは変えていません）。"));
    }
    // A row cut short (the power failed mid-write) is not a row: the log goes on after the
    // last whole one.
    const qint64 tailStart = std::max<qint64>(headerLine.size(), size - kTailBytes);
    m_file.seek(tailStart);
    const QByteArray tail = m_file.readAll();
    const qsizetype lastEnd = tail.lastIndexOf('\n');
    const qint64 wholeEnd = lastEnd < 0 ? headerLine.size() : tailStart + lastEnd + 1;
    if (wholeEnd < size && !m_file.resize(wholeEnd)) {
        m_file.close();
        return named(path, QStringLiteral("ログファイルの途切れた末尾を取り除けません（%1）。").arg(m_file.errorString()));
    }
    if (lastEnd > 0) {
        const QByteArray before = tail.left(lastEnd);
        const QByteArray lastRow = before.mid(before.lastIndexOf('\n') + 1);
        const QList<QByteArray> fields = lastRow.split(',');
        bool number = false;
        const qint64 capture = fields.size() > 1 ? fields[1].toLongLong(&number) : 0;
        if (number && capture > 0)
            m_lastCapture = capture;
    }
    m_file.seek(wholeEnd);
    return {};
}

QString LogFile::append(const QStringList& fields)
{
    QStringList quoted;
    quoted.reserve(fields.size());
    for (const QString& f : fields)
        quoted << field(f);
    const QByteArray row = quoted.join(QLatin1Char(',')).toUtf8() + '\n';
    if (!m_file.isOpen())
        return named(m_path, QStringLiteral("ログファイルが開かれていません。"));
    const qint64 end = m_file.pos();
    if (m_file.write(row) != row.size() || !flushToDisk(m_file)) {
        // No torn row stays behind when the disk fills up mid-row.
        m_file.resize(end);
        m_file.seek(end);
        return named(m_path, QStringLiteral("ログファイルに書き込めません（ディスクの空きを確かめてください）。"));
    }
    return {};
}
