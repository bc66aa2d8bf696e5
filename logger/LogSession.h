#pragma once
// A logging run: captures again and again through the acquisition flow, one log row each,
// until the count or the duration is reached or it is stopped. A failed capture leaves a
// row with the failure as its status; the port is then opened again every two seconds (the
// same device, also after its node vanished and came back) and logging goes on by itself,
// the count and the clock with it. The window and miravo-cli run the same session; the
// captures go into the document as any Load does, so its views show the latest one.

#include "document/AcquisitionFlow.h"
#include "document/LongTimer.h"
#include "document/CaptureOrder.h"
#include "logger/LogFile.h"
#include "logger/LogSchedule.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <functional>
#include <optional>

class InstrumentLink;
class WaveDocument;
struct LinkState;
struct WaveRecord;

// The reference each capture of a run is judged against, fixed for the run.
struct LogReference {
    QString name;   // for messages: "R1", a file name
    // Pass or fail; nothing when the capture cannot be compared with the reference.
    std::function<std::optional<bool>(const WaveRecord&)> verdict;
};

// What each capture of the run is, and where its waveforms go besides the log.
struct LogOrder {
    CaptureOrder capture;
    QString wavesDir;      // each capture also saved here as 000001.CSV, ...; empty: not
    // Set: each row ends with its verdict (the reference column).
    std::optional<LogReference> reference;
};

class LogSession : public QObject {
    Q_OBJECT
public:
    enum class State { Idle, Waiting, Capturing, Reconnecting };
    Q_ENUM(State)

    // reopen asks the link to open the port of this run again (its settingsApplied follows).
    LogSession(WaveDocument& document, InstrumentLink& link, AcquisitionFlow& flow, std::function<bool()> reopen,
               QObject* parent = nullptr);

    // Opens (or continues) the log and starts the first capture. Empty on success, else
    // the reason naming the file (nothing started, the file as it was).
    QString start(const QString& logPath, const LogPlan& plan, const LogOrder& order);
    // Ends after the capture in progress (its row written); at once when none runs.
    void stop();
    // Ends now: the capture in progress is cancelled and its row dropped.
    void interrupt();

    State state() const { return m_state; }
    qint64 lastCapture() const { return m_capture; }
    const QString& lastStatus() const { return m_lastStatus; }
    const QString& logPath() const { return m_log.path(); }
    // The channels of the log's columns, in order.
    const QList<int>& channels() const { return m_order.capture.channels; }
    // Whether the rows end with the reference column.
    bool judged() const { return m_order.reference.has_value(); }
    // The run's reference ("R1", a file name); empty when the run is not judged.
    QString referenceName() const { return judged() ? m_order.reference->name : QString(); }
    // The latest row's verdict: nothing before the first row, for a failed capture or one
    // that could not be compared.
    std::optional<bool> lastVerdict() const { return m_lastVerdict; }
    // Rows of the run that failed the comparison.
    qint64 referenceFails() const { return m_referenceFails; }

    static QString okStatus() { return QStringLiteral("ok"); }

signals:
    void stateChanged(LogSession::State state);
    // A row is in the log: its capture number, status and fields (as written).
    void rowWritten(qint64 capture, const QString& status, const QStringList& fields);
    // While waiting for the next capture, about once a second.
    void countdown(qint64 msToNext);
    // The port is being opened again (attempt 1, 2, ...).
    void reconnecting(int attempt);
    // Something the user should know once (the interval is shorter than a capture takes).
    void warning(const QString& text);
    // The run is over: completed (count or duration), stopped, or failed (the log could not
    // be written: failure says why).
    void finished(bool completed, const QString& failure);

private:
    void enter(State state);
    void waitForNext();
    void captureNow();
    void onFlowFinished(AcquisitionFlow::Flow flow, AcquisitionFlow::Outcome outcome);
    void onSettingsApplied(const LinkState& state);
    void reconnect();
    // Appends the row; false (and the run finished as failed) when the log cannot take it.
    bool writeRow(const QString& status, const WaveRecord* record);
    void finish(bool completed, const QString& failure = {});

    WaveDocument& m_document;
    InstrumentLink& m_link;
    AcquisitionFlow& m_flow;
    std::function<bool()> m_reopen;
    LogFile m_log;
    LogOrder m_order;
    std::optional<LogSchedule> m_schedule;
    State m_state = State::Idle;
    qint64 m_capture = 0;
    QString m_lastStatus;
    std::optional<bool> m_lastVerdict;
    qint64 m_referenceFails = 0;
    QString m_failure;        // of the capture in progress
    QDateTime m_captureTime;  // when the capture in progress started
    QElapsedTimer m_captureClock;
    bool m_stopping = false;
    bool m_warnedInterval = false;
    int m_attempts = 0;
    LongTimer m_next;         // until the next capture or the next attempt to reopen
    QTimer m_tick;            // the countdown while waiting
};
