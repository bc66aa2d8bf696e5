// log: captures again and again, one row of measurements each appended to a CSV log,
// until --count or --duration is reached or Ctrl+C. A lost instrument leaves a row with the
// failure and is opened again every two seconds until logging resumes by itself. With
// --reference and --tolerance each row ends with the capture's verdict against that file,
// and a run with a failed one ends with kCliOutside.

#include "analysis/WaveComparison.h"
#include "cli/CaptureOptions.h"
#include "cli/CliCall.h"
#include "cli/CliConsole.h"
#include "cli/CliInstrument.h"
#include "cli/CliText.h"
#include "cli/CliValues.h"
#include "cli/CommandHandlers.h"
#include "cli/FileCommands.h"
#include "document/WaveDocument.h"
#include "logger/LogColumns.h"
#include "logger/LogSession.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>

namespace {

struct LogRequest {
    QString out;
    LogPlan plan;
    LogOrder order;
    QString reference;                 // the file the captures are compared with; empty: none
    std::optional<double> tolerance;
};

QString readRequest(const CliCall& call, LogRequest& r)
{
    r.out = call.value("out");
    if (r.out.isEmpty())
        return QStringLiteral("log には --out LOG.csv を指定してください。");
    if (call.isSet("every")) {
        const auto every = ParseSeconds(call.value("every"), true);
        if (!every)
            return SecondsProblem("every", call.value("every"), true);
        r.plan.every = *every;
    }
    if (call.isSet("count")) {
        bool ok = false;
        const qlonglong count = call.value("count").toLongLong(&ok);
        if (!ok || count < 1)
            return QStringLiteral("--count には 1 以上の回数を指定してください: ") + call.value("count");
        r.plan.count = count;
    }
    if (call.isSet("duration")) {
        r.plan.duration = ParseDuration(call.value("duration"));
        if (!r.plan.duration)
            return QStringLiteral("--duration には 0 より長く 30 日までの時間を、秒か 90min, 12h, 7d の形で指定してください: ")
                 + call.value("duration");
    }
    if (const QString problem = ReadCaptureOrder(call, r.order.capture); !problem.isEmpty())
        return problem;
    r.order.wavesDir = call.value("waves");
    r.reference = call.value("reference");
    if (call.isSet("tolerance")) {
        r.tolerance = ParseTolerance(call.value("tolerance").toStdString());
        if (!r.tolerance)
            return ToleranceProblem(PrintableText(call.value("tolerance")));
    }
    if (r.reference.isEmpty() != !r.tolerance)
        return QStringLiteral("log の --reference と --tolerance は一緒に指定してください。");
    return {};
}

CliResult checkWavesDir(const QString& dir)
{
    const QFileInfo info(dir);
    if (!info.isDir())
        return {kCliFileFailed, QStringLiteral("--waves のフォルダーがありません: ") + PrintableText(dir)};
    if (!info.isWritable())
        return {kCliFileFailed, QStringLiteral("--waves のフォルダーに書き込めません: ") + PrintableText(dir)};
    return {};
}

} // namespace

CliResult RunLog(CliCall& call)
{
    LogRequest request;
    if (const QString problem = readRequest(call, request); !problem.isEmpty())
        return {kCliUsage, problem};
    if (CliResult place = CheckOutputPlace(request.out); !place.ok())
        return place;
    if (!request.order.wavesDir.isEmpty())
        if (CliResult waves = checkWavesDir(request.order.wavesDir); !waves.ok())
            return waves;
    // The reference is read as compare reads it, and kept as it is for the whole run.
    WaveDocument referenceFile;
    std::shared_ptr<const WaveRecord> reference;
    if (!request.reference.isEmpty()) {
        if (CliResult loaded = LoadWaveDocument(request.reference, referenceFile, call.console()); !loaded.ok())
            return loaded;
        reference = std::make_shared<const WaveRecord>(referenceFile.record());
        request.order.reference = LogReference{
            QFileInfo(request.reference).fileName(),
            [reference, tolerance = request.tolerance](const WaveRecord& live) {
                return CompareRecords(live, *reference, tolerance).pass;
            }};
    }
    // The log is checked (and a new one created) before the first command goes out.
    {
        LogFile log;
        if (const QString problem = log.open(request.out, LogHeader(request.order.capture.channels, reference != nullptr));
            !problem.isEmpty())
            return {kCliFileFailed, OneLine(problem)};
    }
    CliInstrument* instrument = nullptr;
    if (CliResult opened = call.instrument(instrument); !opened.ok())
        return opened;

    CliConsole& console = call.console();
    LogSession session(instrument->document(), instrument->link(), instrument->flow(),
                       [instrument] { return instrument->reopen(); });
    QEventLoop loop;
    QString failure;
    bool toldIncomparable = false;
    QObject::connect(&session, &LogSession::finished, &loop, [&](bool, const QString& why) {
        failure = why;
        loop.quit();
    });
    QObject::connect(&session, &LogSession::rowWritten, &loop, [&](qint64 capture, const QString& status) {
        console.endProgress();
        if (status != LogSession::okStatus())
            console.note(QStringLiteral("%1 回目: %2").arg(capture).arg(PrintableText(status)));
        else if (reference && !session.lastVerdict() && !toldIncomparable) {
            // Said once: every capture of the run is taken alike.
            toldIncomparable = true;
            const WaveComparison comparison =
                CompareRecords(instrument->document().record(), *reference, request.tolerance, "取り込み",
                               request.order.reference->name.toStdString());
            console.note(QStringLiteral("%1 回目: 参照と比較できません: %2")
                             .arg(capture)
                             .arg(PrintableText(QString::fromStdString(comparison.problem))));
        }
    });
    QObject::connect(&session, &LogSession::warning, &loop, [&](const QString& text) { console.note(text); });
    QObject::connect(&session, &LogSession::countdown, &loop, [&](qint64 ms) {
        const QString next = ms > 0 ? QStringLiteral("次の取り込みまで %1 秒").arg((ms + 999) / 1000)
                                    : QStringLiteral("取り込んでいます");
        console.progress(QStringLiteral("記録 %1 回・最後: %2・%3（Ctrl+C で終わる）")
                             .arg(session.lastCapture())
                             .arg(PrintableText(session.lastStatus()).left(40), next));
    });
    QObject::connect(&session, &LogSession::reconnecting, &loop, [&](int attempt) {
        console.progress(QStringLiteral("記録 %1 回・測定器につながりません。接続し直しています（%2 回目）")
                             .arg(session.lastCapture())
                             .arg(attempt));
    });
    // Ctrl+C or SIGTERM: a capture in progress is cancelled (by the instrument) and its row
    // dropped; a wait ends at once.
    QTimer interruptCheck;
    QObject::connect(&interruptCheck, &QTimer::timeout, &loop, [&] {
        if (call.interrupted())
            session.interrupt();
    });
    interruptCheck.start(100);
    if (const QString problem = session.start(request.out, request.plan, request.order); !problem.isEmpty())
        return {kCliFileFailed, OneLine(problem)};
    if (session.state() != LogSession::State::Idle)
        loop.exec();
    console.endProgress();
    if (call.interrupted())
        return Interrupted();
    if (!failure.isEmpty())
        return {kCliFileFailed, OneLine(failure)};
    if (session.referenceFails() > 0)
        return {kCliOutside,
                QStringLiteral("参照と比べて不合格の取り込みが %1 回ありました。").arg(session.referenceFails())};
    return {};
}
