#pragma once
// Ctrl+C (SIGINT) and SIGTERM, taken by a thread of their own and handed to the event
// loop, so that an interrupt ends a wait cleanly instead of killing the program
// half-way through a file. POSIX.

#include <QObject>
#include <atomic>
#include <functional>
#include <thread>

class InterruptWatcher {
public:
    // Blocks the two signals for the calling thread and every thread started after it:
    // call it first in main(), before any thread exists.
    static void blockSignals();

    // onInterrupt runs in context's thread, from its event loop, once per signal.
    InterruptWatcher(QObject* context, std::function<void()> onInterrupt);
    ~InterruptWatcher();

    // A signal has arrived (also before the event loop ran onInterrupt).
    bool interrupted() const { return m_interrupted; }

private:
    std::atomic<bool> m_interrupted{false};
    std::jthread m_thread;
};
