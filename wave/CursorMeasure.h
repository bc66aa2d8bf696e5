#pragma once
// Cursor measurement on the wave window: a left click sets the reference point, every
// move then reads the time difference, its frequency and the vertical distance on both
// channels' scales, and the voltages of the samples under the pointer. Nothing is drawn.

#include <optional>
#include <string>

struct WaveRecord;

// The wave window's tooltip while no measurement runs (one ideographic space).
inline constexpr char kCursorIdleTip[] = "左クリックで基点と計測開始　右クリックで解除";

// The texts one pointer move writes.
struct CursorReadout {
    std::string timeText;                        // Parameter 1
    std::optional<std::string> frequencyText;    // Parameter 7; empty: keeps its text
    std::string ch1VoltsText;                    // Parameter 6
    std::string ch2VoltsText;                    // Parameter 8
    std::string toolTip;
};

class CursorMeasure {
public:
    float RefX = -1000;   // sample index of the reference; below 0: no measurement
    float RefY = 0;       // counts
    double CursorDX = 0;
    double CursorDY = 0;

    bool active() const { return RefX >= 0; }
    // Ends a measurement; RefY stays.
    void end() { RefX = -1000; }

    // A button (kLeftButton, kRightButton, kMiddleButton) went down at (x, y). Returns
    // true when it set the reference; false when it cancelled, and then the caller
    // clears Parameter 1, 6, 7, 8 and shows kCursorIdleTip.
    bool mouseDown(int button, float x, float y, const WaveRecord& record);

    // The pointer moved to (x, y); nothing while no measurement runs.
    std::optional<CursorReadout> mouseMove(float x, float y, const WaveRecord& record);
};

// The tooltip of the samples at x: "Ch1=1.00 V  Ch2=-500.00mV". A pointer beyond either
// end of the record (dragged out of the window) reads the sample at that end.
std::string SampleVoltsTip(float x, const WaveRecord& record);
