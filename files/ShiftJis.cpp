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
    return decode(bytes).toStdString();
}

EncodedText Utf8ToCp932(std::string_view utf8)
{
    if (isAscii(utf8))
        return {std::string(utf8)};
    const QString text = QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
    const bool available = ShiftJisAvailable();
    QStringEncoder encoder(kCodePageName);
    if (available) {
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
        if (available) {
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
