#include "link/LineSettings.h"

#include <charconv>

namespace {

void appendNumber(QString& text, long long value)
{
    char digits[24];
    auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    text += QString::fromLatin1(digits, end - digits);
}

// d = 6 - k: above 4 the speed is (d - 4) x 57600, otherwise 2^d x 2400 (halving for
// negative d, so an index past the list keeps following the rule down to nothing).
int speedFor(int k)
{
    const int d = 6 - k;
    if (d > 4)
        return d - 4 > 1000 ? 0 : (d - 4) * 57600;
    if (d >= 0)
        return 2400 << d;
    return -d >= 31 ? 0 : 2400 >> -d;
}

} // namespace

QString LineSettings::settingsText() const
{
    QString text;
    appendNumber(text, speed);
    text += u',' + parity + u',';
    appendNumber(text, dataBits);
    text += u',';
    appendNumber(text, stopBits);
    return text;
}

int LineSettings::frameBits() const
{
    const bool parityBit = parity == u"e" || parity == u"o";
    return 1 + dataBits + (parityBit ? 1 : 0) + stopBits;
}

LineSettings LineSettingsFor(const EnvSettings& settings)
{
    const auto& com = settings.Com;
    LineSettings line;
    line.speed = speedFor(com[0]);
    line.dataBits = 8 - com[1];
    static constexpr char kParityLetters[] = "neo";
    line.parity = com[2] >= 0 && com[2] < 3 ? QString(QChar::fromLatin1(kParityLetters[com[2]])) : QString();
    line.stopBits = com[3] + 1;
    line.delimiter = com[4] == 0 ? QByteArray("\r\n") : QByteArray("\n");
    line.port = com[5] + 1;
    return line;
}

QString PortDeviceName(int port)
{
    QString name;
#ifdef Q_OS_WIN
    name = QStringLiteral("COM");
    appendNumber(name, port);
#else
    name = QStringLiteral("/dev/ttyS");
    appendNumber(name, port - 1);
#endif
    return name;
}

std::optional<int16_t> SpeedListPosition(int baud)
{
    for (int16_t k = 0; k < kComListSizes[0]; ++k)
        if (speedFor(k) == baud)
            return k;
    return std::nullopt;
}
