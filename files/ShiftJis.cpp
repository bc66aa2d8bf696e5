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

std::optional<std::string> Utf8ToCp932(std::string_view utf8)
{
    if (isAscii(utf8))
        return std::string(utf8);
    if (!ShiftJisAvailable())
        return std::nullopt;
    const QString text = QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
    QStringEncoder encoder(kCodePageName);
    const QByteArray bytes = encoder.encode(text);
    // The converter puts a substitute in place of a character it lacks (sometimes without
    // flagging an error), so only a text that converts back to itself counts as held.
    if (encoder.hasError() || decode(std::string_view(bytes.constData(), std::size_t(bytes.size()))) != text)
        return std::nullopt;
    return bytes.toStdString();
}
