#include "link/QtSerialLine.h"

#include "link/CommEvents.h"
#include "link/LinkTrace.h"

#include <QFile>

#ifdef Q_OS_UNIX
#include <poll.h>
#include <sys/stat.h>
#endif

namespace {

// Short lines go out at once; a line that cannot be written within this time is left to
// the port and the ACK time-out.
constexpr int kWriteWaitMs = 200;

QString openFailure(const QString& device, QSerialPort::SerialPortError error)
{
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return QStringLiteral("通信ポート %1 が見つかりません。通信設定を確認してください。").arg(device);
    case QSerialPort::PermissionError:
        return QStringLiteral("通信ポート %1 を開けません。他のプログラムが使用中か、使用が許可されていません。").arg(device);
    default:
        return QStringLiteral("通信ポート %1 を開けません。通信設定を確認してください。").arg(device);
    }
}

// A path to something that is there but is no device (a regular file, a folder): a serial
// port cannot be opened on it, and "not found" would mislead.
bool namesNoDevice(const QString& device)
{
#ifdef Q_OS_UNIX
    // A bare name is a device in /dev when one is there (the port opens "/dev/ttyUSB0" for
    // "ttyUSB0"); else the name is taken as the path it is.
    struct stat status {};
    if (!device.contains(QLatin1Char('/')) && QFile::exists(QStringLiteral("/dev/") + device))
        return false;
    return ::stat(QFile::encodeName(device).constData(), &status) == 0 && !S_ISCHR(status.st_mode);
#else
    Q_UNUSED(device);
    return false;
#endif
}

} // namespace

QtSerialLine::QtSerialLine(std::function<void(int code)> onCommEvent, std::function<void()> onLost)
    : m_onCommEvent(std::move(onCommEvent)), m_onLost(std::move(onLost))
{
    QObject::connect(&m_port, &QSerialPort::errorOccurred, [this](QSerialPort::SerialPortError e) { onError(e); });
}

QtSerialLine::~QtSerialLine()
{
    m_port.disconnect();
    m_port.close();
}

QString QtSerialLine::open(const QString& device, const LineSettings& settings, QStringList& warnings)
{
    close();
    m_device = device;
    if (namesNoDevice(device))
        return QStringLiteral("%1 はシリアルデバイスではありません（ファイルかフォルダーです）。通信ポートのデバイスを指定してください。").arg(device);
    const bool validSettings = settings.speed > 0 && settings.dataBits >= 5 && settings.dataBits <= 8
        && (settings.parity == u"n" || settings.parity == u"e" || settings.parity == u"o")
        && (settings.stopBits == 1 || settings.stopBits == 2);
    if (!validSettings)
        return QStringLiteral("通信設定（%1）が正しくないため、通信ポートを開けません。").arg(settings.settingsText());

    // The port opens at the speed with 8 bits, no parity, 1 stop bit; the rest is set on
    // the open port, where a device that refuses it (a pseudo-terminal refuses 7 bits and
    // parity) leaves a warning instead of a closed port.
    m_configuring = true;
    m_port.setPortName(device);
    m_port.setReadBufferSize(kReceiveBufferSize);
    m_port.setBaudRate(settings.speed);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!m_port.open(QIODevice::ReadWrite)) {
        m_configuring = false;
        return openFailure(device, m_port.error());
    }
    m_failed = false;
    if (settings.dataBits != 8 && !m_port.setDataBits(QSerialPort::DataBits(settings.dataBits)))
        warnings << QStringLiteral("通信ポートがデータビット %1 を受け付けないため、8 ビットで通信します。").arg(settings.dataBits);
    const auto parity = settings.parity == u"e" ? QSerialPort::EvenParity
        : settings.parity == u"o"              ? QSerialPort::OddParity
                                               : QSerialPort::NoParity;
    if (parity != QSerialPort::NoParity && !m_port.setParity(parity))
        warnings << QStringLiteral("通信ポートがパリティ %1 を受け付けないため、パリティなしで通信します。").arg(settings.parity);
    if (settings.stopBits == 2 && !m_port.setStopBits(QSerialPort::TwoStop))
        warnings << QStringLiteral("通信ポートがストップビット 2 を受け付けないため、1 ビットで通信します。");
    m_port.clearError();
    m_configuring = false;
    return {};
}

void QtSerialLine::close()
{
    if (m_port.isOpen())
        m_port.close();
    m_failed = false;
}

bool QtSerialLine::isOpen() const
{
    return m_port.isOpen() && !m_failed;
}

bool QtSerialLine::write(QByteArrayView bytes)
{
    if (!isOpen())
        return false;
    if (m_port.write(bytes.data(), bytes.size()) != bytes.size())
        m_failed = true;
    else
        m_port.waitForBytesWritten(kWriteWaitMs);
    closeIfFailed();
    return isOpen();
}

qint64 QtSerialLine::bytesWaiting()
{
    return isOpen() ? m_port.bytesAvailable() : 0;
}

QByteArray QtSerialLine::read(qint64 maxBytes)
{
    return isOpen() ? m_port.read(maxBytes) : QByteArray();
}

bool QtSerialLine::waitForData(std::chrono::milliseconds wait)
{
    if (!isOpen())
        return false;
    const bool arrived = m_port.waitForReadyRead(int(wait.count()));
    closeIfFailed();
    return arrived && isOpen();
}

void QtSerialLine::discardInput()
{
    if (isOpen())
        m_port.clear(QSerialPort::Input);
}

void QtSerialLine::onError(QSerialPort::SerialPortError error)
{
    switch (error) {
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
    case QSerialPort::ResourceError:
        // A read that found nothing is reported as an error too (it happens under a flood
        // of input); only a device that hung up or failed is gone. A vanished device keeps
        // reporting errors while the port claims to be open: it is closed at the next
        // chance (not here, inside the port's own call).
        if (m_configuring || m_failed || !deviceGone())
            break;
        qCDebug(lcLink, "port lost: %s", qUtf8Printable(m_port.errorString()));
        m_failed = true;
        if (m_onLost)
            m_onLost();
        break;
    case QSerialPort::UnknownError:
        if (!m_configuring && m_onCommEvent)
            m_onCommEvent(int(CommEvent::DeviceSettings));
        break;
    default:
        break;
    }
}

bool QtSerialLine::deviceGone() const
{
#ifdef Q_OS_UNIX
    pollfd descriptor{int(m_port.handle()), POLLIN, 0};
    return ::poll(&descriptor, 1, 0) < 0 || (descriptor.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
#else
    return true; // there the port reports only failures of the device
#endif
}

void QtSerialLine::closeIfFailed()
{
    if (m_failed && m_port.isOpen()) {
        m_port.close();
        m_port.clearError();
    }
}
