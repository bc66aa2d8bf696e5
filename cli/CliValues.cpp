#include "cli/CliValues.h"

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

QString SecondsProblem(const char* name, const QString& text, bool zeroAllowed)
{
    return QStringLiteral("--%1 には %2 %3 秒（30 日）までの秒数を指定してください: %4")
        .arg(QLatin1String(name), zeroAllowed ? QStringLiteral("0 から") : QStringLiteral("0 より大きく"))
        .arg(std::chrono::seconds(kMaxWait).count())
        .arg(text);
}

bool StartsLikeNumber(const QString& text)
{
    const QString t = text.trimmed();
    return !t.isEmpty() && (t[0].isDigit() || QStringLiteral("+-.＋－．").contains(t[0]));
}
