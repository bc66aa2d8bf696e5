#include "interchange/ExportFormats.h"

#include "interchange/ExportedSignal.h"
#include "wave/ParameterPanel.h"

#include <sndfile.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

namespace {

// libsndfile writes through these calls into a string, so the file appears only when
// complete (ExportFile replaces the target in one step).
struct MemoryFile {
    std::string bytes;
    sf_count_t at = 0;
};

MemoryFile& memory(void* user) { return *static_cast<MemoryFile*>(user); }

sf_count_t length(void* user) { return sf_count_t(memory(user).bytes.size()); }

sf_count_t seek(sf_count_t offset, int whence, void* user)
{
    MemoryFile& file = memory(user);
    const sf_count_t base = whence == SEEK_CUR ? file.at : whence == SEEK_END ? sf_count_t(file.bytes.size()) : 0;
    file.at = std::max<sf_count_t>(0, base + offset);
    return file.at;
}

sf_count_t read(void* data, sf_count_t count, void* user)
{
    MemoryFile& file = memory(user);
    const sf_count_t available = std::max<sf_count_t>(0, sf_count_t(file.bytes.size()) - file.at);
    const sf_count_t n = std::min(count, available);
    std::memcpy(data, file.bytes.data() + file.at, std::size_t(n));
    file.at += n;
    return n;
}

sf_count_t write(const void* data, sf_count_t count, void* user)
{
    MemoryFile& file = memory(user);
    const std::size_t end = std::size_t(file.at + count);
    if (end > file.bytes.size())
        file.bytes.resize(end);
    std::memcpy(file.bytes.data() + file.at, data, std::size_t(count));
    file.at += count;
    return count;
}

sf_count_t tell(void* user) { return memory(user).at; }

std::string comment(const WaveRecord& record, const ExportedSignal& signal)
{
    std::string text = record.Title;
    for (int channel : signal.channels)
        text += (text.empty() ? "" : "; ") + VoltsPerDivCaption(channel, record.voltsPerDiv(channel));
    return text;
}

} // namespace

ExportBytes FormatWavAudio(const WaveRecord& record)
{
    const ExportedSignalOrProblem exported = ExportSignal(record);
    if (!exported.signal)
        return {{}, exported.problem};
    const ExportedSignal& signal = *exported.signal;
    const std::optional<unsigned long long> hertz = WholeSampleRate(signal);
    if (!hertz || *hertz > INT_MAX)
        return {{}, "サンプリング周波数が WAV に書ける範囲（1 Hz～2147483647 Hz）にありません。"};

    const int tracks = int(signal.channels.size());
    std::vector<float> frames(std::size_t(signal.points) * std::size_t(tracks));
    for (int i = 0; i < signal.points; ++i) {
        for (int t = 0; t < tracks; ++t)
            frames[std::size_t(i * tracks + t)] = float(record.Samples(signal.channels[std::size_t(t)], i)) / 128.0f;
    }

    SF_VIRTUAL_IO io{length, seek, read, write, tell};
    MemoryFile file;
    SF_INFO info{};
    info.samplerate = int(*hertz);
    info.channels = tracks;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* sound = sf_open_virtual(&io, SFM_WRITE, &info, &file);
    if (!sound)
        return {{}, std::string("WAV を組み立てられませんでした（libsndfile: ") + sf_strerror(nullptr) + "）。"};
    const sf_count_t written = sf_writef_float(sound, frames.data(), signal.points);
    // Set after the samples, the texts go into an INFO list behind them, where sox
    // looks for them; before, they would precede the samples, where sox skips them.
    if (!record.Title.empty())
        sf_set_string(sound, SF_STR_TITLE, record.Title.c_str());
    sf_set_string(sound, SF_STR_COMMENT, comment(record, signal).c_str());
    const std::string why = written == signal.points ? std::string() : sf_strerror(sound);
    sf_close(sound);
    if (!why.empty())
        return {{}, "WAV を組み立てられませんでした（libsndfile: " + why + "）。"};
    return {std::move(file.bytes), {}};
}
