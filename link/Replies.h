#pragma once
// Reading the instrument's replies: the status line, the identity line and the header
// of a waveform block.

#include <QByteArrayView>
#include <QStringList>
#include <cstdint>
#include <optional>

// The status line as a decimal 16-bit integer with an optional sign ("+1", "-3"),
// surrounding white space and the line terminator ignored; nullopt for anything else
// (empty, letters, out of range).
std::optional<int16_t> ParseStatus(QByteArrayView reply);

// The identity line split at every ",": nothing is trimmed, empty fields count, and the
// line terminator stays at the end of the last field.
QStringList SplitIdentity(QByteArrayView reply);

// Whether identity fields look like an answer to "*IDN?": four fields (maker, model,
// serial number, firmware), the maker and model not empty, nothing but printable ASCII
// after the line terminator is set aside. Bytes of an earlier transfer taken for a reply
// fail it.
bool IsIdentityReply(const QStringList& fields);

inline constexpr int kBlockHeaderSize = 10;

// The byte count of a block header: characters 3 to 10, eight decimal digits (leading
// zeros allowed). The first two characters are not examined. nullopt when the field is
// not all digits.
std::optional<int> BlockCount(QByteArrayView header);
