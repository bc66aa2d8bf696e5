#include "interchange/ExportFormats.h"

#include "interchange/ExportedSignal.h"

#include <zip.h>

#include <bit>
#include <cstdint>
#include <memory>

namespace {

// sigrok reads the rate with its unit ("500 kHz"); the largest unit that keeps it whole.
std::string rateText(unsigned long long hertz)
{
    static constexpr struct {
        unsigned long long scale;
        const char* unit;
    } kUnits[] = {{1000000000ULL, " GHz"}, {1000000ULL, " MHz"}, {1000ULL, " kHz"}, {1ULL, " Hz"}};
    for (const auto& [scale, unit] : kUnits) {
        if (hertz % scale == 0)
            return std::to_string(hertz / scale) + unit;
    }
    return std::to_string(hertz) + " Hz";
}

std::string metadata(const ExportedSignal& signal, unsigned long long hertz)
{
    std::string text = "[global]\nsigrok version=0.5.2\n\n[device 1]\ntotal probes=0\n";
    text += "samplerate=" + rateText(hertz) + "\n";
    text += "total analog=" + std::to_string(signal.channels.size()) + "\n";
    for (std::size_t k = 0; k < signal.channels.size(); ++k)
        text += "analog" + std::to_string(k + 1) + "=CH" + std::to_string(signal.channels[k]) + "\n";
    text += "unitsize=1\n";
    return text;
}

std::string float32Volts(const WaveRecord& record, const ExportedSignal& signal, int channel)
{
    std::string bytes(std::size_t(signal.points) * 4, '\0');
    char* p = bytes.data();
    for (int i = 0; i < signal.points; ++i) {
        const uint32_t bits = std::bit_cast<uint32_t>(float(signal.volts(record, channel, i)));
        for (int shift = 0; shift < 32; shift += 8)
            *p++ = char((bits >> shift) & 0xFF);
    }
    return bytes;
}

struct ZipSourceFree {
    void operator()(zip_source_t* source) const { zip_source_free(source); }
};
using ZipSource = std::unique_ptr<zip_source_t, ZipSourceFree>;

struct Member {
    std::string name;
    std::string bytes;
};

// The zip of the members, built in memory: libzip writes the archive into a buffer source
// that outlives it. Returns a libzip error text on failure.
std::string zipMembers(const std::vector<Member>& members, std::string& out)
{
    zip_error_t error;
    zip_error_init(&error);
    ZipSource buffer(zip_source_buffer_create(nullptr, 0, 0, &error));
    zip_t* archive = buffer ? zip_open_from_source(buffer.get(), ZIP_TRUNCATE, &error) : nullptr;
    if (!archive) {
        std::string why = zip_error_strerror(&error);
        zip_error_fini(&error);
        return why;
    }
    zip_source_keep(buffer.get());   // the archive releases it on close; the bytes are read after
    for (const Member& member : members) {
        zip_source_t* data = zip_source_buffer(archive, member.bytes.data(), member.bytes.size(), 0);
        const zip_int64_t index = data ? zip_file_add(archive, member.name.c_str(), data, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0) {
            zip_source_free(data);
            std::string why = zip_strerror(archive);
            zip_discard(archive);
            return why;
        }
        // The fastest deflate: float samples gain little from harder work.
        zip_set_file_compression(archive, zip_uint64_t(index), ZIP_CM_DEFLATE, 1);
    }
    if (zip_close(archive) != 0) {
        std::string why = zip_strerror(archive);
        zip_discard(archive);
        return why;
    }
    zip_stat_t stat;
    if (zip_source_stat(buffer.get(), &stat) != 0 || zip_source_open(buffer.get()) != 0)
        return zip_error_strerror(zip_source_error(buffer.get()));
    out.resize(stat.size);
    const zip_int64_t read = zip_source_read(buffer.get(), out.data(), stat.size);
    zip_source_close(buffer.get());
    if (read != zip_int64_t(stat.size))
        return "short read from the archive buffer";
    return {};
}

} // namespace

ExportBytes FormatSigrokSession(const WaveRecord& record)
{
    const ExportedSignalOrProblem exported = ExportSignal(record);
    if (!exported.signal)
        return {{}, exported.problem};
    const ExportedSignal& signal = *exported.signal;
    const std::optional<unsigned long long> hertz = WholeSampleRate(signal);
    if (!hertz)
        return {{}, "サンプリング周波数が 1 Hz 未満のため、sigrok セッションに書けません。"};

    std::vector<Member> members{{"version", "2"}, {"metadata", metadata(signal, *hertz)}};
    for (std::size_t k = 0; k < signal.channels.size(); ++k)
        members.push_back({"analog-1-" + std::to_string(k + 1) + "-1", float32Volts(record, signal, signal.channels[k])});
    ExportBytes result;
    if (const std::string why = zipMembers(members, result.bytes); !why.empty())
        return {{}, "sigrok セッションを組み立てられませんでした（libzip: " + why + "）。"};
    return result;
}
