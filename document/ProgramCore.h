#pragma once
// The program's one waveform document, settings record, instrument link and acquisition
// flow, built together and owned here for the whole run; windows and commands hold
// references. It also decides when changed line settings reach the port: reopening it in
// the middle of a flow (between two channels, before the capture's setup, between a
// single sweep's wait and the STOP that ends it) would lose what the flow is doing, so
// the settings wait until the flow and the link are both idle.

#include "core/EnvSettings.h"
#include "document/AcquisitionFlow.h"
#include "document/WaveDocument.h"
#include "link/InstrumentLink.h"

#include <QObject>
#include <QString>
#include <optional>

class ProgramCore final : public QObject {
    Q_OBJECT
public:
    explicit ProgramCore(LinkTimeouts timeouts = {}, QObject* parent = nullptr);

    WaveDocument& document() { return m_document; }
    EnvSettings& settings() { return m_settings; }
    InstrumentLink& link() { return m_link; }
    AcquisitionFlow& flow() { return m_flow; }

    // ApplySettings' line part: configures the port from settings() and opens device (empty:
    // the numbered port of the settings) now, or once the running flow has ended.
    void applyLineSettings(const QString& device);
    bool lineSettingsPending() const { return m_pendingDevice.has_value(); }

private:
    void applyWhenIdle();

    WaveDocument m_document;
    EnvSettings m_settings;
    InstrumentLink m_link;
    AcquisitionFlow m_flow;
    std::optional<QString> m_pendingDevice;
};
