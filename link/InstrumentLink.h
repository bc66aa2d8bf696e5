#pragma once
// The window's handle on the instrument. It owns one worker thread that owns the serial
// port; every call here returns at once and the outcome arrives as signals on the
// thread that created this object (the UI thread).
//
// One job at a time: a call made while a job runs is refused (returns false, nothing is
// sent). Every accepted job ends with exactly one jobFinished(), emitted after its
// result signal (settingsApplied, sweepFinished, identityRead, channelDownloaded) or
// jobFailed(); isBusy() is already false then, so the next job can be posted from a
// slot connected to jobFinished().

#include "core/EnvSettings.h"
#include "link/LineDoctor.h"
#include "link/LinkTypes.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

class InstrumentLink : public QObject {
    Q_OBJECT
public:
    explicit InstrumentLink(QObject* parent = nullptr, LinkTimeouts timeouts = {});
    ~InstrumentLink() override; // shutdown()

    // ApplySettings: close the port, configure it from the serial fields of settings
    // and open it again, discarding what was waiting. A non-empty devicePath is opened
    // instead of the numbered port (--port, --simulate). Ends with settingsApplied(),
    // also when the port could not be opened (state.open false, jobFailed says why).
    bool applySettings(const EnvSettings& settings, const QString& devicePath = {});

    bool run();  // "RUN"
    bool stop(); // "STOP"
    // "WSGL", then the status query until bit 0 is set: sweepFinished(status). No
    // overall time limit (a trigger may take minutes); cancel() ends it.
    bool singleSweep();
    // "*IDN?": identityRead(fields), split at every "," with nothing trimmed; the last
    // field keeps the reply's line terminator. There may be fewer or more than four.
    bool readIdentity();
    // DTPOINTS points, DTFORM BYTE, WAVESRC CHchannel, DTSTART 0, DTWAVE? and the block:
    // channelDownloaded(channel, bytes) with exactly `points` raw bytes (convert each
    // with SignedByte). downloadProgress() reports the bytes as they arrive.
    bool downloadChannel(int channel, int points);

    // The connection doctor on the port settings and devicePath name (as applySettings
    // would open it): doctorStep() for each step, doctorTrying() for each try of the
    // search, then diagnosed(). The port is opened again as settings say afterwards, also
    // after cancel(). lister gives the devices present for a missing port.
    bool diagnose(const EnvSettings& settings, const QString& devicePath, SerialPortLister lister,
                  DoctorLimits limits = {});

    // Ends the running job at once: jobFinished(job, Cancelled), nothing handed back.
    // Does nothing when idle.
    void cancel();
    // For EXIT: cancels, closes the port and stops the thread; returns promptly. Nothing
    // is emitted afterwards (not even the running job's jobFinished), and every later
    // call is refused.
    void shutdown();

    bool isBusy() const { return m_busy; }
    LinkState state() const { return m_state; } // as of the last settingsApplied or stateChanged

signals:
    void jobStarted(LinkJob job);
    void settingsApplied(const LinkState& state);
    void sweepFinished(int status);
    void identityRead(const QStringList& fields);
    void downloadProgress(int channel, qint64 received, qint64 total);
    void channelDownloaded(int channel, const QByteArray& bytes);
    // A Japanese sentence for the user; the link stays usable (after a lost port, the
    // next applySettings opens it again).
    void jobFailed(LinkJob job, const QString& message);
    void jobFinished(LinkJob job, JobResult result);
    // The port reported a communication error: its CommEvent code and text. Nothing
    // stops because of it.
    void commEvent(int code, const QString& text);
    // Something the user should see that does not stop the job, e.g. a port that
    // refused 7 data bits or parity and runs at 8 bits, no parity.
    void warning(const QString& text);
    // The port's state changed: opened, not opened, lost (its device vanished, also
    // between jobs), reopened. state() is already the new one.
    void stateChanged(const LinkState& state);
    // The instrument refused a command line nine times; the job went on as after an ACK.
    // A Japanese sentence for the status line.
    void commandRefused(LinkJob job, const QString& message);
    // Before a job's own exchange, the rest of a block broken off earlier (a cancelled or
    // failed download) is being read off the line: msLeft until that wait gives up,
    // repeated as it counts down. cancel() ends it as any job. lineDrained() follows when
    // it ends, whichever way, before the job's jobFailed and jobFinished. A wait that runs
    // out fails the job; the link stays usable.
    void lineDraining(qint64 msLeft);
    void lineDrained();
    // The connection doctor's progress and result (diagnose()).
    void doctorStep(const DoctorStepReport& report);
    void doctorTrying(int speed, const QByteArray& delimiter);
    void diagnosed(const Diagnosis& diagnosis);

private:
    struct Thread;
    // Runs work(worker, stopToken) on the worker thread; it returns the function that
    // delivers the result on this thread.
    template <class Work>
    bool post(LinkJob job, Work work);
    // Runs emitter on this thread unless shut down by then.
    template <class Emitter>
    void deliver(Emitter emitter);
    void publish(const LinkState& state);

    std::unique_ptr<Thread> m_thread;
    LinkState m_state;
    bool m_busy = false;
    bool m_shutDown = false;
};
