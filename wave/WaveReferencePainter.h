#pragma once
// The plain way to paint a scene: one drawPoint or drawLine per sample, in the order the
// samples come. Slow on long records; kept as the yardstick the fast painter must match
// pixel for pixel (tests) and beat (bench).

#include "wave/WavePainter.h"

void PaintWaveSceneReference(QImage& image, const WaveScene& scene, const ColorSlots& colors);
