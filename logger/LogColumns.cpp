#include "logger/LogColumns.h"

#include <charconv>

namespace {

// The shortest text that reads back as the same double, independent of the locale.
QString exact(double value)
{
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return QString::fromLatin1(text, result.ptr - text);
}

} // namespace

QStringList LogHeader(const QList<int>& channels, bool judged)
{
    QStringList header{QStringLiteral("time"), QStringLiteral("capture"), QStringLiteral("status")};
    for (const int channel : channels)
        for (const LogMeasurement& m : kLogMeasurements)
            header << QStringLiteral("ch%1_%2").arg(channel).arg(QLatin1String(m.column));
    if (judged)
        header << QLatin1String(kLogReferenceColumn);
    return header;
}

QString LogVerdictField(std::optional<bool> pass)
{
    if (!pass)
        return {};
    return *pass ? QStringLiteral("pass") : QStringLiteral("fail");
}

QString LogTime(const QDateTime& time)
{
    const int offset = time.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return time.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz"))
         + QStringLiteral("%1%2:%3")
               .arg(offset < 0 ? QLatin1Char('-') : QLatin1Char('+'))
               .arg(minutes / 60, 2, 10, QLatin1Char('0'))
               .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QStringList LogRow(const QDateTime& time, qint64 capture, const QString& status,
                   const QList<std::optional<ChannelMeasurements>>& measured)
{
    QStringList row{LogTime(time), QString::number(capture), status};
    for (const auto& channel : measured) {
        for (const LogMeasurement& m : kLogMeasurements) {
            const std::optional<double> value = channel ? (*channel)[m.measurement] : std::nullopt;
            row << (value ? exact(*value) : QString());
        }
    }
    return row;
}
