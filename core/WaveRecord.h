#pragma once
// The one waveform the program holds: the samples of both channels and the acquisition
// parameters that give them a time and a voltage scale. The program owns one instance
// and passes it to whoever needs it; tests make fresh ones.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Truth values kept in 16-bit record fields.
inline constexpr int16_t kTrue = -1;
inline constexpr int16_t kFalse = 0;

// Samples of channel 1 and 2 by sample index 0..kMaxSampleIndex, stored in pairs: for
// each index the channel 1 value, then the channel 2 value.
class SampleTable {
public:
    static constexpr int kMaxSampleIndex = 103000;
    static constexpr int kCapacity = kMaxSampleIndex + 1;

    SampleTable() : m_values(2 * kCapacity, 0) {}

    static constexpr bool contains(int channel, int index)
    {
        return (channel == 1 || channel == 2) && index >= 0 && index <= kMaxSampleIndex;
    }

    // channel is 1 or 2; index 0..kMaxSampleIndex (checked in debug builds).
    int16_t& operator()(int channel, int index) { return m_values[slot(channel, index)]; }
    int16_t operator()(int channel, int index) const { return m_values[slot(channel, index)]; }

    // The interleaved storage, 2 * kCapacity values.
    std::span<int16_t> interleaved() { return m_values; }
    std::span<const int16_t> interleaved() const { return m_values; }

    bool operator==(const SampleTable&) const = default;

private:
    static std::size_t slot(int channel, int index);
    std::vector<int16_t> m_values;
};

struct WaveRecord {
    SampleTable Samples;
    std::string Title;              // UTF-8
    float SecondsPerDiv = 0;        // 0: not set
    float DelaySeconds = 0;
    int16_t Ch1On = 1;              // check-box value, or what a file supplied
    int16_t Ch2On = 1;
    float Ch1VoltsPerDiv = 0;
    float Ch2VoltsPerDiv = 0;
    float Ch1Offset = 0;            // counts, 25 per division; may be fractional
    float Ch2Offset = 0;
    int16_t EquSampling = kFalse;
    float SecondsPerSample = 0;     // 0: not yet derived
    int32_t LastIndex = 5119;       // index of the last valid sample of both channels
    int16_t FreshCapture = kFalse;  // kTrue from a capture until its offsets are removed
    int16_t ParamsLocked = kFalse;  // kTrue once the parameters are confirmed or loaded

    // The offset of channel 1 or 2.
    float& offset(int channel) { return channel == 1 ? Ch1Offset : Ch2Offset; }
    float offset(int channel) const { return channel == 1 ? Ch1Offset : Ch2Offset; }
    float voltsPerDiv(int channel) const { return channel == 1 ? Ch1VoltsPerDiv : Ch2VoltsPerDiv; }

    bool operator==(const WaveRecord&) const = default;
};
