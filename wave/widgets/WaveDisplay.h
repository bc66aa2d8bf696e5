#pragma once
// The waveform part of the main window: the nine Parameter labels in two rows with the
// four WidthUD up-down controls, the " Display " frame with its six check boxes, and the
// wave window itself. It draws, measures and steps the WaveRecord its owner gives it and
// keeps the view (WaveScale), the colour slots and the cursor state.
//
// objectNames: Parameter_0..Parameter_8, WidthUD_0..WidthUD_3, Ch1Flag, Ch2Flag, BaseFlag,
// GridFlag, LineFlag, LengthFlag, WaveWindow.

#include "wave/WaveScale.h"

#include <QWidget>

#include <array>
#include <cstdint>
#include <memory>

struct WaveRecord;
class WaveWindow;

class WaveDisplay : public QWidget {
    Q_OBJECT
public:
    // The record must outlive the widget.
    explicit WaveDisplay(WaveRecord& record, QWidget* parent = nullptr);
    ~WaveDisplay() override;

    // Draws the record into the wave window and writes the time label; does nothing
    // until the record has a sweep time and a derived SecondsPerSample.
    void RedrawWave();
    // Derives SecondsPerSample, removes the offsets from a fresh capture once, ends any
    // cursor measurement and writes the volts-per-division labels. Does not redraw.
    void RefreshParameters();
    // View = the whole record (left 0, width LastIndex); LONG checked above 30000.
    void FitTimeAxis();

    // The seven colour slots in EnvSettings::Color order (red in the low byte). The
    // background (slot 2) is applied at once and clears the picture; the rest are used
    // from the next RedrawWave.
    void setColors(const std::array<int32_t, 7>& colors);
    std::array<int32_t, 7> colors() const;

    // The display check boxes. Values are 0 unchecked, 1 checked, 2 greyed. Setting a
    // different value runs the box's click action, as a user click does.
    enum class Flag { Ch1, Ch2, Base, Grid, Line, Length };
    int flagValue(Flag flag) const;
    void setFlagValue(Flag flag, int value);

    // The view (ScaleLeft, ScaleWidth). Setting it does not redraw.
    WaveScale scale() const;
    void setScale(const WaveScale& scale);

    // The wave window, for focus and for tests.
    WaveWindow* waveWindow() const;

signals:
    // P (key code 80, with or without Shift, Ctrl or Alt) pressed in the wave window.
    void printRequested();

private:
    struct Private;
    std::unique_ptr<Private> d;
};
