#pragma once
// What is drawn over the record's own scene: traces under the live ones (reference
// waveforms, the edges of a tolerance band) in colours of their own, and marks over
// everything (the points outside the band). Painted by PaintWaveScene with the same
// painters as the live traces, between the scene's lines and its traces.

#include "wave/WaveScene.h"

#include <cstdint>
#include <vector>

struct OverlayTrace {
    int32_t bgr;        // red in the low byte, as the settings' colours
    SceneTrace trace;   // its colour slot is not used
};

struct OverlayMark {
    int index;      // sample index
    float counts;   // height, counts
};

struct WaveOverlay {
    std::vector<OverlayTrace> under;   // in order, bottom first
    std::vector<OverlayMark> marks;
    int32_t markBgr = 0x0000FF;

    bool empty() const { return under.empty() && marks.empty(); }
};
