#pragma once
// A copy of a window as it shows on screen, for printing.

#include <QImage>

class QWidget;

// Captures form's whole window. On X11 and Windows this is the screen's pixels under the
// window's frame: title bar and border included, and whatever covers the window at that
// moment. Where the screen cannot be read back (Wayland, macOS without permission, the
// offscreen platform), or the window is hidden, minimised or not wholly on one screen, it
// is the window rendered by itself, client area only. The image's dots per metre carry
// the screen's resolution, so its physical proportions are known. Null when it failed.
QImage GrabWholeForm(QWidget* form);
