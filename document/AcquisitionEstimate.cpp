#include "document/AcquisitionEstimate.h"

namespace {

// Below this the rate is mostly the commands' round trips, not the line.
constexpr qint64 kMinElapsedMs = 200;
constexpr qint64 kMinBytes = 64;

} // namespace

std::optional<qint64> SecondsLeft(const TransferProgress& progress)
{
    const qint64 done = progress.doneBytes();
    const qint64 left = progress.allBytes() - done;
    if (left <= 0)
        return 0;
    if (done < kMinBytes || progress.elapsedMs < kMinElapsedMs)
        return std::nullopt;
    // ms left = left * elapsed / done; whole seconds, rounded up.
    const long double msLeft = static_cast<long double>(left) * progress.elapsedMs / done;
    return static_cast<qint64>((msLeft + 999.0L) / 1000.0L);
}

QString ProgressText(const TransferProgress& progress)
{
    QString text = QStringLiteral("CH%1 受信中　%2 / %3 バイト　")
                       .arg(progress.channel)
                       .arg(progress.received)
                       .arg(progress.points);
    const std::optional<qint64> seconds = SecondsLeft(progress);
    if (!seconds)
        return text + QStringLiteral("残り時間を計算中");
    if (*seconds >= 60)
        return text + QStringLiteral("残り約%1分%2秒").arg(*seconds / 60).arg(*seconds % 60);
    return text + QStringLiteral("残り約%1秒").arg(*seconds);
}
