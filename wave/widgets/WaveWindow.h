#pragma once
// The wave window: a retained picture of the last redraw in its own coordinates
// (WaveScale), a cross-hair pointer, and mouse and key events passed on in those
// coordinates. It may be larger than its nominal 505 x 245 pixels; a resize paints the
// last scene again at the new size.

#include "wave/WavePainter.h"
#include "wave/WaveScene.h"

#include <QImage>
#include <QWidget>

#include <optional>

class WaveWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize kNominalSize{505, 245};

    explicit WaveWindow(QWidget* parent = nullptr);

    QSize sizeHint() const override { return kNominalSize; }

    WaveScale scale() const { return m_scale; }
    void setScale(const WaveScale& scale) { m_scale = scale; }

    // Paints the scene (and what lies over it) into the retained picture and shows it.
    void showScene(const WaveScene& scene, const ColorSlots& colors, const WaveOverlay& overlay = {});
    // Clears the picture to a new background colour.
    void setBackground(QColor color);

    // The retained picture, in device pixels.
    const QImage& image() const { return m_image; }

    // A widget position in user coordinates.
    QPointF toScale(QPointF position) const;

signals:
    // Buttons and modifiers as bit masks (see InputBits.h); x, y in WaveScale units.
    void mousePressed(int button, int modifiers, float x, float y);
    void mouseMoved(int buttons, int modifiers, float x, float y);
    void printKeyPressed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void repaintImage();

    WaveScale m_scale;
    QImage m_image;
    QColor m_background;
    std::optional<WaveScene> m_scene;
    WaveOverlay m_overlay;
    ColorSlots m_sceneColors{};
};
