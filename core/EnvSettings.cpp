#include "core/EnvSettings.h"

#include <charconv>
#include <fstream>
#include <system_error>

namespace {

constexpr std::size_t kComOffset = 0;
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

std::string pathText(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string numberText(long value)
{
    char buffer[24];
    return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

// Reads the first 40 bytes; the count actually read goes to `got`.
bool readPrefix(const std::filesystem::path& path, std::array<uint8_t, kSettingsFileSize>& bytes, std::size_t& got)
{
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open())
        return false;
    in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()));
    got = std::size_t(in.gcount());
    return !in.bad();
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

std::filesystem::path SettingsPathFor(const std::filesystem::path& startDir)
{
    return startDir / kSettingsFileName;
}

SettingsReadResult ReadSettings(const std::filesystem::path& settingsPath)
{
    SettingsReadResult result;
    const std::string shown = pathText(settingsPath);
    std::error_code error;
    const auto status = std::filesystem::status(settingsPath, error);
    if (status.type() == std::filesystem::file_type::not_found) {
        const std::string problem = WriteSettings(settingsPath, result.settings);
        if (!problem.empty()) {
            result.problems.push_back(problem + "標準設定で動作します。");
            return result;
        }
        result.createdFile = true;
    } else if (error) {
        result.problems.push_back("設定ファイル " + shown + " を確認できません。標準設定で動作します。");
        return result;
    } else if (status.type() != std::filesystem::file_type::regular) {
        result.problems.push_back(shown + " は通常のファイルではありません。標準設定で動作します。");
        return result;
    }

    std::array<uint8_t, kSettingsFileSize> bytes{};
    std::size_t got = 0;
    if (!readPrefix(settingsPath, bytes, got)) {
        result.problems.push_back("設定ファイル " + shown + " を読み込めません。標準設定で動作します。");
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

std::string WriteSettings(const std::filesystem::path& settingsPath, const EnvSettings& settings)
{
    const std::string failed = "設定ファイル " + pathText(settingsPath) + " に書き込めません。";
    // Open an existing file in place so that bytes after the record survive; create it
    // only when it is missing, and never truncate.
    std::fstream file(settingsPath, std::ios::in | std::ios::out | std::ios::binary);
    if (!file.is_open()) {
        std::error_code error;
        if (std::filesystem::exists(settingsPath, error) || error)
            return failed;
        file.open(settingsPath, std::ios::out | std::ios::app | std::ios::binary);
        if (!file.is_open())
            return "設定ファイル " + pathText(settingsPath) + " を作成できません。";
    }
    const auto bytes = EncodeSettings(settings);
    file.seekp(0);
    file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    file.close();
    if (file.fail())
        return failed;
    return {};
}
