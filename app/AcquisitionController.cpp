#include "app/AcquisitionController.h"

#include "app/AcquisitionEstimate.h"
#include "app/AcquisitionProgress.h"
#include "ui/Prompts.h"
#include "link/InstrumentLink.h"
#include "wave/widgets/WaveDisplay.h"
#include "core/WaveRecord.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace {

const QString kBusyLightStyle = QStringLiteral("background-color: rgb(200, 0, 0);");
constexpr int kModalPollMs = 100;

QString withoutLineEnd(QString text)
{
    while (text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r')))
        text.chop(1);
    return text;
}

} // namespace

AcquisitionController::AcquisitionController(AcquisitionParts parts, QObject* parent)
    : QObject(parent), m_parts(std::move(parts))
{
    Q_ASSERT(m_parts.record && m_parts.link && m_parts.display && m_parts.prompts && m_parts.singleButton &&
             m_parts.loadButton && m_parts.setLoadRunning && m_parts.pressSetup);
    InstrumentLink* link = m_parts.link;
    connect(link, &InstrumentLink::jobStarted, this, [this](LinkJob) { updateBusy(); });
    connect(link, &InstrumentLink::jobFinished, this, &AcquisitionController::onJobFinished);
    connect(link, &InstrumentLink::jobFailed, this, [this](LinkJob job, const QString& message) {
        if (m_flow != Flow::None)
            m_failure = failureText(job, message);
    });
    connect(link, &InstrumentLink::downloadProgress, this, &AcquisitionController::onProgress);
    connect(link, &InstrumentLink::channelDownloaded, this, &AcquisitionController::onChannel);
    connect(link, &InstrumentLink::identityRead, this, &AcquisitionController::onIdentity);
    if (m_parts.progress)
        connect(m_parts.progress, &AcquisitionProgress::cancelRequested, this, &AcquisitionController::cancel);
}

bool AcquisitionController::isBusy() const
{
    return m_flow != Flow::None || m_parts.link->isBusy();
}

bool AcquisitionController::LoadFromInstrument()
{
    if (!begin(Flow::Load))
        return false;
    m_parts.setLoadRunning(true);
    startCapture();
    return true;
}

bool AcquisitionController::SingleSweep()
{
    if (!begin(Flow::Single))
        return false;
    paintBusy(m_parts.singleButton);
    if (m_parts.progress)
        m_parts.progress->showWaiting(QStringLiteral("単掃引の完了を待っています"));
    if (!m_parts.link->singleSweep()) {
        restoreBusy(m_parts.singleButton);
        end(Outcome::Refused, QStringLiteral("測定器との通信を開始できませんでした。"));
        return false;
    }
    return true;
}

bool AcquisitionController::ReadIdentity()
{
    if (!begin(Flow::Identity))
        return false;
    if (m_parts.progress)
        m_parts.progress->showWaiting(QStringLiteral("製品情報を読み取っています"));
    if (!m_parts.link->readIdentity()) {
        end(Outcome::Refused, QStringLiteral("測定器との通信を開始できませんでした。"));
        return false;
    }
    return true;
}

void AcquisitionController::cancel()
{
    if (m_flow != Flow::None)
        m_parts.link->cancel();
}

bool AcquisitionController::begin(Flow flow)
{
    if (isBusy()) {
        m_parts.prompts->tell(m_parts.window, QString(),
                              QStringLiteral("測定器と通信中です。\n終わってからもう一度操作してください。"));
        emit flowFinished(flow, Outcome::Refused);
        return false;
    }
    m_flow = flow;
    m_failure.clear();
    updateBusy();
    return true;
}

void AcquisitionController::startCapture()
{
    const CapturePlan plan = PlanCapture(m_parts.display->flagValue(WaveDisplay::Flag::Ch1),
                                         m_parts.display->flagValue(WaveDisplay::Flag::Ch2),
                                         m_parts.display->flagValue(WaveDisplay::Flag::Length));
    m_capture.emplace(plan);
    m_channelIndex = 0;
    m_transferClock.start();
    downloadNext();
}

void AcquisitionController::downloadNext()
{
    const CapturePlan& plan = m_capture->plan();
    if (m_channelIndex >= plan.channels.size()) {
        finishCapture();
        return;
    }
    const int channel = plan.channels.at(m_channelIndex);
    paintBusy(m_parts.loadButton);
    onProgress(channel, 0, plan.points);
    if (!m_parts.link->downloadChannel(channel, plan.points)) {
        restoreBusy(m_parts.loadButton);
        end(Outcome::Failed, QStringLiteral("測定器との通信を開始できませんでした。"));
    }
}

void AcquisitionController::onProgress(int channel, qint64 received, qint64 total)
{
    if (!m_parts.progress || !m_capture)
        return;
    TransferProgress progress;
    progress.channel = channel;
    progress.channelIndex = m_channelIndex;
    progress.channelCount = int(m_capture->plan().channels.size());
    progress.received = received;
    progress.points = total;
    progress.elapsedMs = m_transferClock.elapsed();
    m_parts.progress->showTransfer(progress);
}

void AcquisitionController::onChannel(int channel, const QByteArray& bytes)
{
    if (!m_capture || !m_failure.isEmpty())
        return;
    if (!m_capture->add(channel, bytes))
        m_failure = failureText(LinkJob::Download,
                                QStringLiteral("受け取ったデーターが要求した %1 点と一致しません。")
                                    .arg(m_capture->plan().points));
}

void AcquisitionController::onIdentity(const QStringList& fields)
{
    if (m_flow != Flow::Identity)
        return;
    const qsizetype shown = std::min<qsizetype>(fields.size(), qsizetype(m_parts.idLabels.size()));
    for (qsizetype k = 0; k < shown; ++k) {
        QLabel* label = m_parts.idLabels[std::size_t(k)];
        if (!label)
            continue;
        QPalette palette = label->palette();
        palette.setColor(QPalette::Window, Qt::white);
        label->setPalette(palette);
        label->setAutoFillBackground(true);
        // The reply's line end stays on the last field; a label shows it as nothing.
        label->setText(withoutLineEnd(fields.at(k)));
    }
}

void AcquisitionController::onJobFinished(LinkJob job, JobResult result)
{
    if (m_flow == Flow::None) {
        updateBusy();
        return;
    }
    const Outcome stop = result == JobResult::Cancelled ? Outcome::Cancelled : Outcome::Failed;
    switch (job) {
    case LinkJob::SingleSweep:
        restoreBusy(m_parts.singleButton);
        if (result == JobResult::Succeeded)
            startCapture();
        else
            end(stop, m_failure);
        break;
    case LinkJob::Download:
        restoreBusy(m_parts.loadButton);
        if (result == JobResult::Succeeded && m_failure.isEmpty()) {
            ++m_channelIndex;
            downloadNext();
        } else {
            end(result == JobResult::Succeeded ? Outcome::Failed : stop, m_failure);
        }
        break;
    case LinkJob::ReadIdentity:
        end(result == JobResult::Succeeded ? Outcome::Done : stop, m_failure);
        break;
    default:
        break;
    }
    updateBusy();
}

void AcquisitionController::finishCapture()
{
    if (!m_capture->plan().empty()) {
        m_capture->applyTo(*m_parts.record);
        m_parts.display->FitTimeAxis();
    }
    m_capture.reset();
    if (m_parts.progress)
        m_parts.progress->finish();
    // The user may have a dialog open (the buttons stay usable during a single sweep):
    // the setup dialog follows when it has closed.
    whenNoModalDialog([this] {
        const Flow flow = m_flow;
        m_flow = Flow::None;
        if (flow == Flow::Load)
            m_parts.setLoadRunning(false);
        updateBusy();
        m_parts.pressSetup();
        m_parts.display->RedrawWave();
        emit flowFinished(flow, Outcome::Done);
    });
}

void AcquisitionController::end(Outcome outcome, const QString& message)
{
    const Flow flow = m_flow;
    m_flow = Flow::None;
    m_capture.reset();
    if (m_parts.progress)
        m_parts.progress->finish();
    if (flow == Flow::Load)
        m_parts.setLoadRunning(false);
    updateBusy();
    if (outcome != Outcome::Done && outcome != Outcome::Cancelled && !message.isEmpty())
        m_parts.prompts->tell(m_parts.window, QString(), message);
    emit flowFinished(flow, outcome);
}

void AcquisitionController::whenNoModalDialog(std::function<void()> step)
{
    if (QApplication::activeModalWidget()) {
        QTimer::singleShot(kModalPollMs, this, [this, step] { whenNoModalDialog(step); });
        return;
    }
    step();
}

void AcquisitionController::paintBusy(QPushButton* button)
{
    const int slot = button == m_parts.singleButton ? 0 : 1;
    m_savedStyle[slot] = button->styleSheet();
    button->setStyleSheet(kBusyLightStyle);
}

void AcquisitionController::restoreBusy(QPushButton* button)
{
    const int slot = button == m_parts.singleButton ? 0 : 1;
    if (button->styleSheet() == kBusyLightStyle)
        button->setStyleSheet(m_savedStyle[slot]);
}

void AcquisitionController::updateBusy()
{
    const bool busy = isBusy();
    if (busy == m_busyShown)
        return;
    m_busyShown = busy;
    emit busyChanged(busy);
}

QString AcquisitionController::failureText(LinkJob job, const QString& reason) const
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
        what = QStringLiteral("測定器との通信に失敗しました。");
        break;
    }
    QString text = what + QLatin1Char('\n') + reason;
    if (job == LinkJob::Download || job == LinkJob::SingleSweep)
        text += QStringLiteral("\n\n波形と設定は取り込み前のままです。");
    return text;
}
