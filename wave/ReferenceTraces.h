#pragma once
// Reference waveforms and a tolerance band as an overlay of the wave view. They follow the
// view and the channel offsets as the live traces do, and are drawn in the live record's
// counts: a reference taken at another V/DIV is scaled by the caller's factor, so what
// lines up on screen is what lines up in volts.

#include "wave/WaveOverlay.h"

#include <array>
#include <vector>

struct WaveRecord;

struct ReferenceTrace {
    const WaveRecord* record = nullptr;
    int32_t bgr = 0;
    std::array<double, 2> scale{1, 1};   // live counts per reference count, CH1 and CH2
};

struct ToleranceBand {
    ReferenceTrace reference;
    std::array<double, 2> halfWidth{};           // the tolerance in live counts
    std::array<std::vector<int>, 2> outside;     // sample indices outside it, CH1 and CH2
    int32_t bgr = 0;
    int32_t markBgr = 0;
};

// The references (drawn in order, so a later one lies on an earlier), the band's two
// edges around its reference and a mark on each live point outside it, for the channels
// the scene shows and each record has on, inside the scene's view.
WaveOverlay ComputeReferenceOverlay(const WaveScene& scene, const WaveRecord& live, const DisplayFlags& flags,
                                    const std::vector<ReferenceTrace>& references, const ToleranceBand* band);
