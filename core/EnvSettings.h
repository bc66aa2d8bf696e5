#pragma once
// The settings record: six serial-list indices and seven display colours, kept in the
// 40-byte little-endian file MV_UTL.ENV in the working directory at start-up.

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

struct EnvSettings {
    // List indices: speed, data bits, parity, stop bits, delimiter, port.
    std::array<int16_t, 6> Com{4, 0, 0, 0, 0, 0};
    // Colours as red + 256*green + 65536*blue: CH1 trace, CH2 trace, background,
    // grid, centre line, CH1 baseline, CH2 baseline. Kept as stored, high byte included;
    // only the low 24 bits are a colour.
    std::array<int32_t, 7> Color{12582912, 16576, 12632256, 14737632, 65535, 16744576, 8421631};

    bool operator==(const EnvSettings&) const = default;
};

inline constexpr std::size_t kSettingsFileSize = 40;
inline constexpr char kSettingsFileName[] = "MV_UTL.ENV";
// Number of entries in each serial list; index k of Com must be below kComListSizes[k].
inline constexpr std::array<int16_t, 6> kComListSizes{7, 2, 3, 2, 2, 2};

std::array<uint8_t, kSettingsFileSize> EncodeSettings(const EnvSettings& settings);
EnvSettings DecodeSettings(std::span<const uint8_t, kSettingsFileSize> bytes);

// Where MV_UTL.ENV is used: in the start-up working directory when something of that name
// is there (files kept beside their work go on working; anything that is not a file is
// told, not passed over), otherwise in configDir, the user's configuration folder, so
// that a program started from a menu does not write into the home folder. An empty
// configDir keeps the working directory.
std::filesystem::path SettingsPathFor(const std::filesystem::path& startDir, const std::filesystem::path& configDir = {});

// Outcome of ReadSettings. settings is always usable: whatever could not be read or
// lay outside its list was replaced by its default. problems holds one Japanese
// sentence per problem, for the user; empty when all went well.
struct SettingsReadResult {
    EnvSettings settings;
    bool createdFile = false;          // the file was missing and the defaults were written
    std::vector<std::string> problems;
};

// Reads the settings, creating the file with the defaults when nothing is at the path.
// Only a regular file is read (a link to one is followed); anything else, a dangling
// link, or a file shorter than 40 bytes gives the defaults and is never written here.
SettingsReadResult ReadSettings(const std::filesystem::path& settingsPath);

// All problems of one read as one message, a line each; empty when there were none.
std::string SettingsProblemsText(const SettingsReadResult& result);

// Writes the 40 bytes at the start of the regular file at the path (links followed),
// creating it when nothing is there and keeping whatever follows byte 40. A dangling
// link or anything but a regular file at the end is refused and left as it is. Returns
// an empty string on success, else a Japanese message naming the file.
std::string WriteSettings(const std::filesystem::path& settingsPath, const EnvSettings& settings);

// Sets the line-speed and delimiter positions (Com[0], Com[4]) in an existing settings
// file and leaves every other byte as it was, also bytes the reader would not accept.
// The file is replaced as a whole (a new file renamed over it), so it is never half
// written. Where nothing is, the default record with these two values is written; a file
// shorter than 40 bytes is refused. Returns an empty string on success,
// else a Japanese message naming the file.
std::string WriteLineSpeedAndDelimiter(const std::filesystem::path& settingsPath, int16_t speedIndex,
                                       int16_t delimiterIndex);
