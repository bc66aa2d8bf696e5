#include "link/LinkTrace.h"

#include "core/AppIdentity.h"
#include "core/RegularFile.h"

#include <QDateTime>
#include <QFile>
#include <QMutex>
#include <memory>

Q_LOGGING_CATEGORY(lcLink, "miravo.link", QtWarningMsg)

namespace {

constexpr qsizetype kTraceBytes = 120;

struct TraceFile {
    QMutex mutex; // the link's thread and the window's both trace
    QFile file;
    QtMessageHandler next = nullptr; // where the other categories' messages go on to
    bool installed = false;
};

TraceFile& traceFile()
{
    static TraceFile trace;
    return trace;
}

void writeTrace(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    TraceFile& trace = traceFile();
    if (qstrcmp(context.category, lcLink().categoryName()) != 0) {
        if (trace.next)
            trace.next(type, context, message);
        return;
    }
    const QByteArray line = QDateTime::currentDateTime().toString(Qt::ISODateWithMs).toUtf8() + ' '
        + message.toUtf8() + '\n';
    QMutexLocker lock(&trace.mutex);
    trace.file.write(line);
    trace.file.flush();
}

} // namespace

QString TraceText(QByteArrayView bytes)
{
    QString text = QStringLiteral("\"");
    for (const char c : bytes.first(std::min(bytes.size(), kTraceBytes))) {
        switch (c) {
        case '\r': text += QLatin1String("\\r"); break;
        case '\n': text += QLatin1String("\\n"); break;
        case '\t': text += QLatin1String("\\t"); break;
        case '"': text += QLatin1String("\\\""); break;
        case '\\': text += QLatin1String("\\\\"); break;
        default:
            if (c >= 0x20 && c < 0x7f)
                text += QLatin1Char(c);
            else
                text += QStringLiteral("\\x%1").arg(uchar(c), 2, 16, QLatin1Char('0'));
        }
    }
    text += QLatin1Char('"');
    if (bytes.size() > kTraceBytes)
        text += QStringLiteral(" (+%1 bytes)").arg(bytes.size() - kTraceBytes);
    return text;
}

bool StartLinkTrace(const QString& path, QString* error)
{
    // Only a regular file or a new one: never a device, a FIFO, a directory or the end of
    // a dangling link.
    OpenedFile opened = OpenRegularFileForUpdate(std::filesystem::path(QFile::encodeName(path).toStdString()));
    if (opened.problem) {
        if (error)
            *error = QStringLiteral("トレースファイル %1 に書き込めません: %2")
                         .arg(path, QString::fromStdString(FileProblemText(opened.problem)));
        return false;
    }
    TraceFile& trace = traceFile();
    {
        QMutexLocker lock(&trace.mutex);
        trace.file.close();
        if (!trace.file.open(opened.file.release(), QIODevice::WriteOnly | QIODevice::Append, QFileDevice::AutoCloseHandle)) {
            if (error)
                *error = QStringLiteral("トレースファイル %1 に書き込めません: %2").arg(path, trace.file.errorString());
            return false;
        }
        trace.file.seek(trace.file.size());
    }
    if (!trace.installed) {
        trace.next = qInstallMessageHandler(writeTrace);
        trace.installed = true;
    }
    QLoggingCategory::setFilterRules(QStringLiteral("miravo.link.debug=true"));
    qCDebug(lcLink, "trace of %s %s started", AppIdentity::kTitle.data(), AppIdentity::kVersion.data());
    return true;
}
