#pragma once
// A single-shot timer for any wait up to many days. A QTimer holds at most 2^31 - 1 ms
// (about 24.8 days) and refuses more; this one waits in steps of at most a day until the
// whole time has passed, counted on a monotonic clock.

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <chrono>

class LongTimer : public QObject {
    Q_OBJECT
public:
    explicit LongTimer(QObject* parent = nullptr);

    // Starts (or restarts) the wait; a wait of zero or less times out from the event loop.
    void start(std::chrono::milliseconds wait);
    void stop();
    bool isActive() const { return m_step.isActive(); }

signals:
    void timeout();

private:
    void nextStep();

    QTimer m_step;
    QElapsedTimer m_clock;
    std::chrono::milliseconds m_wait{0};
};
