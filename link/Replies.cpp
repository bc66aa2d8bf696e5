#include "link/Replies.h"

#include <algorithm>
#include <charconv>
#include <string_view>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

} // namespace

std::optional<int16_t> ParseStatus(QByteArrayView reply)
{
    std::string_view text(reply.data(), std::size_t(reply.size()));
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    // A sign the reader does not take: "+1" is 1 (but "+-1" stays an error).
    if (text.size() > 1 && text[0] == '+' && text[1] >= '0' && text[1] <= '9')
        text.remove_prefix(1);
    int16_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

QStringList SplitIdentity(QByteArrayView reply)
{
    return QString::fromLatin1(reply).split(u',');
}

std::optional<int> BlockCount(QByteArrayView header)
{
    if (header.size() != kBlockHeaderSize)
        return std::nullopt;
    const std::string_view field(header.data() + 2, kBlockHeaderSize - 2);
    if (!std::all_of(field.begin(), field.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    int count = 0;
    std::from_chars(field.data(), field.data() + field.size(), count);
    return count;
}

bool IsIdentityReply(const QStringList& fields)
{
    if (fields.size() != 4 || fields[0].isEmpty() || fields[1].isEmpty())
        return false;
    QString last = fields[3];
    while (last.endsWith(QLatin1Char('\n')) || last.endsWith(QLatin1Char('\r')))
        last.chop(1);
    for (const QString& field : {fields[0], fields[1], fields[2], last})
        for (const QChar c : field)
            if (c.unicode() < 0x20 || c.unicode() > 0x7E)
                return false;
    return true;
}
