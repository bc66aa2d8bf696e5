#pragma once
// A copy of a window as it shows on screen, for printing.

#include <QImage>

class QWidget;

// How GrabWholeForm got its picture.
enum class CaptureSource {
    // The screen's pixels under the window's frame: title bar and border included, and
    // anything covering the window at that moment. Used on X11 and Windows.
    ScreenWithFrame,
    // The window rendered by itself, client area only. Used where the screen cannot be
    // read back (Wayland, macOS without permission, offscreen) or when the window is
    // hidden, minimised or not wholly on one screen.
    WidgetOnly,
};

struct WindowPicture {
    QImage image;          // null when the capture failed
    CaptureSource source;
};

// Captures form's whole window. The image's dots per metre carry the screen's resolution,
// so its physical size, and with it its proportions on paper, are known.
WindowPicture GrabWholeForm(QWidget* form);
