#include "cli/InstrumentCommands.h"

#include "cli/CliArguments.h"
#include "cli/CliConsole.h"
#include "cli/CliInstrument.h"
#include "cli/CliText.h"
#include "cli/FileCommands.h"
#include "document/AcquisitionEstimate.h"
#include "document/WaveDocument.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QString withoutLineEnd(QString text)
{
    while (text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r')))
        text.chop(1);
    return text;
}

SetupValues setupValues(const CaptureConditions& c)
{
    SetupValues values;
    values.title = c.title;
    values.sweep = c.sweep;
    values.volts[0] = c.volts[0];
    values.volts[1] = c.volts[1];
    values.offset[0] = c.offset[0];
    values.offset[1] = c.offset[1];
    values.delay = c.delay;
    values.equSampling = c.equSampling;
    return values;
}

// One capture into path: the single sweep when asked for, the blocks, the record, the file.
CliResult captureOnce(const CliRequest& request, const QString& path, CliInstrument& instrument, CliConsole& console)
{
    if (request.single) {
        if (CliResult swept = instrument.singleSweep(request.timeoutSeconds); !swept.ok())
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

    // Then as in the window: the capture applied, the setup dialog's OK with these texts,
    // its refresh removing the offsets, and Save.
    document.applyCapture(std::move(capture));
    document.beginSetup();
    document.endSetup(setupValues(request.conditions), false, true);
    return SaveWaveRecord(path, document.record(), console);
}

// FILE.CSV and n -> FILE-0001.CSV: the number goes before the extension.
QString NumberedPath(const QString& path, int n)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot <= slash)
        dot = path.size();
    return path.left(dot) + QStringLiteral("-%1").arg(n, 4, 10, QLatin1Char('0')) + path.mid(dot);
}

} // namespace

CliResult IdentifyInstrument(const CliRequest& request, CliInstrument& instrument, CliConsole& console)
{
    QStringList fields;
    if (CliResult read = instrument.readIdentity(fields); !read.ok())
        return read;
    if (!fields.isEmpty())
        fields.last() = withoutLineEnd(fields.last());
    if (request.json) {
        static const char* const kKeys[] = {"maker", "model", "serial", "firmware"};
        QJsonObject identity;
        for (int i = 0; i < 4; ++i)
            identity.insert(QLatin1String(kKeys[i]), fields.value(i));
        console.print(QString::fromUtf8(QJsonDocument(identity).toJson(QJsonDocument::Indented)));
        return {};
    }
    QString lines;
    for (const QString& field : fields)
        lines += PrintableText(field) + QLatin1Char('\n');
    console.print(lines);
    return {};
}

CliResult CaptureWaves(const CliRequest& request, CliInstrument& instrument, CliConsole& console)
{
    QElapsedTimer clock;
    clock.start();
    for (int n = 1; n <= request.repeat; ++n) {
        if (n > 1) {
            const qint64 start = qint64((n - 1) * request.everySeconds * 1000);
            if (CliResult waited = instrument.pause(std::max<qint64>(0, start - clock.elapsed())); !waited.ok())
                return Interrupted(n - 1);
        }
        const QString path = request.repeat > 1 ? NumberedPath(request.out, n) : request.out;
        CliResult done = captureOnce(request, path, instrument, console);
        if (done.status == kCliInterrupted)
            return Interrupted(n - 1);
        if (!done.ok())
            return done;
        console.note(QStringLiteral("保存しました: ") + PrintableText(path));
    }
    return {};
}
