#include "cli/InterruptWatcher.h"

#include <chrono>
#include <csignal>

namespace {

// All a signal handler may safely do: count the signal in a lock-free atomic.
std::atomic<int> g_pending{0};
std::atomic<int> g_signal{0};   // the first that arrived
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void noteInterrupt(int signal)
{
    int none = 0;
    g_signal.compare_exchange_strong(none, signal, std::memory_order_relaxed);
    g_pending.fetch_add(1, std::memory_order_relaxed);
}

} // namespace

void InterruptWatcher::catchSignals()
{
    std::signal(SIGINT, noteInterrupt);
    std::signal(SIGTERM, noteInterrupt);
}

InterruptWatcher::InterruptWatcher(QObject* context, std::function<void()> onInterrupt)
    : m_thread([this, context, onInterrupt](std::stop_token stop) {
          // A short poll, so that the thread ends soon after the program is done.
          while (!stop.stop_requested()) {
              for (int n = g_pending.exchange(0); n > 0; --n) {
                  m_interrupted = true;
                  QMetaObject::invokeMethod(context, onInterrupt, Qt::QueuedConnection);
              }
              std::this_thread::sleep_for(std::chrono::milliseconds(50));
          }
      })
{
}

InterruptWatcher::~InterruptWatcher() = default;

int InterruptWatcher::exitStatus()
{
    // The shell's convention: 128 and the signal's number (SIGINT 130, SIGTERM 143).
    const int signal = g_signal.load(std::memory_order_relaxed);
    return 128 + (signal == 0 ? SIGINT : signal);
}
