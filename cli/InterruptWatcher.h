#pragma once
// Ctrl+C (SIGINT) and SIGTERM, noted by a signal handler and handed to the event loop by
// a thread of their own, so that an interrupt ends a wait cleanly instead of killing the
// program half-way through a file. Standard C++ signals: the same on POSIX and Windows.

#include <QObject>
#include <atomic>
#include <functional>
#include <thread>

class InterruptWatcher {
public:
    // Takes the two signals over from their default action (ending the program): call it
    // first in main().
    static void catchSignals();

    // onInterrupt runs in context's thread, from its event loop, once per signal.
    InterruptWatcher(QObject* context, std::function<void()> onInterrupt);
    ~InterruptWatcher();

    // A signal has arrived (also before the event loop ran onInterrupt).
    bool interrupted() const { return m_interrupted; }
    // The status a program ended by the first signal returns: 130 for SIGINT, 143 for SIGTERM.
    static int exitStatus();

private:
    std::atomic<bool> m_interrupted{false};
    std::jthread m_thread;
};
