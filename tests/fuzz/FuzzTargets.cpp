#include "FuzzTargets.h"

#include "core/EnvSettings.h"
#include "core/RegularFile.h"
#include "files/WaveFileReader.h"
#include "files/WaveFileWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

void require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "fuzz invariant broken: %s\n", what);
        std::abort();
    }
}

std::string asIs(std::string_view bytes) { return std::string(bytes); }
EncodedText asIsEncoded(std::string_view text) { return {std::string(text)}; }

// The input reaches the readers through a path, as in the program: written to a scratch
// file and read by its name or, for odd sizes, through a link to it.
class ScratchFile {
public:
    ScratchFile() : m_folder(std::filesystem::temp_directory_path() / ("miravo-fuzz-" + std::to_string(getpid())))
    {
        std::filesystem::create_directories(m_folder);
        std::error_code ignored;
        std::filesystem::create_symlink("file", m_folder / "link", ignored);
    }
    ~ScratchFile() { std::filesystem::remove_all(m_folder); }

    std::filesystem::path holding(std::span<const uint8_t> data)
    {
        std::ofstream(m_folder / "file", std::ios::binary)
            .write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
        return m_folder / (data.size() % 2 == 0 ? "file" : "link");
    }
    // Gone again, so the next input makes a fresh file: ext4 flushes one truncated and
    // rewritten in place, which is slow.
    void clear() { std::filesystem::remove(m_folder / "file"); }

private:
    std::filesystem::path m_folder;
};

ScratchFile& scratch()
{
    static ScratchFile file;
    return file;
}

void checkRoundTrip(const WaveRecord& record, const WaveFileContent& content, WaveFileKind kind)
{
    const WaveFileText written = FormatWaveFile(record, kind, asIsEncoded);
    const WaveFileRead again = ParseWaveFile(written.bytes, kind, asIs);
    // CSV carries offsets through seven-digit divisions: beyond a few thousand counts the
    // samples no longer come back exactly, which no real record reaches.
    const bool exact = kind == WaveFileKind::Raw
                    || (std::fabs(content.Ch1Offset) <= 1e4f && std::fabs(content.Ch2Offset) <= 1e4f);
    if (!exact)
        return;
    require(again.content.has_value(), "a written file reads back");
    require(written.titleChanged || again.content->Title == content.Title, "the title reads back");
    require(again.content->pairCount() == content.pairCount(), "the sample count reads back");
    for (std::size_t at = 0; at < content.samples.size(); ++at) {
        if ((at % 2 == 0 ? content.Ch1On : content.Ch2On) != 0)
            require(again.content->samples[at] == content.samples[at], "the samples of a channel on read back");
    }
}

} // namespace

void FuzzWaveFile(std::span<const uint8_t> data)
{
    static WaveRecord record;  // one table for the whole run, as in the program
    const FileBytes file = ReadRegularFile(scratch().holding(data), kMaxWaveFileBytes);
    scratch().clear();
    if (data.size() > kMaxWaveFileBytes) {
        require(file.problem.kind == FileProblem::Kind::TooLarge && file.bytes.empty(), "a file past the limit is refused");
        return;
    }
    const std::string_view text = file.bytes;
    require(!file.problem && text == std::string_view(reinterpret_cast<const char*>(data.data()), data.size()),
            "a regular file reads whole, through a link too");
    const auto lines = 1 + std::count(text.begin(), text.end(), '\n') + std::count(text.begin(), text.end(), '\r');
    for (const WaveFileKind kind : {WaveFileKind::Csv, WaveFileKind::Raw}) {
        const WaveFileRead read = ParseWaveFile(text, kind, asIs);
        if (!read.content) {
            require(read.problem.kind != WaveFileProblem::Kind::None, "a refusal says why");
            require(read.problem.line >= 1 && read.problem.line <= lines, "a refusal names a line of the file");
            continue;
        }
        const WaveFileContent& content = *read.content;
        require(content.samples.size() % 2 == 0, "samples come in pairs");
        require(content.pairCount() >= 1 && content.pairCount() <= SampleTable::kCapacity, "samples fit the table");
        for (const float value : {content.SecondsPerDiv, content.DelaySeconds, content.Ch1VoltsPerDiv,
                                  content.Ch2VoltsPerDiv, content.Ch1Offset, content.Ch2Offset})
            require(std::isfinite(value), "parameters are finite");
        ApplyWaveFile(content, record);
        require(record.LastIndex == content.pairCount() - 1, "LastIndex follows the pairs read");
        checkRoundTrip(record, content, kind);
    }
}

void FuzzSettings(std::span<const uint8_t> data)
{
    std::array<uint8_t, kSettingsFileSize> block{};
    std::copy_n(data.begin(), std::min(data.size(), block.size()), block.begin());
    const EnvSettings decoded = DecodeSettings(block);
    require(EncodeSettings(decoded) == block, "decoding keeps every byte");

    const std::filesystem::path path = scratch().holding(data);
    const SettingsReadResult result = ReadSettings(path);
    for (std::size_t k = 0; k < kComListSizes.size(); ++k)
        require(result.settings.Com[k] >= 0 && result.settings.Com[k] < kComListSizes[k], "list index in its list");
    const bool whole = data.size() >= kSettingsFileSize;
    require(result.settings.Color == (whole ? decoded : EnvSettings{}).Color, "colours as stored, else the defaults");
    if (result.problems.empty())
        require(whole && result.settings == decoded, "a clean read gives back the bytes read");

    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> after{std::istreambuf_iterator<char>(in), {}};
    require(std::equal(after.begin(), after.end(), data.begin(), data.end()), "reading leaves the file alone");
    scratch().clear();
}
