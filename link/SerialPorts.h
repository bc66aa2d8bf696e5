#pragma once
// The serial devices present on this machine, the text that lists them, and the device
// the user chose among them: remembered in a configuration file of its own (never in the
// 40-byte settings file) and opened at the next start while it is present.

#include <QString>
#include <cstdio>
#include <functional>
#include <vector>

struct SerialPortEntry {
    QString device;        // what opens it: "/dev/ttyUSB0", "COM3"
    QString description;   // as the driver or the adapter reports them; may be empty
    QString manufacturer;
    QString serialNumber;
    QString usbId = QString(); // a USB adapter's vendor and product id, "0403:6001"; empty otherwise

    bool operator==(const SerialPortEntry&) const = default;
};

// Lists the devices present; the program asks the system, tests give a stand-in list.
using SerialPortLister = std::function<std::vector<SerialPortEntry>()>;

// The devices the system reports (QSerialPortInfo), sorted by device name.
std::vector<SerialPortEntry> AvailableSerialPorts();

// One line a device: device, description, maker, serial number, USB vendor:product id,
// separated by tabs, "-" for an empty field. Control characters in the adapter's texts become spaces, so every device
// stays on one line of five fields. Empty when there is none.
QString PortListText(const std::vector<SerialPortEntry>& ports);

// One of an adapter's texts as the lists show it: control characters as spaces, "-" for
// an empty one.
QString PortField(const QString& text);

// What --list-ports prints: the list on out, or a note on err when there is no device.
// Returns the exit status.
int PrintPortList(const std::vector<SerialPortEntry>& ports, std::FILE* out, std::FILE* err);

// The device a start opens for a remembered choice: the remembered device when it is
// present, else none (the settings file's port) and a message saying so.
struct StartPort {
    QString device;   // empty: the settings file's port
    QString message;  // for the status line; empty when nothing needs saying
};
StartPort ChooseStartPort(const QString& remembered, const std::vector<SerialPortEntry>& present);

// The remembered choice in the configuration file configFile (QSettings, INI format);
// empty when none is remembered. An empty device forgets the choice. RememberDevice
// returns false when the file could not be written.
QString RememberedDevice(const QString& configFile);
bool RememberDevice(const QString& configFile, const QString& device);
