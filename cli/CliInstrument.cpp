#include "cli/CliInstrument.h"

#include "cli/CliConsole.h"
#include "cli/CliText.h"

#include <QEventLoop>
#include <QTimer>
#include <cmath>

CliInstrument::CliInstrument(CliConsole& console) : m_console(console)
{
    QObject::connect(&m_link, &InstrumentLink::warning, &m_link,
                     [this](const QString& text) { m_console.note(OneLine(text)); });
    QObject::connect(&m_link, &InstrumentLink::commEvent, &m_link,
                     [this](int, const QString& text) { m_console.note(OneLine(text)); });
    QObject::connect(&m_link, &InstrumentLink::commandRefused, &m_link,
                     [this](LinkJob, const QString& text) { m_refused = OneLine(text); });
}

CliResult CliInstrument::open(const EnvSettings& settings, const QString& device)
{
    return await(m_link.applySettings(settings, device), QStringLiteral("通信ポートを開けませんでした。"), Refusal::Fails);
}

CliResult CliInstrument::run()
{
    return await(m_link.run(), QStringLiteral("掃引を始められませんでした。"), Refusal::Fails);
}

CliResult CliInstrument::stop()
{
    return await(m_link.stop(), QStringLiteral("掃引を止められませんでした。"), Refusal::Fails);
}

CliResult CliInstrument::singleSweep(std::optional<std::chrono::milliseconds> timeout)
{
    m_console.progress(QStringLiteral("単掃引の完了を待っています（Ctrl+C で中断）"));
    const CliResult result = await(m_link.singleSweep(), QStringLiteral("単掃引を完了できませんでした。"), Refusal::Fails,
                                   timeout);
    m_console.endProgress();
    return result;
}

CliResult CliInstrument::readIdentity(QStringList& fields)
{
    const QMetaObject::Connection read =
        QObject::connect(&m_link, &InstrumentLink::identityRead, &m_link, [&](const QStringList& f) { fields = f; });
    const CliResult result = await(m_link.readIdentity(), QStringLiteral("製品情報を読み取れませんでした。"), Refusal::Fails);
    QObject::disconnect(read);
    return result;
}

CliResult CliInstrument::download(int channel, int points, QByteArray& bytes, const Progress& progress)
{
    const QMetaObject::Connection arrived = QObject::connect(
        &m_link, &InstrumentLink::channelDownloaded, &m_link, [&](int, const QByteArray& b) { bytes = b; });
    const QMetaObject::Connection moved = QObject::connect(
        &m_link, &InstrumentLink::downloadProgress, &m_link,
        [&](int, qint64 received, qint64 total) { progress(received, total); });
    const CliResult result =
        await(m_link.downloadChannel(channel, points), QStringLiteral("CH%1 の波形を取り込めませんでした。").arg(channel), Refusal::Noted);
    QObject::disconnect(arrived);
    QObject::disconnect(moved);
    return result;
}

CliResult CliInstrument::pause(std::chrono::milliseconds wait)
{
    if (m_interrupted)
        return Interrupted();
    QEventLoop loop;
    QTimer::singleShot(wait, &loop, &QEventLoop::quit);
    m_pause = &loop;
    loop.exec();
    m_pause = nullptr;
    return m_interrupted ? Interrupted() : CliResult{};
}

void CliInstrument::interrupt()
{
    m_interrupted = true;
    m_link.cancel();
    if (m_pause)
        m_pause->quit();
}

CliResult CliInstrument::await(bool posted, const QString& what, Refusal refusal, std::optional<std::chrono::milliseconds> timeout)
{
    m_refused.clear();
    if (!posted)
        return {kCliLinkFailed, what + QStringLiteral(" 測定器と通信中です。")};
    QEventLoop loop;
    JobResult result = JobResult::Failed;
    QString reason;
    bool timedOut = false;
    QObject::connect(&m_link, &InstrumentLink::jobFailed, &loop, [&](LinkJob, const QString& text) { reason = text; });
    QObject::connect(&m_link, &InstrumentLink::jobFinished, &loop, [&](LinkJob, JobResult r) {
        result = r;
        loop.quit();
    });
    QTimer limit;
    if (timeout) {
        limit.setSingleShot(true);
        QObject::connect(&limit, &QTimer::timeout, &loop, [&] {
            timedOut = true;
            m_link.cancel();
        });
        limit.start(*timeout);
    }
    if (m_interrupted)
        m_link.cancel();
    loop.exec();
    switch (result) {
    case JobResult::Succeeded:
        if (m_refused.isEmpty())
            return {};
        if (refusal == Refusal::Fails)
            return {kCliLinkFailed, what + QLatin1Char(' ') + m_refused};
        m_console.note(m_refused);
        return {};
    case JobResult::Cancelled:
        if (timedOut)
            return {kCliLinkFailed, what + QStringLiteral(" %1 秒待っても終わりませんでした。").arg(double(timeout->count()) / 1000)};
        return Interrupted();
    case JobResult::Failed:
        break;
    }
    return {kCliLinkFailed, OneLine(what + QLatin1Char(' ') + reason)};
}
