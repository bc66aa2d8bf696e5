// miravo-sim: the simulated instrument as a program of its own.

#include "sim/SimArguments.h"
#include "sim/SimulatedInstrument.h"

#include <csignal>
#include <cstdio>
#include <ctime>

int main(int argc, char* argv[])
{
    std::vector<std::string_view> args(argv + 1, argv + argc);
    std::string error;
    const auto parsed = ParseSimArguments(args, &error);
    if (!parsed) {
        std::fprintf(stderr, "miravo-sim: %s\n%s", error.c_str(), SimUsage().c_str());
        return 2;
    }
    if (parsed->help) {
        std::fputs(SimUsage().c_str(), stdout);
        return 0;
    }

    // Ctrl-C and SIGTERM are taken here, not by the serving thread.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    SimulatedInstrument instrument;
    QString failure;
    const QString path = instrument.start(parsed->options, &failure);
    if (path.isEmpty()) {
        std::fprintf(stderr, "miravo-sim: %s\n", failure.toLocal8Bit().constData());
        return 1;
    }
    std::printf("%s\n", path.toLocal8Bit().constData());
    std::fflush(stdout);

    const timespec poll{0, 200'000'000};
    while (instrument.isServing()) {
        if (sigtimedwait(&stopSignals, nullptr, &poll) > 0)
            break;
    }
    instrument.stop();
    return 0;
}
