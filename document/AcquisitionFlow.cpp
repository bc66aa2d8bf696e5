#include "document/AcquisitionFlow.h"

#include "document/WaveDocument.h"
#include "link/InstrumentLink.h"

namespace {

const QString kCannotStart = QStringLiteral("測定器との通信を開始できませんでした。");

} // namespace

AcquisitionFlow::AcquisitionFlow(WaveDocument& document, InstrumentLink& link, QObject* parent)
    : QObject(parent), m_document(document), m_link(link)
{
    connect(&link, &InstrumentLink::jobFinished, this, &AcquisitionFlow::onJobFinished);
    connect(&link, &InstrumentLink::jobFailed, this, [this](LinkJob job, const QString& message) {
        if (m_flow != Flow::None && job != LinkJob::ApplySettings)
            m_failure = failureText(job, message);
    });
    connect(&link, &InstrumentLink::downloadProgress, this, &AcquisitionFlow::onProgress);
    connect(&link, &InstrumentLink::lineDraining, this, &AcquisitionFlow::lineDraining);
    connect(&link, &InstrumentLink::lineDrained, this, &AcquisitionFlow::lineDrained);
    connect(&link, &InstrumentLink::channelDownloaded, this, &AcquisitionFlow::onChannel);
    connect(&link, &InstrumentLink::identityRead, this, [this](const QStringList& fields) {
        if (m_flow == Flow::Identity)
            emit identityRead(fields);
    });
    connect(&link, &InstrumentLink::commandRefused, this, [this](LinkJob, const QString& message) {
        if (m_flow != Flow::None)
            emit refused(message);
    });
    connect(&document, &WaveDocument::captureApplied, this, &AcquisitionFlow::onCaptureApplied);
    connect(&m_sweepLimit, &LongTimer::timeout, this, &AcquisitionFlow::onSweepTimeout);
}

void AcquisitionFlow::setUnattendedSetup(std::optional<SetupValues> values)
{
    m_unattendedSetup = std::move(values);
}

void AcquisitionFlow::setSweepTimeout(std::optional<std::chrono::milliseconds> timeout)
{
    m_sweepTimeout = timeout;
}

bool AcquisitionFlow::isIdle() const
{
    return m_stage == Stage::Idle && !m_link.isBusy();
}

bool AcquisitionFlow::LoadFromInstrument()
{
    if (!begin(Flow::Load, Stage::Downloading))
        return false;
    startCapture();
    return true;
}

bool AcquisitionFlow::SingleSweep()
{
    return beginJob(Flow::Single, Stage::Sweeping, &InstrumentLink::singleSweep,
                    QStringLiteral("単掃引の完了を待っています"));
}

bool AcquisitionFlow::SweepOnly()
{
    return beginJob(Flow::Sweep, Stage::Sweeping, &InstrumentLink::singleSweep,
                    QStringLiteral("単掃引の完了を待っています"));
}

bool AcquisitionFlow::ReadIdentity()
{
    return beginJob(Flow::Identity, Stage::Exchanging, &InstrumentLink::readIdentity,
                    QStringLiteral("製品情報を読み取っています"));
}

bool AcquisitionFlow::run()
{
    return beginJob(Flow::Run, Stage::Exchanging, &InstrumentLink::run);
}

bool AcquisitionFlow::stop()
{
    if (m_stage == Stage::Sweeping) {
        // The line carries one exchange at a time: the wait gives way to STOP.
        m_stopAfterWait = true;
        m_link.cancel();
        return true;
    }
    return beginJob(Flow::Stop, Stage::Exchanging, &InstrumentLink::stop);
}

void AcquisitionFlow::cancel()
{
    if (m_stage == Stage::Sweeping || m_stage == Stage::Downloading || m_stage == Stage::Exchanging)
        m_link.cancel();
}

void AcquisitionFlow::setupClosed()
{
    if (m_stage == Stage::Setup)
        end(Outcome::Done);
}

bool AcquisitionFlow::begin(Flow flow, Stage stage)
{
    if (!isIdle()) {
        emit failed(QStringLiteral("測定器と通信中です。\n終わってからもう一度操作してください。"));
        emit finished(flow, Outcome::Refused);
        return false;
    }
    m_flow = flow;
    m_failure.clear();
    m_timedOut = false;
    enter(stage);
    if (stage == Stage::Sweeping && m_sweepTimeout)
        m_sweepLimit.start(*m_sweepTimeout);
    return true;
}

bool AcquisitionFlow::beginJob(Flow flow, Stage stage, bool (InstrumentLink::*job)(), const QString& waitText)
{
    if (!begin(flow, stage))
        return false;
    if (!waitText.isEmpty())
        emit waiting(waitText);
    if ((m_link.*job)())
        return true;
    m_failure = kCannotStart;
    end(Outcome::Refused);
    return false;
}

void AcquisitionFlow::enter(Stage stage)
{
    if (m_stage == stage)
        return;
    m_stage = stage;
    emit stageChanged(stage);
}

void AcquisitionFlow::startCapture()
{
    using Flag = WaveDocument::Flag;
    m_capture.emplace(PlanCapture(m_document.flag(Flag::Ch1), m_document.flag(Flag::Ch2),
                                  m_document.flag(Flag::Length)));
    m_channelIndex = 0;
    m_transferClock.start();
    enter(Stage::Downloading);
    downloadNext();
}

void AcquisitionFlow::downloadNext()
{
    const CapturePlan& plan = m_capture->plan();
    if (m_channelIndex >= plan.channels.size()) {
        // The document applies it now, or when the last dialog holding it has closed.
        enter(Stage::Holding);
        CaptureBytes capture = std::move(*m_capture);
        m_capture.reset();
        m_document.applyCapture(std::move(capture));
        return;
    }
    const int channel = plan.channels.at(m_channelIndex);
    onProgress(channel, 0, plan.points);
    if (!m_link.downloadChannel(channel, plan.points)) {
        m_failure = kCannotStart;
        end(Outcome::Failed);
    }
}

void AcquisitionFlow::onCaptureApplied()
{
    if (m_stage != Stage::Holding)
        return;
    enter(Stage::Setup);
    if (!m_unattendedSetup) {
        emit setupRequested();
        return;
    }
    m_document.beginSetup();
    m_document.endSetup(m_unattendedSetup, false, true);
    end(Outcome::Done);
}

void AcquisitionFlow::onSweepTimeout()
{
    if (m_stage != Stage::Sweeping)
        return;
    m_timedOut = true;
    m_failure = failureText(LinkJob::SingleSweep,
                            QStringLiteral("%1 秒待っても終わりませんでした。").arg(double(m_sweepTimeout->count()) / 1000));
    m_link.cancel();
}

void AcquisitionFlow::onProgress(int channel, qint64 received, qint64 total)
{
    if (!m_capture)
        return;
    TransferProgress progress;
    progress.channel = channel;
    progress.channelIndex = int(m_channelIndex);
    progress.channelCount = int(m_capture->plan().channels.size());
    progress.received = received;
    progress.points = total;
    progress.elapsedMs = m_transferClock.elapsed();
    emit transferProgress(progress);
}

void AcquisitionFlow::onChannel(int channel, const QByteArray& bytes)
{
    if (!m_capture || !m_failure.isEmpty())
        return;
    if (!m_capture->add(channel, bytes))
        m_failure = failureText(LinkJob::Download,
                                QStringLiteral("受け取ったデーターが要求した %1 点と一致しません。")
                                    .arg(m_capture->plan().points));
}

void AcquisitionFlow::onJobFinished(LinkJob job, JobResult result)
{
    const bool ok = result == JobResult::Succeeded && m_failure.isEmpty();
    const Outcome stopped = result == JobResult::Cancelled ? Outcome::Cancelled : Outcome::Failed;
    switch (m_stage) {
    case Stage::Sweeping:
        if (job != LinkJob::SingleSweep)
            return;
        m_sweepLimit.stop();
        // A STOP pressed during the wait wins over a sweep that finished meanwhile.
        if (m_stopAfterWait) {
            m_stopAfterWait = false;
            end(Outcome::Cancelled);
            stop();
        } else if (m_timedOut) {
            end(Outcome::Failed);
        } else if (ok && m_flow == Flow::Sweep) {
            end(Outcome::Done);
        } else if (ok) {
            startCapture();
        } else {
            end(stopped);
        }
        break;
    case Stage::Downloading:
        if (job != LinkJob::Download)
            return;
        if (ok) {
            ++m_channelIndex;
            downloadNext();
        } else {
            end(result == JobResult::Succeeded ? Outcome::Failed : stopped);
        }
        break;
    case Stage::Exchanging:
        end(ok ? Outcome::Done : stopped);
        break;
    default:
        break;
    }
}

void AcquisitionFlow::end(Outcome outcome)
{
    const Flow flow = m_flow;
    const QString message = outcome == Outcome::Cancelled ? QString() : m_failure;
    m_flow = Flow::None;
    m_sweepLimit.stop();
    m_capture.reset();
    m_failure.clear();
    enter(Stage::Idle);
    if (!message.isEmpty())
        emit failed(message);
    emit finished(flow, outcome);
}

QString AcquisitionFlow::failureText(LinkJob job, const QString& reason) const
{
    QString what;
    switch (job) {
    case LinkJob::SingleSweep:
        what = QStringLiteral("単掃引を完了できませんでした。");
        break;
    case LinkJob::ReadIdentity:
        what = QStringLiteral("製品情報を読み取れませんでした。");
        break;
    case LinkJob::Download: {
        const int channel = m_capture && m_channelIndex < m_capture->plan().channels.size()
                                ? m_capture->plan().channels.at(m_channelIndex)
                                : 0;
        what = QStringLiteral("CH%1 の波形を取り込めませんでした。").arg(channel);
        break;
    }
    default:
        // RUN and STOP: the link's own sentence says it all.
        return reason;
    }
    QString text = what + QLatin1Char('\n') + reason;
    // The window's record: a sweep alone never touches it, and without a window it is not shown.
    if ((job == LinkJob::Download || job == LinkJob::SingleSweep) && m_flow != Flow::Sweep && !m_unattendedSetup)
        text += QStringLiteral("\n\n波形と設定は取り込み前のままです。");
    return text;
}
