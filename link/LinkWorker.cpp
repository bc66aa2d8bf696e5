#include "link/LinkWorker.h"

#include "link/LinkError.h"
#include "link/LinkTrace.h"
#include "link/Replies.h"

#include <algorithm>

LinkWorker::LinkWorker(std::unique_ptr<SerialLine> line, LinkTimeouts timeouts, SessionEvents events)
    : m_line(std::move(line)), m_timeouts(timeouts), m_events(std::move(events))
{
}

void LinkWorker::applySettings(const EnvSettings& settings, const QString& devicePath, QStringList& warnings)
{
    m_line->close();
    m_settings = LineSettingsFor(settings);
    m_state.settingsText = m_settings.settingsText();
    m_state.portName = devicePath.isEmpty() ? PortDeviceName(m_settings.port) : devicePath;
    m_state.delimiter = m_settings.delimiter;
    qCDebug(lcLink, "open %s at %s, commands end with %s", qUtf8Printable(m_state.portName),
            qUtf8Printable(m_state.settingsText), qUtf8Printable(TraceText(m_state.delimiter)));
    if (const QString failure = m_line->open(m_state.portName, m_settings, warnings); !failure.isEmpty())
        throw LinkError(failure);
    for (const QString& warning : warnings)
        qCDebug(lcLink, "%s", qUtf8Printable(warning));
    m_line->discardInput();
    // The instrument may still be sending a block that an earlier run broke off (a program
    // interrupted mid-transfer): the first exchange reads it off first, as after a broken
    // download here, bounded by the largest block.
    m_blockLeft = kBlockHeaderSize + InstrumentSession::kTransferCapacity + InstrumentSession::kBlockTrailer;
}

void LinkWorker::sendCommand(QByteArrayView command, std::stop_token stop)
{
    session(std::move(stop)).SendCommand(command);
}

int16_t LinkWorker::singleSweep(std::stop_token stop)
{
    return session(std::move(stop)).SingleSweep();
}

QStringList LinkWorker::readIdentity(std::stop_token stop)
{
    return session(std::move(stop)).ReadIdentity();
}

QByteArray LinkWorker::downloadChannel(int channel, int points, std::stop_token stop,
                                       const InstrumentSession::Progress& progress)
{
    InstrumentSession download = session(std::move(stop));
    try {
        return download.DownloadChannel(channel, points, progress);
    } catch (...) {
        m_blockLeft = download.blockBytesLeft();
        throw;
    }
}

Diagnosis LinkWorker::diagnose(const EnvSettings& settings, const QString& devicePath, const SerialPortLister& lister,
                               std::stop_token stop, const DoctorEvents& events, DoctorLimits limits)
{
    const QString device = devicePath.isEmpty() ? PortDeviceName(LineSettingsFor(settings).port) : devicePath;
    // The doctor opens the line afresh at each try, which also drops what an earlier
    // broken block left on it.
    m_blockLeft.reset();
    auto reopen = [&] {
        QStringList warnings;
        try {
            applySettings(settings, devicePath, warnings);
        } catch (const LinkError&) {
            // state() tells the window the port is closed.
        }
    };
    try {
        Diagnosis diagnosis = DiagnoseLine(*m_line, device, settings, lister, std::move(stop), events, limits);
        reopen();
        return diagnosis;
    } catch (...) {
        reopen();
        throw;
    }
}

void LinkWorker::close()
{
    m_line->close();
}

void LinkWorker::closeIfLost()
{
    if (!m_line->isOpen())
        m_line->close();
}

LinkState LinkWorker::state() const
{
    LinkState state = m_state;
    state.open = m_line->isOpen();
    return state;
}

InstrumentSession LinkWorker::session(std::stop_token stop)
{
    InstrumentSession session(*m_line, m_state.delimiter, std::move(stop), m_timeouts, m_events);
    if (m_blockLeft) {
        const auto byteTime = std::chrono::nanoseconds(
            std::chrono::seconds(m_settings.frameBits())) / std::max(1, m_settings.speed);
        try {
            session.DrainBlock(*m_blockLeft, byteTime);
        } catch (...) {
            // Cancelled or given up: what was read off is not read again.
            m_blockLeft = session.blockBytesLeft();
            throw;
        }
        m_blockLeft.reset();
    }
    return session;
}
