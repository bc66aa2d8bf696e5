// capture: the window's Load from the instrument, its setup dialog's OK with the given
// texts and Save, in a row; --repeat numbers the files. A failure or an interrupt leaves no
// partial file, and the files a --repeat finished and any earlier file at the path as
// they were.

#include "cli/CaptureOptions.h"
#include "cli/CliCall.h"
#include "cli/CliConsole.h"
#include "cli/CliInstrument.h"
#include "cli/CliText.h"
#include "cli/CliValues.h"
#include "cli/CommandHandlers.h"
#include "cli/FileCommands.h"
#include "files/WaveFileFormat.h"

#include <QElapsedTimer>

namespace {

struct CaptureRequest {
    QString out;
    CaptureOrder order;
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
    if (const QString problem = ReadCaptureOrder(call, r.order); !problem.isEmpty())
        return problem;
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
    const auto pathOf = [&request](int n) { return request.repeat > 1 ? numberedPath(request.out, n) : request.out; };
    // Refused before anything goes out, not after minutes of transfer.
    for (int n = 1; n <= request.repeat; ++n)
        if (CliResult writable = CheckOutputPlace(pathOf(n)); !writable.ok())
            return writable;
    CliInstrument* instrument = nullptr;
    if (CliResult opened = call.instrument(instrument); !opened.ok())
        return opened;
    using std::chrono::milliseconds;
    QElapsedTimer clock;
    clock.start();
    bool warnedSlow = false;
    for (int n = 1; n <= request.repeat; ++n) {
        const milliseconds start = (n - 1) * request.every;
        if (n > 1 && !instrument->pause(std::max(milliseconds(0), start - milliseconds(clock.elapsed()))).ok())
            return Interrupted(n - 1);
        const WaveRecord* record = nullptr;
        CliResult done = instrument->capture(request.order, record);
        if (done.ok())
            done = SaveWaveRecord(pathOf(n), *record, call.console());
        if (done.status == kCliInterrupted)
            return Interrupted(n - 1);
        if (!done.ok())
            return done;
        call.console().note(QStringLiteral("保存しました: ") + PrintableText(pathOf(n)));
        const milliseconds took = milliseconds(clock.elapsed()) - std::max(start, milliseconds(0));
        if (n < request.repeat && request.every > milliseconds(0) && took > request.every && !warnedSlow) {
            warnedSlow = true;
            call.console().note(QStringLiteral("1 回の取り込みに約 %1 秒かかり、--every の %2 秒より長くなっています。"
                                               "次からは前の取り込みが終わりしだい始めます。")
                                    .arg(double(took.count()) / 1000, 0, 'f', 1)
                                    .arg(double(request.every.count()) / 1000));
        }
    }
    return {};
}
