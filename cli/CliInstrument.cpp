#include "cli/CliInstrument.h"

#include "cli/CliConsole.h"
#include "cli/CliText.h"
#include "document/LongTimer.h"
#include "link/Replies.h"

#include <QEventLoop>

CliInstrument::CliInstrument(CliConsole& console) : m_console(console), m_flow(m_document, m_link)
{
    QObject::connect(&m_link, &InstrumentLink::warning, &m_link,
                     [this](const QString& text) { m_console.note(naming(OneLine(text))); });
    QObject::connect(&m_link, &InstrumentLink::commEvent, &m_link,
                     [this](int, const QString& text) { m_console.note(naming(OneLine(text))); });
    QObject::connect(&m_flow, &AcquisitionFlow::failed, &m_flow, [this](const QString& text) { m_failure = text; });
    // A line refused nine times: the window notes it and goes on. Here a sweep command that
    // was not done fails the subcommand; a step of a transfer is noted, as in the window.
    QObject::connect(&m_flow, &AcquisitionFlow::refused, &m_flow, [this](const QString& text) {
        if (m_flow.stage() == AcquisitionFlow::Stage::Downloading) {
            m_console.note(naming(OneLine(text)));
            return;
        }
        m_refusal = text;
        m_flow.cancel();
    });
    QObject::connect(&m_flow, &AcquisitionFlow::waiting, &m_flow,
                     [this](const QString& what) { m_console.progress(what + QStringLiteral("（Ctrl+C で中断）")); });
    QObject::connect(&m_flow, &AcquisitionFlow::transferProgress, &m_flow,
                     [this](const TransferProgress& progress) { m_console.progress(ProgressBarLine(progress)); });
    QObject::connect(&m_flow, &AcquisitionFlow::lineDraining, &m_flow, [this](qint64 msLeft) {
        m_console.progress(QStringLiteral("前の転送の残りを読み捨てています（最長あと %1 秒）").arg((msLeft + 999) / 1000));
    });
}

CliResult CliInstrument::open(const EnvSettings& settings, const QString& device)
{
    m_settings = settings;
    m_device = device;
    if (!m_link.applySettings(settings, device))
        return {kCliLinkFailed, naming(QStringLiteral("通信ポートを開けませんでした。"))};
    QEventLoop loop;
    QString failure;
    QObject::connect(&m_link, &InstrumentLink::jobFailed, &loop, [&](LinkJob, const QString& text) { failure = text; });
    QObject::connect(&m_link, &InstrumentLink::jobFinished, &loop, &QEventLoop::quit);
    loop.exec();
    if (!failure.isEmpty())
        return {kCliLinkFailed, naming(OneLine(failure))};
    return m_interrupted ? Interrupted() : CliResult{};
}

bool CliInstrument::reopen()
{
    return !m_interrupted && m_link.applySettings(m_settings, m_device);
}

CliResult CliInstrument::identify(QStringList& fields)
{
    const QMetaObject::Connection read =
        QObject::connect(&m_flow, &AcquisitionFlow::identityRead, &m_flow, [&](const QStringList& f) { fields = f; });
    CliResult result = await(&AcquisitionFlow::ReadIdentity);
    QObject::disconnect(read);
    if (result.ok() && !IsIdentityReply(fields))
        result = {kCliLinkFailed, naming(QStringLiteral("製品情報を読み取れませんでした。本体の返答が製品情報の形（メーカー,モデル,シリアル番号,ファームウェア）ではありません: ") +
                                         PrintableText(fields.join(QLatin1Char(','))).left(120))};
    return result;
}

CliResult CliInstrument::run()
{
    return await(&AcquisitionFlow::run);
}

CliResult CliInstrument::stop()
{
    return await(&AcquisitionFlow::stop);
}

CliResult CliInstrument::sweep(std::optional<std::chrono::milliseconds> timeout)
{
    m_flow.setSweepTimeout(timeout);
    return await(&AcquisitionFlow::SweepOnly);
}

CliResult CliInstrument::capture(const CaptureOrder& order, const WaveRecord*& record)
{
    const CliResult result = await([&] { StartUnattendedCapture(m_document, m_flow, order); });
    record = &m_document.record();
    return result;
}

CliResult CliInstrument::diagnose(const EnvSettings& settings, const QString& device, Diagnosis& diagnosis,
                                  const std::function<void(const DoctorStepReport&)>& onStep)
{
    const QMetaObject::Connection stepped =
        QObject::connect(&m_link, &InstrumentLink::doctorStep, &m_link, [&](const DoctorStepReport& report) { onStep(report); });
    const QMetaObject::Connection trying = QObject::connect(
        &m_link, &InstrumentLink::doctorTrying, &m_link, [this](int speed, const QByteArray& delimiter) {
            m_console.progress(QStringLiteral("%1 bps、%2 で問い合わせています").arg(speed).arg(delimiter == "\r\n" ? "CR/LF" : "LF"));
        });
    const QMetaObject::Connection done =
        QObject::connect(&m_link, &InstrumentLink::diagnosed, &m_link, [&](const Diagnosis& found) { diagnosis = found; });
    CliResult result;
    if (!m_link.diagnose(settings, device, AvailableSerialPorts)) {
        result = {kCliLinkFailed, naming(QStringLiteral("診断できませんでした。測定器と通信中です。"))};
    } else {
        QEventLoop loop;
        JobResult ended = JobResult::Failed;
        QObject::connect(&m_link, &InstrumentLink::jobFinished, &loop, [&](LinkJob, JobResult r) {
            ended = r;
            loop.quit();
        });
        if (m_interrupted)
            m_link.cancel();
        loop.exec();
        if (ended == JobResult::Cancelled)
            result = Interrupted();
    }
    m_console.endProgress();
    QObject::disconnect(stepped);
    QObject::disconnect(trying);
    QObject::disconnect(done);
    return result;
}

CliResult CliInstrument::pause(std::chrono::milliseconds wait)
{
    if (m_interrupted)
        return Interrupted();
    QEventLoop loop;
    LongTimer timer;
    QObject::connect(&timer, &LongTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(wait);
    m_pause = &loop;
    loop.exec();
    m_pause = nullptr;
    return m_interrupted ? Interrupted() : CliResult{};
}

void CliInstrument::interrupt()
{
    m_interrupted = true;
    m_flow.cancel();
    m_link.cancel(); // the doctor runs on the link alone
    if (m_pause)
        m_pause->quit();
}

CliResult CliInstrument::await(bool (AcquisitionFlow::*start)())
{
    return await([this, start] { (m_flow.*start)(); });
}

CliResult CliInstrument::await(const std::function<void()>& start)
{
    QEventLoop loop;
    AcquisitionFlow::Outcome outcome = AcquisitionFlow::Outcome::Refused;
    bool ended = false;
    const QMetaObject::Connection finished = QObject::connect(
        &m_flow, &AcquisitionFlow::finished, &loop, [&](AcquisitionFlow::Flow, AcquisitionFlow::Outcome o) {
            outcome = o;
            ended = true;
            loop.quit();
        });
    start();
    if (!ended) {
        if (m_interrupted)
            m_flow.cancel();
        loop.exec();
    }
    QObject::disconnect(finished);
    m_console.endProgress();
    const QString failure = std::exchange(m_failure, QString());
    const QString refusal = std::exchange(m_refusal, QString());
    if (!refusal.isEmpty())
        return {kCliLinkFailed, naming(OneLine(refusal))};
    switch (outcome) {
    case AcquisitionFlow::Outcome::Done:
        return {};
    case AcquisitionFlow::Outcome::Cancelled:
        return Interrupted();
    case AcquisitionFlow::Outcome::Failed:
    case AcquisitionFlow::Outcome::Refused:
        break;
    }
    return {kCliLinkFailed, naming(OneLine(failure))};
}

QString CliInstrument::naming(const QString& message) const
{
    const QString port = m_link.state().portName;
    if (port.isEmpty() || message.contains(port))
        return message;
    return message + QStringLiteral("（通信ポート %1）").arg(PrintableText(port));
}
