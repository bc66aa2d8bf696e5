// capture: the window's Load from the instrument, its setup dialog's OK with the given
// texts and Save, in a row; --repeat numbers the files. A failure or an interrupt leaves no
// partial file, and the files a --repeat finished and any earlier file at the path as
// they were.

#include "cli/CliCall.h"
#include "cli/CliConsole.h"
#include "cli/CliInstrument.h"
#include "cli/CliText.h"
#include "cli/CliValues.h"
#include "cli/CommandHandlers.h"
#include "cli/FileCommands.h"
#include "document/AcquisitionEstimate.h"
#include "document/SetupValues.h"
#include "document/WaveDocument.h"
#include "files/WaveFileFormat.h"

#include <QElapsedTimer>
#include <QHash>

namespace {

struct CaptureRequest {
    QString out;
    QList<int> channels{1, 2};
    bool longRecord = false;
    bool single = false;
    std::optional<std::chrono::milliseconds> timeout;
    SetupValues setup{.title = {},
                      .sweep = QStringLiteral("1m"),
                      .volts = {QStringLiteral("2"), QStringLiteral("500m")},
                      .offset = {QStringLiteral("0"), QStringLiteral("0")},
                      .delay = QStringLiteral("0"),
                      .equSampling = false};
    int repeat = 1;
    std::chrono::milliseconds every{0};
};

// The options as a request; the reason for a usage error otherwise.
QString readRequest(const CliCall& call, CaptureRequest& r)
{
    r.out = call.value("out");
    if (r.out.isEmpty())
        return QStringLiteral("capture には --out FILE.CSV か --out FILE.RAW を指定してください。");
    if (!WaveFileKindFor(r.out.toStdString()))
        return QStringLiteral("保存先の拡張子は .CSV か .RAW にしてください: ") + r.out;
    if (call.isSet("channels")) {
        const QString list = call.value("channels");
        static const QHash<QString, QList<int>> kLists{{QStringLiteral("1"), {1}},
                                                       {QStringLiteral("2"), {2}},
                                                       {QStringLiteral("1,2"), {1, 2}},
                                                       {QStringLiteral("2,1"), {1, 2}}};
        if (!kLists.contains(list))
            return QStringLiteral("--channels は 1,2 か 1 か 2 です: ") + list;
        r.channels = kLists.value(list);
    }
    r.longRecord = call.isSet("long");
    r.single = call.isSet("single");
    if (call.isSet("timeout")) {
        r.timeout = ParseSeconds(call.value("timeout"), false);
        if (!r.timeout)
            return SecondsProblem("timeout", call.value("timeout"), false);
    }
    SetupValues& s = r.setup;
    s.title = call.value("title");
    s.equSampling = call.isSet("equ");
    if (s.equSampling && r.longRecord)
        return QStringLiteral("--equ（等価サンプリング）は --long と同時に指定できません。");
    const std::pair<const char*, QString*> numbers[] = {{"sweep", &s.sweep},       {"delay", &s.delay},
                                                        {"volts1", &s.volts[0]},   {"volts2", &s.volts[1]},
                                                        {"offset1", &s.offset[0]}, {"offset2", &s.offset[1]}};
    for (const auto& [name, text] : numbers) {
        if (!call.isSet(name))
            continue;
        *text = call.value(name);
        if (!StartsLikeNumber(*text))
            return QStringLiteral("--%1 には数値を指定してください（例: 500m, 2, 1.5）: %2").arg(QLatin1String(name), *text);
    }
    if (call.isSet("repeat")) {
        bool ok = false;
        r.repeat = call.value("repeat").toInt(&ok);
        if (!ok || r.repeat < 1 || r.repeat > 9999)
            return QStringLiteral("--repeat には 1 から 9999 までの回数を指定してください: ") + call.value("repeat");
    }
    if (call.isSet("every")) {
        if (!call.isSet("repeat"))
            return QStringLiteral("--every は --repeat と一緒に指定してください。");
        const std::optional<std::chrono::milliseconds> every = ParseSeconds(call.value("every"), true);
        if (!every)
            return SecondsProblem("every", call.value("every"), true);
        r.every = *every;
    }
    return {};
}

// One capture into path: the single sweep when asked for, the blocks, the record, the file.
CliResult captureOnce(const CaptureRequest& request, const QString& path, CliInstrument& instrument, CliConsole& console)
{
    if (request.single) {
        if (CliResult swept = instrument.singleSweep(request.timeout); !swept.ok())
            return swept;
    }
    // The document as the window's is when Load starts: the channel and LONG boxes set.
    using Flag = WaveDocument::Flag;
    WaveDocument document;
    document.setFlag(Flag::Ch1, request.channels.contains(1) ? 1 : 0);
    document.setFlag(Flag::Ch2, request.channels.contains(2) ? 1 : 0);
    document.setFlag(Flag::Length, request.longRecord ? 1 : 0);
    const CapturePlan plan =
        PlanCapture(document.flag(Flag::Ch1), document.flag(Flag::Ch2), document.flag(Flag::Length));
    CaptureBytes capture(plan);
    QElapsedTimer clock;
    clock.start();
    for (int k = 0; k < plan.channels.size(); ++k) {
        const int channel = plan.channels[k];
        QByteArray bytes;
        const auto progress = [&](qint64 received, qint64) {
            TransferProgress p;
            p.channel = channel;
            p.channelIndex = k;
            p.channelCount = int(plan.channels.size());
            p.received = received;
            p.points = plan.points;
            p.elapsedMs = clock.elapsed();
            console.progress(ProgressBarLine(p));
        };
        if (CliResult got = instrument.download(channel, plan.points, bytes, progress); !got.ok())
            return got;
        if (!capture.add(channel, bytes))
            return {kCliLinkFailed, QStringLiteral("CH%1 の波形を取り込めませんでした。受け取ったデーターが要求した %2 点と一致しません。")
                                        .arg(channel)
                                        .arg(plan.points)};
    }
    console.endProgress();
    document.applyCapture(std::move(capture));
    document.beginSetup();
    document.endSetup(request.setup, false, true);
    return SaveWaveRecord(path, document.record(), console);
}

// FILE.CSV and n -> FILE-0001.CSV: the number goes before the extension.
QString numberedPath(const QString& path, int n)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot <= slash)
        dot = path.size();
    return path.left(dot) + QStringLiteral("-%1").arg(n, 4, 10, QLatin1Char('0')) + path.mid(dot);
}

} // namespace

CliResult RunCapture(CliCall& call)
{
    CaptureRequest request;
    if (const QString problem = readRequest(call, request); !problem.isEmpty())
        return {kCliUsage, problem};
    CliInstrument* instrument = nullptr;
    if (CliResult opened = call.instrument(instrument); !opened.ok())
        return opened;
    QElapsedTimer clock;
    clock.start();
    for (int n = 1; n <= request.repeat; ++n) {
        if (n > 1) {
            const auto start = (n - 1) * request.every;
            const auto waited = instrument->pause(std::max(std::chrono::milliseconds(0), start - std::chrono::milliseconds(clock.elapsed())));
            if (!waited.ok())
                return Interrupted(n - 1);
        }
        const QString path = request.repeat > 1 ? numberedPath(request.out, n) : request.out;
        CliResult done = captureOnce(request, path, *instrument, call.console());
        if (done.status == kCliInterrupted)
            return Interrupted(n - 1);
        if (!done.ok())
            return done;
        call.console().note(QStringLiteral("保存しました: ") + PrintableText(path));
    }
    return {};
}
