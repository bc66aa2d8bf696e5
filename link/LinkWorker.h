#pragma once
// Runs the link's jobs on a SerialLine: keeps the open line, its settings and the
// delimiter between jobs. Thread-agnostic; InstrumentLink calls it on its worker thread.
// Failures throw LinkError, stop requests LinkCancelled (see InstrumentSession).

#include "core/EnvSettings.h"
#include "link/InstrumentSession.h"
#include "link/LineDoctor.h"
#include "link/LineSettings.h"
#include "link/LinkTypes.h"
#include "link/SerialLine.h"

#include <QStringList>
#include <memory>
#include <optional>
#include <stop_token>

class LinkWorker {
public:
    explicit LinkWorker(std::unique_ptr<SerialLine> line, LinkTimeouts timeouts = {}, SessionEvents events = {});

    // ApplySettings: close, configure from the serial fields, open (devicePath, when not
    // empty, instead of the numbered port), discard input, take the delimiter. Throws
    // LinkError when the port cannot be opened; state() then says it is closed.
    void applySettings(const EnvSettings& settings, const QString& devicePath, QStringList& warnings);
    void sendCommand(QByteArrayView command, std::stop_token stop);
    int16_t singleSweep(std::stop_token stop);
    QStringList readIdentity(std::stop_token stop);
    QByteArray downloadChannel(int channel, int points, std::stop_token stop,
                               const InstrumentSession::Progress& progress);
    // The connection doctor on this line; afterwards the line is opened again with
    // settings and devicePath (when that fails, state() says it is closed).
    Diagnosis diagnose(const EnvSettings& settings, const QString& devicePath, const SerialPortLister& lister,
                       std::stop_token stop, const DoctorEvents& events, DoctorLimits limits);
    void close();
    // Closes a line that has failed (its device vanished), so it stops reporting errors.
    void closeIfLost();

    // The port as it is now: open turns false when the line was lost.
    LinkState state() const;

private:
    // A session for the next job; it first reads off the rest of a block broken off before.
    InstrumentSession session(std::stop_token stop);

    std::unique_ptr<SerialLine> m_line;
    LinkTimeouts m_timeouts;
    SessionEvents m_events;
    LinkState m_state;
    LineSettings m_settings;
    // A download ended before its block did: about this many bytes may still be coming.
    std::optional<qint64> m_blockLeft;
};
