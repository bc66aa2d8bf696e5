#pragma once
// An up-down control with two arrows, sized in twips (15 twips a pixel at 96 dpi). It
// holds no value: a press reports where it landed, in twips, and every arrow activation
// and every auto-repeat while the left button stays down reports a step. The press is
// reported before the steps it causes.

#include <QTimer>
#include <QWidget>

class UpDownControl : public QWidget {
    Q_OBJECT
public:
    static constexpr int kTwipsPerPixel = 15;
    static constexpr int kRepeatDelayMs = 300;
    static constexpr int kRepeatIntervalMs = 100;

    // Qt::Horizontal: left and right arrows; Qt::Vertical: upper and lower arrows.
    UpDownControl(Qt::Orientation arrows, int widthTwips, int heightTwips, QWidget* parent = nullptr);

    QSize sizeHint() const override { return m_size; }

signals:
    // Buttons and modifiers as bit masks (see InputBits.h).
    void pressed(int button, int modifiers, double xTwips, double yTwips);
    void released();
    void stepped();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QRect arrowRect(int arrow) const;

    Qt::Orientation m_arrows;
    QSize m_size;
    QTimer m_repeat;
    int m_heldArrow = -1;   // 0 up/left, 1 down/right, -1 none
};
