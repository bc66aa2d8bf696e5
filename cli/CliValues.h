#pragma once
// Option values of miravo-cli read as what they mean: durations and the numbers of the
// setup dialog.

#include <QString>
#include <chrono>
#include <optional>

// The longest wait an option may ask for: --timeout, --every.
inline constexpr std::chrono::days kMaxWait{30};

// Seconds (a decimal number, "1.5", "2e3") as a duration in milliseconds, rounded up:
// finite, not negative, zero only where allowed, at most kMaxWait; nullopt otherwise.
std::optional<std::chrono::milliseconds> ParseSeconds(const QString& text, bool zeroAllowed);

// A length of time: seconds, or a number with "s", "min", "h" or "d"; above 0, at most
// kMaxWait; nullopt otherwise.
std::optional<std::chrono::milliseconds> ParseDuration(const QString& text);

// The reason ParseSeconds refused `text` for option `name`, one line.
QString SecondsProblem(const char* name, const QString& text, bool zeroAllowed);

// The reason --tolerance's value was refused, one line naming it.
QString ToleranceProblem(const QString& text);

// A text the setup dialog would read as a number: it starts like one.
bool StartsLikeNumber(const QString& text);

// A time option's value in seconds ("1m", "250u") as its text shows it (0.0009, not
// 0.000900000043); nullopt when it is no number.
std::optional<double> ParseTime(const QString& text);
