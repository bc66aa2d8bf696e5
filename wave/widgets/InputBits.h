#pragma once
// Mouse buttons and modifier keys as the bit masks the handlers work with (left 1,
// right 2, middle 4; Shift 1, Ctrl 2, Alt 4).

#include "wave/UpDownSteps.h"

#include <Qt>

inline int MouseButtonBits(Qt::MouseButtons buttons)
{
    return (buttons & Qt::LeftButton ? kLeftButton : 0) | (buttons & Qt::RightButton ? kRightButton : 0)
        | (buttons & Qt::MiddleButton ? kMiddleButton : 0);
}

inline int ModifierBits(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & Qt::ShiftModifier ? kShiftKey : 0) | (modifiers & Qt::ControlModifier ? kCtrlKey : 0)
        | (modifiers & Qt::AltModifier ? kAltKey : 0);
}
