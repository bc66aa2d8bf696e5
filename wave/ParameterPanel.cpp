#include "wave/ParameterPanel.h"

#include "core/EngNumber.h"
#include "wave/RoundHalfEven.h"
#include "core/WaveRecord.h"

#include <algorithm>

float SecondsPerSampleFor(float secondsPerDiv, bool longRecord, bool equSampling)
{
    float seconds = secondsPerDiv / (longRecord ? 10000.0f : 500.0f);
    if (longRecord) {
        if (seconds < 2e-9f)
            seconds = 2e-9f;
        // A long record taken at 50 us per division is sampled every 10 ns.
        if (seconds == 5e-9f)
            seconds = 1e-8f;
    } else if (equSampling) {
        if (seconds < 4e-11f)
            seconds = 4e-11f;
    } else if (seconds < 2e-9f) {
        seconds = 2e-9f;
    }
    return seconds;
}

void RemoveCaptureOffsets(WaveRecord& record, bool channel1, bool channel2)
{
    if (record.FreshCapture != kTrue)
        return;
    const int last = std::min(record.LastIndex, SampleTable::kMaxSampleIndex);
    for (int channel : {1, 2}) {
        if (!(channel == 1 ? channel1 : channel2))
            continue;
        // The offset is rounded to whole counts once: rounding each sample's difference
        // would move neighbouring samples half a count apart (ties to even) and change
        // the peak-to-peak.
        const int32_t shift = RoundHalfEven<int32_t>(record.offset(channel));
        for (int i = 0; i <= last; ++i) {
            int16_t& sample = record.Samples(channel, i);
            sample = RoundHalfEven<int16_t>(double(sample) - double(shift));
        }
    }
    record.FreshCapture = kFalse;
}

bool RefreshRecord(WaveRecord& record, int lengthFlag, int ch1Flag, int ch2Flag)
{
    if (record.SecondsPerDiv == 0)
        return false;
    record.SecondsPerSample =
        SecondsPerSampleFor(record.SecondsPerDiv, lengthFlag != 0, record.EquSampling != 0);
    RemoveCaptureOffsets(record, ch1Flag != 0, ch2Flag != 0);
    return true;
}

std::string VoltsPerDivCaption(int channel, float voltsPerDiv)
{
    return (channel == 1 ? "CH1 " : "CH2 ") + FormatEng(voltsPerDiv) + "V/DIV";
}
