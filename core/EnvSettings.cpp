#include "core/EnvSettings.h"

#include "core/RegularFile.h"

#include <charconv>


namespace {

constexpr std::size_t kComOffset = 0;
// A settings file with more than this after its record is not one.
constexpr std::size_t kMaxSettingsFileBytes = 1 << 20;
constexpr std::size_t kColorOffset = 12;

// The names the options dialog gives the lists, for messages about a stored index.
constexpr const char* kComListNames[6] = {"通信速度", "ビット長", "パリティー", "ストップビット", "デリミッター", "ポート"};

void putLittleEndian(uint8_t* out, uint32_t value, std::size_t size)
{
    for (std::size_t i = 0; i < size; ++i)
        out[i] = uint8_t(value >> (8 * i));
}

uint32_t getLittleEndian(const uint8_t* in, std::size_t size)
{
    uint32_t value = 0;
    for (std::size_t i = 0; i < size; ++i)
        value |= uint32_t(in[i]) << (8 * i);
    return value;
}

std::string numberText(long value)
{
    char buffer[24];
    return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

} // namespace

std::array<uint8_t, kSettingsFileSize> EncodeSettings(const EnvSettings& settings)
{
    std::array<uint8_t, kSettingsFileSize> bytes{};
    for (std::size_t i = 0; i < settings.Com.size(); ++i)
        putLittleEndian(&bytes[kComOffset + 2 * i], uint16_t(settings.Com[i]), 2);
    for (std::size_t i = 0; i < settings.Color.size(); ++i)
        putLittleEndian(&bytes[kColorOffset + 4 * i], uint32_t(settings.Color[i]), 4);
    return bytes;
}

EnvSettings DecodeSettings(std::span<const uint8_t, kSettingsFileSize> bytes)
{
    EnvSettings settings;
    for (std::size_t i = 0; i < settings.Com.size(); ++i)
        settings.Com[i] = int16_t(uint16_t(getLittleEndian(&bytes[kComOffset + 2 * i], 2)));
    for (std::size_t i = 0; i < settings.Color.size(); ++i)
        settings.Color[i] = int32_t(getLittleEndian(&bytes[kColorOffset + 4 * i], 4));
    return settings;
}

std::filesystem::path SettingsPathFor(const std::filesystem::path& startDir, const std::filesystem::path& configDir)
{
    const std::filesystem::path beside = startDir / kSettingsFileName;
    std::error_code error;
    if (configDir.empty() || std::filesystem::exists(std::filesystem::symlink_status(beside, error)))
        return beside;
    return configDir / kSettingsFileName;
}

SettingsReadResult ReadSettings(const std::filesystem::path& settingsPath)
{
    SettingsReadResult result;
    const std::string shown = PathText(settingsPath);
    OpenedFile opened = OpenRegularFileForReading(settingsPath);
    if (opened.problem.kind == FileProblem::Kind::Missing) {
        const std::string problem = WriteSettings(settingsPath, result.settings);
        if (!problem.empty()) {
            result.problems.push_back(problem + "標準設定で動作します。");
            return result;
        }
        result.createdFile = true;
        opened = OpenRegularFileForReading(settingsPath);
    }
    if (opened.problem) {
        result.problems.push_back("設定ファイル " + shown + " を読み込めません：" + FileProblemText(opened.problem) +
                                  "標準設定で動作し、ファイルは変更しません。");
        return result;
    }

    std::array<uint8_t, kSettingsFileSize> bytes{};
    std::size_t got = 0;
    if (const FileProblem problem = ReadAtStart(opened.file, bytes.data(), bytes.size(), got)) {
        result.problems.push_back("設定ファイル " + shown + " を読み込めません：" + FileProblemText(problem) +
                                  "標準設定で動作し、ファイルは変更しません。");
        return result;
    }
    if (got < kSettingsFileSize) {
        result.problems.push_back("設定ファイル " + shown + " は " + numberText(long(got)) +
                                  " バイトしかなく、40 バイトに足りません。標準設定で動作し、ファイルは変更しません。");
        return result;
    }

    // Colours are kept as stored, high byte included; their users take the low 24 bits.
    const EnvSettings stored = DecodeSettings(bytes);
    result.settings.Color = stored.Color;
    for (std::size_t i = 0; i < stored.Com.size(); ++i) {
        if (stored.Com[i] >= 0 && stored.Com[i] < kComListSizes[i]) {
            result.settings.Com[i] = stored.Com[i];
        } else {
            result.problems.push_back("設定ファイル " + shown + " の" + kComListNames[i] + "の値 " +
                                      numberText(stored.Com[i]) + " は範囲外です。標準値を使います。");
        }
    }
    return result;
}

std::string SettingsProblemsText(const SettingsReadResult& result)
{
    std::string text;
    for (const std::string& problem : result.problems)
        text += (text.empty() ? "" : "\n") + problem;
    return text;
}

std::string WriteSettings(const std::filesystem::path& settingsPath, const EnvSettings& settings)
{
    // An existing file is written in place so that bytes after the record survive; it is
    // created only when nothing is at the path, and never truncated.
    const OpenedFile opened = OpenRegularFileForUpdate(settingsPath);
    FileProblem problem = opened.problem;
    if (!problem) {
        const auto bytes = EncodeSettings(settings);
        problem = WriteAtStart(opened.file, {reinterpret_cast<const char*>(bytes.data()), bytes.size()});
        std::error_code ignored;
        if (problem && opened.created)   // no empty or partial file is left behind
            std::filesystem::remove(settingsPath, ignored);
    }
    if (problem)
        return "設定ファイル " + PathText(settingsPath) + " に書き込めません：" + FileProblemText(problem);
    return {};
}

std::string WriteLineSpeedAndDelimiter(const std::filesystem::path& settingsPath, int16_t speedIndex,
                                       int16_t delimiterIndex)
{
    FileBytes file = ReadRegularFile(settingsPath, kMaxSettingsFileBytes);
    FileProblem problem = file.problem;
    if (problem.kind == FileProblem::Kind::Missing) {
        const auto defaults = EncodeSettings(EnvSettings{});
        file.bytes.assign(reinterpret_cast<const char*>(defaults.data()), defaults.size());
        problem = {};
    }
    if (!problem && file.bytes.size() < kSettingsFileSize)
        return "設定ファイル " + PathText(settingsPath) + " は 40 バイトに足りないため、書き換えません。";
    if (!problem) {
        uint8_t field[2];
        putLittleEndian(field, uint16_t(speedIndex), 2);
        file.bytes.replace(kComOffset, 2, reinterpret_cast<const char*>(field), 2);
        putLittleEndian(field, uint16_t(delimiterIndex), 2);
        file.bytes.replace(kComOffset + 2 * 4, 2, reinterpret_cast<const char*>(field), 2);
        problem = ReplaceRegularFile(settingsPath, file.bytes);
    }
    if (problem)
        return "設定ファイル " + PathText(settingsPath) + " に書き込めません：" + FileProblemText(problem);
    return {};
}
