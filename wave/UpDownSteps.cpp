#include "wave/UpDownSteps.h"

#include "wave/RoundHalfEven.h"
#include "core/WaveRecord.h"

#include <algorithm>

void UpDownPress(UpDownState& state, int index, int button, int modifiers, double xTwips, double yTwips)
{
    if ((button & 7) != kLeftButton)
        return;
    state.StepModifiers = int16_t(modifiers & 7);
    if (index == 0) {
        if (xTwips <= 165)
            state.StepDirection = -1;
        else if (xTwips >= 190)
            state.StepDirection = 1;
    } else {
        if (yTwips <= 100)
            state.StepDirection = 1;
        else if (yTwips >= 120)
            state.StepDirection = -1;
    }
}

void UpDownRelease(UpDownState& state)
{
    state.StepDirection = 0;
}

int StepFactor(int stepModifiers)
{
    return stepModifiers == 0 ? 1 : 2 * stepModifiers;
}

namespace {

bool stepPosition(int direction, long long m, long long L, long long W, long long N, WaveScale& scale)
{
    const long long d = std::max(W / 60, 1LL);
    long long left;
    if (direction > 0) {
        if (L + W >= N)
            return false;
        left = L + m * d;
        if (left + W > N)
            left = N - W;
    } else {
        if (L <= 0)
            return false;
        left = std::max(L - m * d, 0LL);
    }
    scale.ScaleLeft = double(left);
    return true;
}

// Each step changes the width by about a fortieth per unit of m, split evenly between
// both sides, so the middle of the view stays put until an edge of the record is reached.
bool stepZoom(int direction, long long m, long long L, long long W, long long N, WaveScale& scale)
{
    const long long d = std::max(((W / 40) * m) / 2, 1LL);
    long long width;
    long long left = L;
    if (direction > 0) {
        if (W <= 20)
            return false;
        width = std::max(W - 2 * d, 20LL);
        if (width + L < N) {
            left = L + d;
            if (width + left > N)
                left = N - width;
        }
    } else {
        if (W >= N)
            return false;
        width = W + 2 * d;
        if (width > N) {
            width = N;
            left = 0;
        }
        if (left > 0) {
            left = std::max(left - d, 0LL);
            if (width + left > N)
                left = N - width;
        }
    }
    scale.ScaleWidth = width;
    scale.ScaleLeft = double(left);
    return true;
}

bool stepOffset(int direction, int m, float& offset)
{
    // The bound is tested before the step only: 127 + 14 gives 141.
    if (direction > 0) {
        if (!(offset < 128))
            return false;
        offset += float(m);
    } else {
        if (!(offset > -128))
            return false;
        offset -= float(m);
    }
    return true;
}

} // namespace

bool UpDownStep(const UpDownState& state, int index, WaveScale& scale, WaveRecord& record)
{
    if (state.StepDirection == 0)
        return false;
    const int m = StepFactor(state.StepModifiers);
    const long long L = RoundHalfEven<int32_t>(scale.ScaleLeft);
    const long long W = RoundHalfEven<int32_t>(scale.ScaleWidth);
    const long long N = record.LastIndex;
    const WaveScale before = scale;
    switch (index) {
    case 0:
        return stepPosition(state.StepDirection, m, L, W, N, scale) && scale != before;
    case 1:
        return stepZoom(state.StepDirection, m, L, W, N, scale) && scale != before;
    case 2:
        return stepOffset(state.StepDirection, m, record.Ch1Offset);
    case 3:
        return stepOffset(state.StepDirection, m, record.Ch2Offset);
    default:
        return false;
    }
}
