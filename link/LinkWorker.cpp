#include "link/LinkWorker.h"

#include "link/LineSettings.h"
#include "link/LinkError.h"

LinkWorker::LinkWorker(std::unique_ptr<SerialLine> line, LinkTimeouts timeouts)
    : m_line(std::move(line)), m_timeouts(timeouts)
{
}

void LinkWorker::applySettings(const EnvSettings& settings, const QString& devicePath, QStringList& warnings)
{
    m_line->close();
    const LineSettings line = LineSettingsFor(settings);
    m_state.settingsText = line.settingsText();
    m_state.portName = devicePath.isEmpty() ? PortDeviceName(line.port) : devicePath;
    m_state.delimiter = line.delimiter;
    if (const QString failure = m_line->open(m_state.portName, line, warnings); !failure.isEmpty())
        throw LinkError(failure);
    m_line->discardInput();
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
    m_blockMayFollow = true;
    QByteArray bytes = download.DownloadChannel(channel, points, progress);
    m_blockMayFollow = false;
    return bytes;
}

void LinkWorker::close()
{
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
    InstrumentSession session(*m_line, m_state.delimiter, std::move(stop), m_timeouts);
    if (m_blockMayFollow) {
        session.SettleLine();
        m_blockMayFollow = false;
    }
    return session;
}
