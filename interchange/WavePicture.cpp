#include "interchange/WavePicture.h"

#include "core/EngNumber.h"
#include "core/WaveRecord.h"
#include "wave/ParameterPanel.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

namespace {

// The caption's text size follows the picture's height, within readable bounds.
int captionPixels(QSize size)
{
    return std::clamp(size.height() / 18, 11, 40);
}

int bandHeight(const PictureContent& content)
{
    return content.caption ? captionPixels(content.size) * 7 / 2 : 0;
}

// Two lines: the title, then the date and the file name on the right; the time per
// division, then each shown channel's volts per division in its trace colour.
void paintCaption(QPainter& painter, const PictureContent& content)
{
    const QRectF band(0, content.size.height(), content.size.width(), bandHeight(content));
    const QColor background = SlotColor(content.colors[kBackgroundColor]);
    const QColor ink = qGray(background.rgb()) < 128 ? Qt::white : Qt::black;
    painter.fillRect(band, background);
    painter.setPen(QPen(ink, 1));
    painter.drawLine(band.topLeft() + QPointF(0, 0.5), band.topRight() + QPointF(0, 0.5));

    QFont font = painter.font();
    font.setPixelSize(captionPixels(content.size));
    painter.setFont(font);
    const QFontMetricsF metrics(font, painter.device());
    const double pad = font.pixelSize() * 0.5;
    const double lineHeight = (band.height() - 2 * pad) / 2;
    const QRectF first(band.left() + pad, band.top() + pad, band.width() - 2 * pad, lineHeight);
    const QRectF second = first.translated(0, lineHeight);

    const PictureCaption& caption = *content.caption;
    const QString right = caption.date.toString(QStringLiteral("yyyy-MM-dd HH:mm")) + QStringLiteral("  ") + caption.fileName;
    const double rightWidth = std::min(metrics.horizontalAdvance(right), first.width() / 2);
    painter.drawText(first, Qt::AlignRight | Qt::AlignVCenter, metrics.elidedText(right, Qt::ElideMiddle, rightWidth));
    const double titleWidth = first.width() - rightWidth - pad;
    painter.drawText(first, Qt::AlignLeft | Qt::AlignVCenter, metrics.elidedText(content.title, Qt::ElideRight, titleWidth));

    double x = second.left();
    const auto put = [&](const QString& text, const QColor& color) {
        painter.setPen(color);
        painter.drawText(QRectF(x, second.top(), second.right() - x, second.height()), Qt::AlignLeft | Qt::AlignVCenter, text);
        x += metrics.horizontalAdvance(text) + 2 * pad;
    };
    if (!content.scene) {
        put(QStringLiteral("Time: -"), ink);
        return;
    }
    put(QString::fromStdString(content.scene->timeLabel), ink);
    for (const SceneTrace& trace : content.scene->traces) {
        const int channel = trace.color == kCh1TraceColor ? 1 : 2;
        put(QString::fromStdString(VoltsPerDivCaption(channel, content.voltsPerDiv[channel - 1])),
            SlotColor(content.colors[std::size_t(trace.color)]));
    }
}

void paintVector(QPainter& painter, const PictureContent& content)
{
    if (content.scene)
        PaintWaveSceneVector(painter, content.size, *content.scene, content.colors);
    else
        painter.fillRect(QRect(QPoint(0, 0), content.size), SlotColor(content.colors[kBackgroundColor]));
    if (content.caption)
        paintCaption(painter, content);
}

QByteArray png(const PictureContent& content)
{
    QImage wave(content.size, QImage::Format_RGB32);
    if (content.scene)
        PaintWaveScene(wave, *content.scene, content.colors);
    else
        wave.fill(SlotColor(content.colors[kBackgroundColor]));
    QImage image = wave;
    if (content.caption) {
        image = QImage(content.size.width(), content.size.height() + bandHeight(content), QImage::Format_RGB32);
        QPainter painter(&image);
        painter.drawImage(0, 0, wave);
        paintCaption(painter, content);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QByteArray svg(const PictureContent& content)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    const QSize whole(content.size.width(), content.size.height() + bandHeight(content));
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(whole);
    generator.setResolution(96);   // the size is written in millimetres: a unit a pixel on a common screen
    generator.setViewBox(QRect(QPoint(0, 0), whole));
    generator.setTitle(content.title.toHtmlEscaped());   // written into the XML as it is given
    QPainter painter(&generator);
    paintVector(painter, content);
    painter.end();
    return bytes;
}

// One page the size of the picture, a point a pixel.
QByteArray pdf(const PictureContent& content)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const QSizeF whole(content.size.width(), content.size.height() + bandHeight(content));
    QPdfWriter writer(&buffer);
    writer.setResolution(72);
    writer.setPageLayout(QPageLayout(QPageSize(whole, QPageSize::Point, QString(), QPageSize::ExactMatch),
                                     QPageLayout::Portrait, QMarginsF()));
    writer.setTitle(content.title);
    writer.setCreator(QStringLiteral("MIRAVO Link Tool"));
    QPainter painter(&writer);
    paintVector(painter, content);
    painter.end();
    return bytes;
}

} // namespace

std::optional<PictureKind> PictureKindFor(std::string_view path)
{
    const std::string extension = FileExtension(path);
    if (extension == "PNG")
        return PictureKind::Png;
    if (extension == "SVG")
        return PictureKind::Svg;
    if (extension == "PDF")
        return PictureKind::Pdf;
    return std::nullopt;
}

PictureContent WavePictureOf(const WaveRecord& record, const WaveScale& view, const DisplayFlags& flags,
                             const ColorSlots& colors, QSize size)
{
    PictureContent content;
    content.scene = ComputeWaveScene(record, view, flags);
    // A title from a file may hold control characters, which an SVG (XML) cannot.
    content.title = QString::fromStdString(record.Title);
    for (QChar& c : content.title) {
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char(' ');
    }
    content.voltsPerDiv[0] = record.Ch1VoltsPerDiv;
    content.voltsPerDiv[1] = record.Ch2VoltsPerDiv;
    content.colors = colors;
    content.size = size;
    return content;
}

QByteArray RenderWavePicture(PictureKind kind, const PictureContent& content)
{
    switch (kind) {
    case PictureKind::Svg:
        return svg(content);
    case PictureKind::Pdf:
        return pdf(content);
    case PictureKind::Png:
        break;
    }
    return png(content);
}
