#pragma once
// The connection doctor: finds out why the instrument does not answer on a port and, when
// it answers at another speed or delimiter, which. In order: the device exists, this user
// may open it, no other program holds it, the instrument answers "*IDN?" with the settings
// as they are, and else each speed of the settings' list with each delimiter, a short
// time-out a try so that the search ends within DoctorLimits::search. Plain sequential
// code on a SerialLine, like the command set; every wait is bounded and a stop request
// ends it. The line is closed afterwards: the caller opens it again as the settings say.

#include "core/EnvSettings.h"
#include "link/PortAccess.h"
#include "link/SerialLine.h"
#include "link/SerialPorts.h"

#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>
#include <optional>
#include <stop_token>
#include <vector>

enum class DoctorProblem { None, Missing, Permission, Busy, NoAnswer, Settings };

enum class DoctorStep { Exists, Permission, Free, Answer, Search };

// One step's outcome, as the doctor window lists it.
struct DoctorStepReport {
    DoctorStep step = DoctorStep::Exists;
    bool passed = false;
    QString text; // one Japanese sentence
};

// Line settings the instrument answered with, as positions of the settings' lists.
struct DoctorFound {
    int16_t speedIndex = 4;     // Com[0]
    int16_t delimiterIndex = 0; // Com[4]: 0 CR LF, 1 LF

    int speed() const;
    bool operator==(const DoctorFound&) const = default;
};

struct Diagnosis {
    QString port;
    DoctorProblem problem = DoctorProblem::NoAnswer;
    QString advice;                          // what to do, in Japanese
    std::optional<DoctorFound> found;        // None: the settings as they are; Settings: the others
    std::optional<PortHolder> holder;        // Busy: the program holding the port, when visible
    std::vector<SerialPortEntry> devices;    // Missing: the serial devices present
    QStringList identity;                    // the fields of the answer, when there was one
    std::vector<DoctorStepReport> steps;     // every step taken, in order
};

struct DoctorLimits {
    std::chrono::milliseconds answer{1000}; // for the ACK, and again for the reply, of one try
    std::chrono::milliseconds search{28000}; // all tries of the search together
};

// Told as the diagnosis goes, on the caller's thread.
struct DoctorEvents {
    std::function<void(const DoctorStepReport&)> step;
    // A try of the search is about to start.
    std::function<void(int speed, const QByteArray& delimiter)> trying;
};

// device: the port the program would use (--port, the chosen device, or the settings' port).
// Throws LinkCancelled on a stop request.
Diagnosis DiagnoseLine(SerialLine& line, const QString& device, const EnvSettings& settings,
                       const SerialPortLister& lister, std::stop_token stop, const DoctorEvents& events = {},
                       DoctorLimits limits = {});

// The delimiter's name as the doctor reports it: "CRLF" or "LF".
QString DelimiterName(int16_t delimiterIndex);
