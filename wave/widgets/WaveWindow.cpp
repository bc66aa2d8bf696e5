#include "wave/widgets/WaveWindow.h"

#include "wave/widgets/InputBits.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

WaveWindow::WaveWindow(QWidget* parent)
    : QWidget(parent), m_background(Qt::lightGray)
{
    setObjectName(QStringLiteral("WaveWindow"));
    setMinimumSize(kNominalSize);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setCursor(Qt::CrossCursor);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    repaintImage();
}

void WaveWindow::showScene(const WaveScene& scene, const ColorSlots& colors, const WaveOverlay& overlay)
{
    m_scene = scene;
    m_overlay = overlay;
    m_sceneColors = colors;
    repaintImage();
}

void WaveWindow::setBackground(QColor color)
{
    m_background = color;
    m_scene.reset();
    repaintImage();
}

void WaveWindow::repaintImage()
{
    const qreal ratio = devicePixelRatioF();
    const QSize pixels(int(std::lround(width() * ratio)), int(std::lround(height() * ratio)));
    if (m_image.size() != pixels)
        m_image = QImage(pixels, QImage::Format_RGB32);
    if (m_scene)
        PaintWaveScene(m_image, *m_scene, m_sceneColors, m_overlay);
    else
        m_image.fill(m_background);
    update();
}

QPointF WaveWindow::toScale(QPointF position) const
{
    return PixelMap(m_scale, m_image.size()).toScale(position * devicePixelRatioF());
}

void WaveWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(rect(), m_image);
}

void WaveWindow::resizeEvent(QResizeEvent*)
{
    repaintImage();
}

void WaveWindow::mousePressEvent(QMouseEvent* event)
{
    const QPointF at = toScale(event->position());
    emit mousePressed(MouseButtonBits(event->button()), ModifierBits(event->modifiers()), float(at.x()),
                      float(at.y()));
}

void WaveWindow::mouseMoveEvent(QMouseEvent* event)
{
    const QPointF at = toScale(event->position());
    emit mouseMoved(MouseButtonBits(event->buttons()), ModifierBits(event->modifiers()), float(at.x()),
                    float(at.y()));
}

void WaveWindow::keyPressEvent(QKeyEvent* event)
{
    // Key code 80 whatever the modifiers; a held key does not print page after page.
    if (event->key() == Qt::Key_P && !event->isAutoRepeat())
        emit printKeyPressed();
    else
        QWidget::keyPressEvent(event);
}
