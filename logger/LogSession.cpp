#include "logger/LogSession.h"

#include "analysis/Measure.h"
#include "analysis/SampleWindow.h"
#include "document/WaveDocument.h"
#include "files/WaveFileStore.h"
#include "link/InstrumentLink.h"
#include "logger/LogColumns.h"

#include <QDir>

namespace {

using namespace std::chrono_literals;

// One line of a message, for the status column.
QString statusText(QString message)
{
    message.replace(QLatin1Char('\r'), QLatin1Char(' '));
    message.replace(QLatin1Char('\n'), QLatin1Char(' '));
    message = message.simplified();
    return message.isEmpty() ? QStringLiteral("取り込めませんでした") : message;
}

} // namespace

LogSession::LogSession(WaveDocument& document, InstrumentLink& link, AcquisitionFlow& flow,
                       std::function<bool()> reopen, QObject* parent)
    : QObject(parent), m_document(document), m_link(link), m_flow(flow), m_reopen(std::move(reopen))
{
    m_next.setParent(this);
    m_tick.setInterval(1000);
    connect(&m_next, &LongTimer::timeout, this, [this] {
        if (m_state == State::Reconnecting)
            reconnect();
        else if (m_state == State::Waiting)
            captureNow();
    });
    connect(&m_tick, &QTimer::timeout, this, [this] {
        if (m_state == State::Waiting && m_schedule)
            emit countdown(std::max<qint64>(0, std::chrono::duration_cast<std::chrono::milliseconds>(
                                                   m_schedule->nextStart() - LogSchedule::Clock::now())
                                                   .count()));
    });
    connect(&m_flow, &AcquisitionFlow::failed, this, [this](const QString& text) {
        if (m_state == State::Capturing)
            m_failure = text;
    });
    connect(&m_flow, &AcquisitionFlow::finished, this, &LogSession::onFlowFinished);
    connect(&m_link, &InstrumentLink::settingsApplied, this, &LogSession::onSettingsApplied);
}

QString LogSession::start(const QString& logPath, const LogPlan& plan, const LogOrder& order)
{
    if (m_state != State::Idle)
        return QStringLiteral("記録はすでに動いています。");
    m_order = order;
    if (const QString problem = m_log.open(logPath, LogHeader(m_order.capture.channels, judged())); !problem.isEmpty())
        return problem;
    m_capture = m_log.lastCapture();
    m_lastStatus.clear();
    m_lastVerdict.reset();
    m_referenceFails = 0;
    m_stopping = false;
    m_warnedInterval = false;
    m_schedule.emplace(plan, LogSchedule::Clock::now());
    captureNow();
    return {};
}

void LogSession::stop()
{
    if (m_state == State::Capturing)
        m_stopping = true;
    else if (m_state != State::Idle)
        finish(false);
}

void LogSession::interrupt()
{
    if (m_state == State::Idle)
        return;
    const bool capturing = m_state == State::Capturing;
    finish(false);
    // The flow's end arrives after this; the session is idle by then and writes nothing.
    if (capturing)
        m_flow.cancel();
}

void LogSession::enter(State state)
{
    if (m_state == state)
        return;
    m_state = state;
    emit stateChanged(state);
}

void LogSession::waitForNext()
{
    const auto now = LogSchedule::Clock::now();
    if (m_stopping || m_schedule->done(now)) {
        finish(!m_stopping);
        return;
    }
    enter(State::Waiting);
    const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(m_schedule->nextStart() - now);
    m_next.start(std::max(wait, 0ms));
    m_tick.start();
    emit countdown(std::max<qint64>(0, wait.count()));
}

void LogSession::captureNow()
{
    m_tick.stop();
    const auto now = LogSchedule::Clock::now();
    if (m_schedule->done(now)) {
        finish(true);
        return;
    }
    m_schedule->captureStarted(now);
    m_captureTime = QDateTime::currentDateTime();
    m_captureClock.start();
    m_failure.clear();
    ++m_capture;
    enter(State::Capturing);
    // A refusal (another exchange running) ends through finished() like any failure.
    StartUnattendedCapture(m_document, m_flow, m_order.capture);
}

void LogSession::onFlowFinished(AcquisitionFlow::Flow, AcquisitionFlow::Outcome outcome)
{
    if (m_state != State::Capturing)
        return;
    const std::chrono::milliseconds took(m_captureClock.elapsed());
    switch (outcome) {
    case AcquisitionFlow::Outcome::Done:
        if (!writeRow(okStatus(), &m_document.record()))
            return;
        if (!m_warnedInterval && m_schedule && m_order.capture.single == false && took > m_schedule->interval()
            && m_schedule->interval().count() > 0) {
            m_warnedInterval = true;
            emit warning(QStringLiteral("取り込みに %1 秒かかり、記録の間隔より長いため、取り込みは続けて行います。")
                             .arg(double(took.count()) / 1000, 0, 'f', 1));
        }
        waitForNext();
        return;
    case AcquisitionFlow::Outcome::Cancelled:
        // Cancelled by someone else (the window's STOP): no row, and the run ends.
        --m_capture;
        finish(false);
        return;
    case AcquisitionFlow::Outcome::Failed:
    case AcquisitionFlow::Outcome::Refused:
        break;
    }
    if (!writeRow(statusText(m_failure), nullptr))
        return;
    if (m_stopping || m_schedule->done(LogSchedule::Clock::now())) {
        finish(!m_stopping);
        return;
    }
    m_attempts = 0;
    enter(State::Reconnecting);
    m_next.start(LogSchedule::kRetry);
}

void LogSession::reconnect()
{
    ++m_attempts;
    emit reconnecting(m_attempts);
    // A link still busy (an exchange outside the run) is tried again at the next retry.
    if (!m_reopen || !m_reopen())
        m_next.start(LogSchedule::kRetry);
}

void LogSession::onSettingsApplied(const LinkState& state)
{
    if (m_state != State::Reconnecting)
        return;
    if (state.open)
        waitForNext();
    else
        m_next.start(LogSchedule::kRetry);
}

bool LogSession::writeRow(const QString& status, const WaveRecord* record)
{
    QList<std::optional<ChannelMeasurements>> measured;
    QString rowStatus = status;
    if (record) {
        for (const int channel : m_order.capture.channels)
            measured << MeasureChannel(*record, channel, WholeRecord(*record));
        if (!m_order.wavesDir.isEmpty()) {
            const QString wave = QDir(m_order.wavesDir).filePath(QStringLiteral("%1.CSV").arg(m_capture, 6, 10, QLatin1Char('0')));
            if (const WaveFileSaved saved = WriteWaveFile(wave, WaveFileKind::Csv, *record); !saved.failure.isEmpty())
                rowStatus = statusText(saved.failure);
        }
    } else {
        for (qsizetype i = 0; i < m_order.capture.channels.size(); ++i)
            measured << std::nullopt;
    }
    QStringList fields = LogRow(m_captureTime, m_capture, rowStatus, measured);
    const std::optional<bool> verdict =
        judged() && record && m_order.reference->verdict ? m_order.reference->verdict(*record) : std::nullopt;
    if (judged())
        fields << LogVerdictField(verdict);
    if (const QString problem = m_log.append(fields); !problem.isEmpty()) {
        finish(false, problem);
        return false;
    }
    m_lastStatus = rowStatus;
    m_lastVerdict = verdict;
    if (verdict == false)
        ++m_referenceFails;
    emit rowWritten(m_capture, rowStatus, fields);
    return true;
}

void LogSession::finish(bool completed, const QString& failure)
{
    m_next.stop();
    m_tick.stop();
    m_stopping = false;
    m_log.close();
    enter(State::Idle);
    m_flow.setUnattendedSetup(std::nullopt);
    emit finished(completed, failure);
}
