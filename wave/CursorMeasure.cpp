#include "wave/CursorMeasure.h"

#include "core/EngNumber.h"
#include "wave/RoundHalfEven.h"
#include "wave/UpDownSteps.h"
#include "core/WaveRecord.h"

#include <algorithm>
#include <cmath>

bool CursorMeasure::mouseDown(int button, float x, float y, const WaveRecord& record)
{
    if (button == kLeftButton && record.SecondsPerSample != 0 && std::isfinite(record.SecondsPerSample)) {
        RefX = x;
        RefY = y;
        return true;
    }
    RefX = RefY = -1000;
    return false;
}

std::optional<CursorReadout> CursorMeasure::mouseMove(float x, float y, const WaveRecord& record)
{
    if (RefX < 0)
        return std::nullopt;
    CursorDX = std::fabs(double(RefX - x));
    CursorDY = std::fabs(double(RefY - y));

    CursorReadout readout;
    const std::string dt = FormatEng(float(double(record.SecondsPerSample) * CursorDX), "##0.000");
    readout.timeText = "⊿t= " + dt + "sec";
    if (CursorDX != 0) {
        // The inverse of the time difference as displayed, not of the exact product.
        const float shown = ParseEng(dt);
        if (shown > 0 && std::isfinite(shown))
            readout.frequencyText = "f= " + FormatEng(float(1.0 / double(shown)), "##0.000") + "Hz";
    }
    readout.ch1VoltsText =
        "⊿V: CH1= " + FormatEng(float(double(record.Ch1VoltsPerDiv) * CursorDY / 25), "##0.000") + "V";
    readout.ch2VoltsText =
        "CH2= " + FormatEng(float(double(record.Ch2VoltsPerDiv) * CursorDY / 25), "##0.000") + "V";
    readout.toolTip = SampleVoltsTip(x, record);
    return readout;
}

std::string SampleVoltsTip(float x, const WaveRecord& record)
{
    const int last = std::clamp(record.LastIndex, 0, SampleTable::kMaxSampleIndex);
    const int i = std::clamp(RoundHalfEven<int32_t>(x), 0, last);
    const float ch1 = float(record.Samples(1, i)) * record.Ch1VoltsPerDiv / 25.0f;
    const float ch2 = float(record.Samples(2, i)) * record.Ch2VoltsPerDiv / 25.0f;
    return "Ch1=" + FormatEng(ch1, "##0.00") + "V  Ch2=" + FormatEng(ch2, "##0.00") + "V";
}
