#pragma once
// The instrument as miravo-cli drives it: the window's AcquisitionFlow on a link and a
// document of its own, without a window. Each command waits for its flow in a local event
// loop, so that a subcommand runs as plain sequential code. The flow's setup step ends
// with the given texts (no dialog); its messages go to standard error, each naming the
// port. An interrupt ends the running flow (and any later one) at once; nothing it would
// have handed back is kept.

#include "cli/CliResult.h"
#include "core/EnvSettings.h"
#include "document/AcquisitionFlow.h"
#include "document/CaptureOrder.h"
#include "document/SetupValues.h"
#include "document/WaveDocument.h"
#include "link/InstrumentLink.h"

#include <QList>
#include <QStringList>
#include <chrono>
#include <functional>
#include <optional>

class CliConsole;
class QEventLoop;

class CliInstrument {
public:
    explicit CliInstrument(CliConsole& console);

    // device: --port or the simulator's; empty for the settings' port. Input that was
    // waiting, or still arrives from a transfer an earlier run broke off, is read off
    // before the first command goes out.
    CliResult open(const EnvSettings& settings, const QString& device);
    // "*IDN?": fails unless the reply looks like an identity (IsIdentityReply).
    CliResult identify(QStringList& fields);
    CliResult run();
    CliResult stop();
    // timeout: none waits until the sweep ends or an interrupt.
    CliResult sweep(std::optional<std::chrono::milliseconds> timeout);
    // The record after the capture and its setup step; valid until the next capture.
    CliResult capture(const CaptureOrder& order, const WaveRecord*& record);
    // The connection doctor on the port settings and device name; the port is opened
    // again as settings say afterwards. Fails only when interrupted or refused.
    CliResult diagnose(const EnvSettings& settings, const QString& device, Diagnosis& diagnosis,
                       const std::function<void(const DoctorStepReport&)>& onStep);
    // A wait between captures that an interrupt ends; any length up to the options' limit.
    CliResult pause(std::chrono::milliseconds wait);

    // From the interrupt watcher, on this thread.
    void interrupt();

    // For a logging run, which drives the flow itself: the parts, and the port opened
    // again as open() opened it (settingsApplied follows); false while a job runs.
    WaveDocument& document() { return m_document; }
    InstrumentLink& link() { return m_link; }
    AcquisitionFlow& flow() { return m_flow; }
    bool reopen();

private:
    // Starts a flow with `start` and waits for it to finish (at once when refused).
    CliResult await(const std::function<void()>& start);
    CliResult await(bool (AcquisitionFlow::*start)());
    // The message, naming the port unless it does already.
    QString naming(const QString& message) const;

    CliConsole& m_console;
    EnvSettings m_settings;   // as open() was given them, for reopen()
    QString m_device;
    InstrumentLink m_link;
    WaveDocument m_document;
    AcquisitionFlow m_flow;
    QEventLoop* m_pause = nullptr;   // the wait between captures
    QString m_failure;   // of the running flow
    QString m_refusal;   // a command of the running flow that was not done
    bool m_interrupted = false;
};
