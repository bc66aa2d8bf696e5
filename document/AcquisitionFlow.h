#pragma once
// The instrument's commands as one state machine, driven by the link's signals and by
// the user's answers: Load from the instrument, Single, ID Read, RUN and STOP. One
// exchange runs at a time. A capture goes into the document only when every requested
// channel has arrived (and waits there while a dialog holds the document); then the
// window is asked for the capture's setup dialog, and the flow ends when that closes.
// A failure or a cancel leaves the record as it was. It touches no widget: the window
// shows the stage, the progress and the messages from its signals.

#include "document/AcquisitionCapture.h"
#include "document/AcquisitionEstimate.h"
#include "document/LongTimer.h"
#include "document/SetupValues.h"
#include "link/LinkTypes.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QStringList>
#include <chrono>
#include <optional>

class InstrumentLink;
class WaveDocument;

class AcquisitionFlow : public QObject {
    Q_OBJECT
public:
    enum class Flow { None, Load, Single, Sweep, Identity, Run, Stop };
    Q_ENUM(Flow)
    enum class Stage {
        Idle,
        Sweeping,      // "WSGL" sent, the status polled until the sweep has finished
        Downloading,   // the channels of a capture
        Exchanging,    // "*IDN?", "RUN" or "STOP"
        Holding,       // the capture waits for the dialogs that hold the document
        Setup,         // the capture's setup dialog is open
    };
    Q_ENUM(Stage)
    enum class Outcome { Done, Failed, Cancelled, Refused };
    Q_ENUM(Outcome)

    AcquisitionFlow(WaveDocument& document, InstrumentLink& link, QObject* parent = nullptr);

    // Each returns false (after failed() and finished(.., Refused)) while another runs.
    // Load: each channel whose box is not unchecked, with the points LONG asks for.
    bool LoadFromInstrument();
    // "WSGL", the status poll until the sweep has finished, then a capture as Load.
    bool SingleSweep();
    // "WSGL" and the status poll alone, without the capture.
    bool SweepOnly();
    bool ReadIdentity();
    bool run();
    // During a single sweep's wait: ends the wait, then sends STOP.
    bool stop();
    // Ends the running exchange; the record stays as it was.
    void cancel();
    // The capture's setup dialog has closed: the flow is done.
    void setupClosed();

    // Without a window: the capture's setup step ends at once with these values, as the
    // setup dialog's OK without the confirm mark would (setupRequested is not emitted), and
    // messages leave out what only the window's record shows. nullopt: the window's way.
    void setUnattendedSetup(std::optional<SetupValues> values);
    // How long the single sweep's status poll may wait before the flow fails with a
    // message; nullopt (the window's way): until the sweep ends or cancel().
    void setSweepTimeout(std::optional<std::chrono::milliseconds> timeout);

    Flow flow() const { return m_flow; }
    Stage stage() const { return m_stage; }
    // No flow and no job on the line: the port may be reconfigured.
    bool isIdle() const;

signals:
    void stageChanged(AcquisitionFlow::Stage stage);
    // A wait without a measure of progress: what is awaited.
    void waiting(const QString& what);
    void transferProgress(const TransferProgress& progress);
    // Before an exchange, the rest of an earlier broken-off transfer is read off the line:
    // the time until that wait gives up, repeated as it counts down; cancel() ends it.
    // lineDrained() when it is over, whichever way.
    void lineDraining(qint64 msLeft);
    void lineDrained();
    void identityRead(const QStringList& fields);
    // A Japanese message for the user.
    void failed(const QString& message);
    // The instrument refused a line of the running flow nine times; the exchange went on
    // as after an ACK. A Japanese sentence, for the status line or standard error.
    void refused(const QString& message);
    // The capture is in the record: the window opens its setup dialog, then calls setupClosed().
    void setupRequested();
    void finished(AcquisitionFlow::Flow flow, AcquisitionFlow::Outcome outcome);

private:
    bool begin(Flow flow, Stage stage);
    // begin, then the flow's one link job; a job the link will not take ends the flow at
    // once as refused.
    bool beginJob(Flow flow, Stage stage, bool (InstrumentLink::*job)(), const QString& waitText = {});
    void enter(Stage stage);
    void startCapture();
    void downloadNext();
    void end(Outcome outcome);
    void onJobFinished(LinkJob job, JobResult result);
    void onProgress(int channel, qint64 received, qint64 total);
    void onChannel(int channel, const QByteArray& bytes);
    void onCaptureApplied();
    void onSweepTimeout();
    QString failureText(LinkJob job, const QString& reason) const;

    WaveDocument& m_document;
    InstrumentLink& m_link;
    Flow m_flow = Flow::None;
    Stage m_stage = Stage::Idle;
    std::optional<CaptureBytes> m_capture;
    qsizetype m_channelIndex = 0;
    QString m_failure;
    bool m_stopAfterWait = false;
    bool m_timedOut = false;
    std::optional<SetupValues> m_unattendedSetup;
    std::optional<std::chrono::milliseconds> m_sweepTimeout;
    LongTimer m_sweepLimit;
    QElapsedTimer m_transferClock;
};
