#pragma once
// frmSplash: the start-up window. It shows the product name, version and credit while
// the main window loads behind it, and hands over once: when its timer fires or when a
// key that produces a character is pressed, whichever comes first.

#include <QTimer>
#include <QWidget>

class SplashWindow final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kIntervalMs = 4000;

    // The timer starts here, so the interval counts from the splash's load.
    explicit SplashWindow(int intervalMs = kIntervalMs, QWidget* parent = nullptr);

    bool handedOver() const { return m_handedOver; }

signals:
    // Emitted exactly once; the receiver shows the main window.
    void handOver();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void finish();

    QTimer m_timer;
    bool m_handedOver = false;
};
