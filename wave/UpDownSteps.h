#pragma once
// What the four WidthUD up-down controls do: a left press picks the step direction from
// where it landed (with a dead band between the arrows) and remembers the modifier keys;
// each step then moves the view (0), zooms it (1) or shifts a channel offset (2, 3).

#include "wave/WaveScale.h"

#include <cstdint>

struct WaveRecord;

// Mouse buttons and modifier keys as bit masks.
inline constexpr int kLeftButton = 1;
inline constexpr int kRightButton = 2;
inline constexpr int kMiddleButton = 4;
inline constexpr int kShiftKey = 1;
inline constexpr int kCtrlKey = 2;
inline constexpr int kAltKey = 4;

struct UpDownState {
    int16_t StepDirection = 0;   // -1, 0 or +1
    int16_t StepModifiers = 0;   // modifier bits of the last left press
};

// A press on up-down `index` at (x, y) twips from its top-left corner.
void UpDownPress(UpDownState& state, int index, int button, int modifiers, double xTwips, double yTwips);
void UpDownRelease(UpDownState& state);

// 1 without modifiers, else twice the modifier bits: 2 Shift, 4 Ctrl, ... 14.
int StepFactor(int stepModifiers);

// One step of up-down `index`. Returns true when it changed the view or an offset, that
// is when the picture needs a redraw.
bool UpDownStep(const UpDownState& state, int index, WaveScale& scale, WaveRecord& record);
