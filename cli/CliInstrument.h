#pragma once
// The instrument link as miravo-cli uses it: one job at a time, each waited for in a
// local event loop, so that the command runs as plain sequential code. An interrupt ends
// the running job (and any later one) at once; nothing it would have handed back is kept.

#include "cli/CliResult.h"
#include "core/EnvSettings.h"
#include "link/InstrumentLink.h"

#include <QByteArray>
#include <QStringList>
#include <chrono>
#include <functional>
#include <optional>

class CliConsole;
class QEventLoop;

class CliInstrument {
public:
    explicit CliInstrument(CliConsole& console);

    // device: --port or the simulator's; empty for the settings' port.
    CliResult open(const EnvSettings& settings, const QString& device);
    CliResult run();
    CliResult stop();
    // timeoutSeconds: none waits until the sweep ends or an interrupt.
    CliResult singleSweep(std::optional<std::chrono::milliseconds> timeout);
    CliResult readIdentity(QStringList& fields);
    using Progress = std::function<void(qint64 received, qint64 total)>;
    CliResult download(int channel, int points, QByteArray& bytes, const Progress& progress);
    // A wait between captures that an interrupt ends.
    CliResult pause(std::chrono::milliseconds wait);

    // From the interrupt watcher, on this thread.
    void interrupt();

private:
    // What a command line refused nine times means for the job: RUN, STOP and WSGL did not
    // happen; the steps of a download go on, as in the window, and the refusal is noted.
    enum class Refusal { Fails, Noted };
    // Waits for the job just posted (posted false: refused) to finish.
    CliResult await(bool posted, const QString& what, Refusal refusal, std::optional<std::chrono::milliseconds> timeout = {});

    CliConsole& m_console;
    InstrumentLink m_link;
    QEventLoop* m_pause = nullptr;
    QString m_refused;   // of the running job
    bool m_interrupted = false;
};
