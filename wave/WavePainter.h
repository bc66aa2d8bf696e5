#pragma once
// Paints a WaveScene into the wave window's image: background, lines, then the traces
// with far fewer drawing calls than samples, yet pixel for pixel what one drawLine or
// drawPoint per sample gives (see WaveReferencePainter.h).

#include "wave/WaveOverlay.h"
#include "wave/WaveScene.h"

#include <QColor>
#include <QImage>

#include <array>
#include <cstdint>

class QPainter;

using ColorSlots = std::array<int32_t, 7>;

// A settings colour (red in the low byte) as a QColor.
QColor SlotColor(int32_t bgr);

// The pen every line of the wave window is drawn with: one pixel, both ends included.
QPen WavePen(int32_t bgr);

// Fills the image with the background slot and draws the scene's lines; shared by both
// painters so that they differ only in how they draw the traces.
void PaintSceneBase(QImage& image, const WaveScene& scene, const ColorSlots& colors);

// The whole scene. The image is converted to Format_RGB32 if it is not in it already.
void PaintWaveScene(QImage& image, const WaveScene& scene, const ColorSlots& colors);
// The same with an overlay's traces under the scene's traces and its marks on top.
void PaintWaveScene(QImage& image, const WaveScene& scene, const ColorSlots& colors, const WaveOverlay& overlay);

// The same picture on a vector device (SVG, PDF) of size units: the marks the fast
// painter makes (each column's span, the joins, each dot's pixel) as lines of one unit,
// so a file holds about as many lines as the picture has columns, not one per sample.
void PaintWaveSceneVector(QPainter& painter, QSize size, const WaveScene& scene, const ColorSlots& colors);
