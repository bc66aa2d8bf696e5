#pragma once
// frmSplash: the start-up window. It shows the product name, version and credit while
// the main window loads behind it, and hands over once: when its timer fires or when a
// key that produces a character is pressed, whichever comes first, but never before the
// main window's load has finished (a message of the load may keep it waiting).

#include <QTimer>
#include <QWidget>

class SplashWindow final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kIntervalMs = 4000;

    // The timer starts here, so the interval counts from the splash's load.
    explicit SplashWindow(int intervalMs = kIntervalMs, QWidget* parent = nullptr);

    // The main window's load steps have finished: a hand-over that came due meanwhile
    // happens now.
    void setLoadFinished();

signals:
    // Emitted exactly once; the receiver shows the main window.
    void handOver();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void due();
    void finish();

    QTimer m_timer;
    bool m_loadFinished = false;
    bool m_due = false;
    bool m_handedOver = false;
};
