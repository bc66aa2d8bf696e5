#pragma once
// The waveform part of the main window: the nine Parameter labels in two rows with the
// four WidthUD up-down controls, the " Display " frame with its six check boxes, and the
// wave window itself. It shows the document and follows its changes by itself: the
// picture is redrawn when the samples, the view or the check boxes change, the labels
// follow each RefreshParameters. Clicks, steps and mouse measurements go back to the
// document; the widget keeps only the colour slots and the cursor state.
//
// objectNames: Parameter_0..Parameter_8, WidthUD_0..WidthUD_3, Ch1Flag, Ch2Flag, BaseFlag,
// GridFlag, LineFlag, LengthFlag, WaveWindow.

#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

class WaveDocument;
class WaveWindow;
struct WaveOverlay;
struct WaveScene;

class WaveDisplay : public QWidget {
    Q_OBJECT
public:
    // The document must outlive the widget.
    explicit WaveDisplay(WaveDocument& document, QWidget* parent = nullptr);
    ~WaveDisplay() override;

    // Draws the record into the wave window and writes the time label; does nothing
    // until the record has a sweep time and a derived SecondsPerSample.
    void RedrawWave();

    // The seven colour slots in EnvSettings::Color order (red in the low byte). The
    // background (slot 2) is applied at once and clears the picture; the rest are used
    // from the next RedrawWave.
    void setColors(const std::array<int32_t, 7>& colors);
    std::array<int32_t, 7> colors() const;

    // What is drawn over each scene from now on (reference waveforms); the caller redraws
    // when it changes.
    void setOverlaySource(std::function<WaveOverlay(const WaveScene&)> source);

    // The wave window, for focus and for tests.
    WaveWindow* waveWindow() const;

    // The span of the cursor measurement: its reference point and where the pointer last
    // read, as sample indices; empty while none runs or before the first reading.
    std::optional<std::pair<double, double>> cursorSpan() const;

    // Puts a group of controls of the program's own views just left of the Display frame,
    // clear of the cursor readouts; no described control moves.
    void addBesideDisplay(QWidget* group);

signals:
    // P (key code 80, with or without Shift, Ctrl or Alt) pressed in the wave window.
    void printRequested();
    // A measurement started, read at a new place or ended.
    void cursorSpanChanged();
    // setColors ran.
    void colorsChanged();

private:
    struct Private;
    std::unique_ptr<Private> d;
};
