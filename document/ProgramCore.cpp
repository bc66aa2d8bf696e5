#include "document/ProgramCore.h"

ProgramCore::ProgramCore(LinkTimeouts timeouts, QObject* parent)
    : QObject(parent), m_link(nullptr, timeouts), m_flow(m_document, m_link)
{
    // Queued: a flow that ends by starting the next exchange at once (a single sweep's wait
    // giving way to STOP) has posted that exchange before the port is reconfigured.
    connect(&m_flow, &AcquisitionFlow::stageChanged, this, &ProgramCore::applyWhenIdle, Qt::QueuedConnection);
    connect(&m_link, &InstrumentLink::jobFinished, this, &ProgramCore::applyWhenIdle, Qt::QueuedConnection);
}

void ProgramCore::applyLineSettings(const QString& device)
{
    m_pendingDevice = device;
    applyWhenIdle();
}

void ProgramCore::applyWhenIdle()
{
    if (m_pendingDevice && m_flow.isIdle() && m_link.applySettings(m_settings, *m_pendingDevice))
        m_pendingDevice.reset();
}
