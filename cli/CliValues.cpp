#include "cli/CliValues.h"

#include "core/EngNumber.h"

#include <cmath>

std::optional<std::chrono::milliseconds> ParseSeconds(const QString& text, bool zeroAllowed)
{
    bool ok = false;
    const double seconds = text.trimmed().toDouble(&ok);
    // Compared as seconds first: far beyond the limit, milliseconds would overflow.
    constexpr double kMaxSeconds = double(std::chrono::seconds(kMaxWait).count());
    if (!ok || !std::isfinite(seconds) || seconds < 0 || seconds > kMaxSeconds || (seconds == 0 && !zeroAllowed))
        return std::nullopt;
    return std::chrono::ceil<std::chrono::milliseconds>(std::chrono::duration<double>(seconds));
}

std::optional<std::chrono::milliseconds> ParseDuration(const QString& text)
{
    static const std::pair<QLatin1String, double> kUnits[] = {
        {QLatin1String("min"), 60}, {QLatin1String("s"), 1}, {QLatin1String("h"), 3600}, {QLatin1String("d"), 86400}};
    QString number = text.trimmed();
    double factor = 1;
    for (const auto& [unit, seconds] : kUnits) {
        if (number.endsWith(unit)) {
            number.chop(unit.size());
            factor = seconds;
            break;
        }
    }
    bool ok = false;
    const double value = number.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return ParseSeconds(QString::number(value * factor, 'g', 17), false);
}

QString SecondsProblem(const char* name, const QString& text, bool zeroAllowed)
{
    return QStringLiteral("--%1 には %2 %3 秒（30 日）までの秒数を指定してください: %4")
        .arg(QLatin1String(name), zeroAllowed ? QStringLiteral("0 から") : QStringLiteral("0 より大きく"))
        .arg(std::chrono::seconds(kMaxWait).count())
        .arg(text);
}

QString ToleranceProblem(const QString& text)
{
    return QStringLiteral("--tolerance には 0 以上の電圧を指定してください（例: 50m、0.05）: ") + text;
}

bool StartsLikeNumber(const QString& text)
{
    const QString t = text.trimmed();
    return !t.isEmpty() && (t[0].isDigit() || QStringLiteral("+-.＋－．").contains(t[0]));
}

std::optional<double> ParseTime(const QString& text)
{
    if (!StartsLikeNumber(text))
        return std::nullopt;
    return QString::fromStdString(NumberText(ParseEng(text.toStdString()))).toDouble();
}
