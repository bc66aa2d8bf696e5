#include "files/ShiftJis.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>

namespace {

constexpr char kCodePageName[] = "windows-31j";

bool isAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

QString decode(std::string_view bytes)
{
    QStringDecoder decoder(kCodePageName);
    return decoder.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
}

bool isLeadByte(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

bool isTrailByte(unsigned char c)
{
    return c >= 0x40 && c <= 0xFC && c != 0x7F;
}

// One character at a time: the converter gives U+001A (Ctrl-Z) for a byte sequence it
// cannot map, which would pass unseen and be written back as 0x1A; U+FFFD is written as
// "?" with the title-changed notice.
QString decodeChecked(std::string_view bytes)
{
    QString text;
    for (std::size_t at = 0; at < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[at]);
        const std::size_t length =
            isLeadByte(lead) && at + 1 < bytes.size() && isTrailByte(static_cast<unsigned char>(bytes[at + 1])) ? 2 : 1;
        const std::string_view unit = bytes.substr(at, length);
        at += length;
        if (lead < 0x80) {
            text += QLatin1Char(char(lead));
            continue;
        }
        QStringDecoder decoder(kCodePageName);
        const QString character = decoder.decode(QByteArrayView(unit.data(), qsizetype(unit.size())));
        const bool mapped = !decoder.hasError() && character.size() == 1 && character.at(0) != QChar(0x1A) &&
                            character.at(0) != QChar::ReplacementCharacter;
        text += mapped ? character : QString(QChar::ReplacementCharacter);
    }
    return text;
}

} // namespace

bool ShiftJisAvailable()
{
    return QStringDecoder(kCodePageName).isValid() && QStringEncoder(kCodePageName).isValid();
}

std::string Cp932ToUtf8(std::string_view bytes)
{
    if (isAscii(bytes))
        return std::string(bytes);
    if (!ShiftJisAvailable())
        return QString(bytes.size(), QChar::ReplacementCharacter).toStdString();
    return decodeChecked(bytes).toStdString();
}

EncodedText Utf8ToCp932(std::string_view utf8)
{
    if (isAscii(utf8))
        return {std::string(utf8)};
    const QString text = QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
    const bool available = ShiftJisAvailable();
    QStringEncoder encoder(kCodePageName);
    // U+FFFD stands for bytes that were not Shift-JIS; the converter would write it as a
    // character of its own that reads back as U+FFFD again. It also swaps the control
    // characters 0x1A and 0x7F both ways; ASCII is written as itself below.
    const auto swapped = [](QChar c) { return c == QChar(0x1A) || c == QChar(0x7F) || c == QChar::ReplacementCharacter; };
    if (available && std::none_of(text.begin(), text.end(), swapped)) {
        // The converter puts a substitute in place of a character it lacks (sometimes
        // without flagging an error), so only a text that converts back to itself is held.
        const QByteArray bytes = encoder.encode(text);
        if (!encoder.hasError() && decode(std::string_view(bytes.constData(), std::size_t(bytes.size()))) == text)
            return {bytes.toStdString()};
    }
    EncodedText result;
    for (qsizetype at = 0; at < text.size();) {
        const qsizetype units = text.at(at).isHighSurrogate() && at + 1 < text.size() ? 2 : 1;
        const QStringView character = QStringView(text).mid(at, units);
        at += units;
        if (character.at(0).unicode() < 0x80) {
            result.bytes.push_back(char(character.at(0).unicode()));
            continue;
        }
        if (character.at(0).unicode() == 0x00A5) {
            result.bytes.push_back('\x5C');
            continue;
        }
        if (available && character.at(0) != QChar::ReplacementCharacter) {
            const QByteArray bytes = encoder.encode(character);
            if (decode(std::string_view(bytes.constData(), std::size_t(bytes.size()))) == character) {
                result.bytes.append(bytes.constData(), std::size_t(bytes.size()));
                continue;
            }
        }
        result.bytes.push_back('?');
        result.changed = true;
    }
    return result;
}
