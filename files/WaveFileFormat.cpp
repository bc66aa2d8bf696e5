#include "files/WaveFileFormat.h"

#include "core/EngNumber.h"

std::optional<WaveFileKind> WaveFileKindFor(std::string_view path)
{
    const std::string extension = FileExtension(path);
    if (extension == "CSV")
        return WaveFileKind::Csv;
    if (extension == "RAW")
        return WaveFileKind::Raw;
    return std::nullopt;
}

std::string WaveFileProblemText(WaveFileProblem::Kind kind)
{
    using Kind = WaveFileProblem::Kind;
    switch (kind) {
    case Kind::None:
        return {};
    case Kind::EndInHeader:
        return "見出しの途中でファイルが終わっています。";
    case Kind::EndInPair:
        return "サンプルの CH1 と CH2 の間でファイルが終わっています。";
    case Kind::UnclosedQuote:
        return "「\"」で始まる項目が閉じられていません。";
    case Kind::NotANumber:
        return "数値であるべき項目が数値ではありません。";
    case Kind::OutOfRange:
        return "数値が範囲外です（サンプルは -32768 ～ 32767）。";
    case Kind::NoSamples:
        return "サンプルの行がありません。";
    case Kind::TooManySamples:
        return "サンプルの行が 103001 行を超えています。";
    }
    return {};
}

bool TitleNeedsQuotes(std::string_view title)
{
    if (!title.empty() && (title.front() == ' ' || title.front() == '"'))
        return true;
    return title.find_first_of(",\r\n") != std::string_view::npos;
}
