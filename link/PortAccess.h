#pragma once
// Whether this user may open a serial device, and if not, why: missing, not permitted
// (with the group that owns it), or held by another program (with that program, where
// /proc shows it). Looked at with the system's own calls, before QSerialPort, whose
// errors do not tell these apart.

#include <QString>
#include <optional>

struct PortHolder {
    qint64 pid = 0;
    QString command; // the program's name as /proc/PID/comm gives it

    bool operator==(const PortHolder&) const = default;
};

struct PortAccess {
    enum class Kind { Open, Missing, Permission, Busy };
    Kind kind = Kind::Open;
    QString group;          // Permission: the group that owns the device, empty when unknown
    bool groupMayOpen = false; // Permission: members of that group may read and write it
    std::optional<PortHolder> holder; // Busy: another process holding the device

    bool operator==(const PortAccess&) const = default;
};

// Opens the device (without waiting for a modem line, without becoming its controlling
// terminal) and closes it again.
PortAccess CheckPortAccess(const QString& device);

// A process other than this one that has the device open, the lowest process id first;
// none when there is none or /proc does not let this user see it.
std::optional<PortHolder> FindPortHolder(const QString& device);
