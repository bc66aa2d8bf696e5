#pragma once
// What RedrawWave draws, as plain data: the time label, the grid and baseline lines in
// user coordinates, and the visible samples of each shown channel. Computing it needs
// no widget; painting it is WavePainter's job.

#include "wave/WaveScale.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct WaveRecord;

// The colour slots, in EnvSettings::Color order.
enum ColorSlot : int {
    kCh1TraceColor = 0,
    kCh2TraceColor = 1,
    kBackgroundColor = 2,
    kGridColor = 3,
    kCentreLineColor = 4,
    kCh1BaseColor = 5,
    kCh2BaseColor = 6,
};

// Check-box values (0 unchecked, 1 checked, 2 greyed) that choose what is drawn.
struct DisplayFlags {
    int Ch1 = 1;
    int Ch2 = 1;
    int Base = 0;
    int Grid = 0;
    int Line = 1;
};

// The displayed time division of a view W sample steps wide: a tenth of the view cut
// down to its leading digit. DivSamples is 0 when the view is narrower than 10 steps.
struct TimeDivision {
    float DivSamples = 0;
    std::string label;   // "Time: 100us/DIV"
};
TimeDivision ComputeTimeDivision(int viewWidth, float secondsPerSample);

struct SceneLine {
    double x1, y1, x2, y2;   // sample index, counts
    int color;
};

// One channel's samples ViewLeft..ViewRight (as far as the sample table reaches), drawn
// at value + offset.
struct SceneTrace {
    int color;
    bool connected;          // lines; otherwise dots
    int firstIndex;
    float offset;
    std::vector<int16_t> values;
};

struct WaveScene {
    WaveScale scale;
    int ViewLeft = 0;
    int ViewRight = 0;
    float DivSamples = 0;
    std::string timeLabel;
    std::vector<SceneLine> lines;     // bottom to top: centre line, grid, baselines
    std::vector<SceneTrace> traces;   // channel 1 first, so channel 2 lies on top
};

// True when the record has a usable time base (a sweep time and a derived, finite
// SecondsPerSample); without it nothing is drawn and no measurement starts.
bool HasTimeBase(const WaveRecord& record);

// The scene of the record in the view, or nothing without a time base.
std::optional<WaveScene> ComputeWaveScene(const WaveRecord& record, const WaveScale& scale,
                                          const DisplayFlags& flags);
