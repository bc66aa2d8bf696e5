#include "cli/InterruptWatcher.h"

#include <csignal>
#include <ctime>

namespace {

sigset_t interruptSignals()
{
    sigset_t wanted;
    sigemptyset(&wanted);
    sigaddset(&wanted, SIGINT);
    sigaddset(&wanted, SIGTERM);
    return wanted;
}

} // namespace

void InterruptWatcher::blockSignals()
{
    const sigset_t wanted = interruptSignals();
    pthread_sigmask(SIG_BLOCK, &wanted, nullptr);
}

InterruptWatcher::InterruptWatcher(QObject* context, std::function<void()> onInterrupt)
    : m_thread([this, context, onInterrupt](std::stop_token stop) {
          const sigset_t wanted = interruptSignals();
          // A short poll, so that the thread ends soon after the program is done.
          const timespec poll{0, 50'000'000};
          while (!stop.stop_requested()) {
              if (sigtimedwait(&wanted, nullptr, &poll) > 0) {
                  m_interrupted = true;
                  QMetaObject::invokeMethod(context, onInterrupt, Qt::QueuedConnection);
              }
          }
      })
{
}

InterruptWatcher::~InterruptWatcher() = default;
