#include "link/SerialPorts.h"

#include <QSerialPortInfo>
#include <QSettings>
#include <algorithm>
#include <cstdio>

namespace {

constexpr char kDeviceKey[] = "serial/device";

QString usbId(const QSerialPortInfo& info)
{
    if (!info.hasVendorIdentifier() || !info.hasProductIdentifier())
        return {};
    return QStringLiteral("%1:%2").arg(info.vendorIdentifier(), 4, 16, QLatin1Char('0')).arg(info.productIdentifier(), 4, 16, QLatin1Char('0'));
}

} // namespace

QString PortField(const QString& text)
{
    QString clean = text.trimmed();
    for (QChar& c : clean) {
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char(' ');
    }
    return clean.isEmpty() ? QStringLiteral("-") : clean;
}

std::vector<SerialPortEntry> AvailableSerialPorts()
{
    std::vector<SerialPortEntry> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
#ifdef Q_OS_WIN
        const QString device = info.portName();
#else
        const QString device = info.systemLocation();
#endif
        ports.push_back({device, info.description(), info.manufacturer(), info.serialNumber(), usbId(info)});
    }
    std::sort(ports.begin(), ports.end(),
              [](const SerialPortEntry& a, const SerialPortEntry& b) { return a.device < b.device; });
    return ports;
}

QString PortListText(const std::vector<SerialPortEntry>& ports)
{
    QString text;
    for (const SerialPortEntry& port : ports) {
        text += QStringList{PortField(port.device), PortField(port.description), PortField(port.manufacturer),
                            PortField(port.serialNumber), PortField(port.usbId)}
                    .join(QLatin1Char('\t')) +
                QLatin1Char('\n');
    }
    return text;
}

int PrintPortList(const std::vector<SerialPortEntry>& ports, std::FILE* out, std::FILE* err)
{
    if (ports.empty())
        std::fputs(QStringLiteral("シリアルデバイスが見つかりません。\n").toLocal8Bit().constData(), err);
    else
        std::fputs(PortListText(ports).toLocal8Bit().constData(), out);
    return 0;
}

StartPort ChooseStartPort(const QString& remembered, const std::vector<SerialPortEntry>& present)
{
    if (remembered.isEmpty())
        return {};
    const bool found = std::any_of(present.begin(), present.end(),
                                   [&](const SerialPortEntry& port) { return port.device == remembered; });
    if (found)
        return {remembered, {}};
    return {{}, QStringLiteral("記憶したデバイス %1 が見つかりません。設定ファイルのポートを使います。").arg(remembered)};
}

QString RememberedDevice(const QString& configFile)
{
    return QSettings(configFile, QSettings::IniFormat).value(QLatin1String(kDeviceKey)).toString();
}

bool RememberDevice(const QString& configFile, const QString& device)
{
    QSettings config(configFile, QSettings::IniFormat);
    if (device.isEmpty())
        config.remove(QLatin1String(kDeviceKey));
    else
        config.setValue(QLatin1String(kDeviceKey), device);
    config.sync();
    return config.status() == QSettings::NoError;
}
