#include "wave/WaveReferencePainter.h"

#include <QPainter>

void PaintWaveSceneReference(QImage& image, const WaveScene& scene, const ColorSlots& colors)
{
    if (image.format() != QImage::Format_RGB32)
        image = image.convertToFormat(QImage::Format_RGB32);
    PaintSceneBase(image, scene, colors);
    const PixelMap map(scene.scale, image.size());
    QPainter painter(&image);
    for (const SceneTrace& trace : scene.traces) {
        painter.setPen(WavePen(colors[std::size_t(trace.color)]));
        QPoint current;
        for (std::size_t k = 0; k < trace.values.size(); ++k) {
            const QPoint point(map.x(double(trace.firstIndex) + double(k)),
                               map.y(float(trace.values[k]) + trace.offset));
            if (trace.connected && k > 0)
                painter.drawLine(current, point);
            else
                painter.drawPoint(point);
            current = point;
        }
    }
}
