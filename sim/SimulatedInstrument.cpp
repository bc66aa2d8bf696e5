#include "sim/SimulatedInstrument.h"

#include "sim/SimEngine.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <iterator>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

namespace {

using Clock = std::chrono::steady_clock;

// Paced output goes out in slices of this much line time, so the far side sees a
// steady stream instead of one burst per command.
constexpr std::chrono::microseconds kPaceSlice{4000};
constexpr std::size_t kReadChunk = 4096;

// What a line at the wrong speed makes of each byte: framing noise with the high bit set,
// so never an ACK, a NAK or a line end.
char noiseFor(char byte)
{
    return char(0x80 | ((static_cast<unsigned char>(byte) * 37 + 11) & 0x7F));
}

int baudOf(speed_t speed)
{
    switch (speed) {
    case B1200: return 1200;
    case B2400: return 2400;
    case B4800: return 4800;
    case B9600: return 9600;
    case B19200: return 19200;
    case B38400: return 38400;
    case B57600: return 57600;
    case B115200: return 115200;
    case B230400: return 230400;
    default: return 9600;
    }
}

void closeFd(int& fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

} // namespace

struct SimulatedInstrument::Pty {
    int master = -1;
    int terminal = -1; // kept open by us, so the master never sees a hang-up between the program's opens
    int wake[2] = {-1, -1};

    ~Pty()
    {
        closeFd(master);
        closeFd(terminal);
        closeFd(wake[0]);
        closeFd(wake[1]);
    }
};

SimulatedInstrument::SimulatedInstrument() = default;

SimulatedInstrument::~SimulatedInstrument()
{
    stop();
}

const char* SimulatedInstrument::openTerminal(Pty& pty, std::string& path)
{
    pty.master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (pty.master < 0)
        return "posix_openpt";
    if (::grantpt(pty.master) != 0 || ::unlockpt(pty.master) != 0)
        return "grantpt";
    const char* name = ::ptsname(pty.master);
    if (!name)
        return "ptsname";
    path = name;
    pty.terminal = ::open(name, O_RDWR | O_NOCTTY);
    if (pty.terminal < 0)
        return "open";
    // Raw, so nothing we write ever echoes back or gets translated.
    termios tio{};
    if (::tcgetattr(pty.terminal, &tio) != 0)
        return "tcgetattr";
    ::cfmakeraw(&tio);
    if (::tcsetattr(pty.terminal, TCSANOW, &tio) != 0)
        return "tcsetattr";
    if (::fcntl(pty.master, F_SETFL, ::fcntl(pty.master, F_GETFL) | O_NONBLOCK) != 0)
        return "fcntl";
    return nullptr;
}

QString SimulatedInstrument::start(const SimOptions& options, QString* error)
{
    stop();
    auto fail = [error](const char* what) {
        if (error)
            *error = QStringLiteral("模擬測定器の疑似端末を用意できません（%1: %2）。")
                         .arg(QString::fromLatin1(what), QString::fromLocal8Bit(std::strerror(errno)));
        return QString();
    };
    auto pty = std::make_unique<Pty>();
    std::string path;
    if (const char* failed = openTerminal(*pty, path))
        return fail(failed);
    if (::pipe(pty->wake) != 0)
        return fail("pipe");

    m_options = options;
    m_options.reconnectable = options.reconnectable || options.faults.dropEvery.count() > 0;
    if (m_options.reconnectable) {
        std::string dir = (std::getenv("TMPDIR") && *std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp");
        dir += "/miravo-sim-XXXXXX";
        if (!::mkdtemp(dir.data()))
            return fail("mkdtemp");
        m_linkDir = dir;
        if (::symlink(path.c_str(), linkPath().c_str()) != 0) {
            const int saved = errno;
            ::rmdir(m_linkDir.c_str());
            m_linkDir.clear();
            errno = saved;
            return fail("symlink");
        }
        path = linkPath();
    }
    m_newFaults.reset();
    m_dropRequest.reset();
    m_pty = std::move(pty);
    m_serving = true;
    m_thread = std::jthread([this](std::stop_token stop) { serve(stop); });
    return QString::fromLocal8Bit(path.c_str());
}

void SimulatedInstrument::stop()
{
    if (!m_pty)
        return;
    m_thread.request_stop();
    wake();
    if (m_thread.joinable())
        m_thread.join();
    m_pty.reset();
    m_serving = false;
    if (!m_linkDir.empty()) {
        ::unlink(linkPath().c_str());
        ::rmdir(m_linkDir.c_str());
        m_linkDir.clear();
    }
}

void SimulatedInstrument::setFaults(const SimFaults& faults)
{
    {
        std::lock_guard lock(m_faultsMutex);
        m_newFaults = faults;
    }
    if (m_pty)
        wake();
}

bool SimulatedInstrument::dropLine(std::chrono::milliseconds gone)
{
    if (!m_pty || m_linkDir.empty())
        return false;
    {
        std::lock_guard lock(m_faultsMutex);
        m_dropRequest = gone;
    }
    wake();
    return true;
}

std::string SimulatedInstrument::linkPath() const
{
    return m_linkDir + "/tty";
}

void SimulatedInstrument::wake()
{
    const char byte = 1;
    [[maybe_unused]] auto written = ::write(m_pty->wake[1], &byte, 1);
}

bool SimulatedInstrument::dropAndReturn(std::chrono::milliseconds gone, const std::stop_token& stop)
{
    closeFd(m_pty->master);
    closeFd(m_pty->terminal);
    ::unlink(linkPath().c_str());
    const auto back = Clock::now() + gone;
    while (!stop.stop_requested() && Clock::now() < back) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(back - Clock::now());
        pollfd wakeFd{m_pty->wake[0], POLLIN, 0};
        if (::poll(&wakeFd, 1, int(std::max<long long>(1, left.count()))) > 0) {
            char wakes[64];
            [[maybe_unused]] auto drained = ::read(m_pty->wake[0], wakes, sizeof wakes);
        }
    }
    std::string path;
    if (stop.stop_requested() || openTerminal(*m_pty, path))
        return false;
    return ::symlink(path.c_str(), linkPath().c_str()) == 0;
}

void SimulatedInstrument::serve(std::stop_token stop)
{
    SimFaults faults = m_options.faults;
    auto engine = std::make_unique<SimEngine>(m_options);
    std::string output;
    std::size_t sent = 0;
    auto lineFree = Clock::now(); // when the paced line has carried everything written so far
    const auto dropEvery = m_options.faults.dropEvery;
    auto nextDrop = dropEvery.count() > 0 ? Clock::now() + dropEvery : Clock::time_point::max();

    // The speed the program set on the line: a pseudo-terminal stores it without using it.
    auto lineBaud = [&] {
        termios tio{};
        return ::tcgetattr(m_pty->terminal, &tio) == 0 ? baudOf(::cfgetospeed(&tio)) : 9600;
    };
    auto paceBaud = [&] { return m_options.paceBaud == SimOptions::kPaceAtLineSpeed ? lineBaud() : m_options.paceBaud; };

    while (!stop.stop_requested()) {
        std::optional<std::chrono::milliseconds> drop;
        {
            std::lock_guard lock(m_faultsMutex);
            drop = std::exchange(m_dropRequest, std::nullopt);
        }
        if (!drop && Clock::now() >= nextDrop)
            drop = faults.dropFor;
        if (drop) {
            // What was on its way is lost with the line; the instrument starts afresh.
            if (!dropAndReturn(*drop, stop))
                break;
            engine = std::make_unique<SimEngine>(m_options);
            engine->setFaults(faults);
            output.clear();
            sent = 0;
            lineFree = Clock::now();
            if (dropEvery.count() > 0)
                nextDrop = Clock::now() + dropEvery;
            continue;
        }
        if (sent == output.size()) {
            // A flood goes on when everything else has been sent.
            output = engine->takeOutput();
            sent = 0;
            if (!output.empty())
                lineFree = std::max(lineFree, Clock::now());
        }
        const bool pending = sent < output.size();
        const auto now = Clock::now();
        const bool due = pending && (m_options.paceBaud == 0 || now >= lineFree);
        // Wake for the paced line's next slice or for the next drop, whichever comes first.
        auto wakeAt = nextDrop;
        if (pending && !due)
            wakeAt = std::min(wakeAt, lineFree);
        timespec timeout{};
        timespec* waitFor = nullptr; // forever: the wake pipe ends it
        if (wakeAt != Clock::time_point::max()) {
            const auto left = std::max(std::chrono::nanoseconds(0),
                                       std::chrono::duration_cast<std::chrono::nanoseconds>(wakeAt - now));
            timeout.tv_sec = time_t(left.count() / 1000000000);
            timeout.tv_nsec = long(left.count() % 1000000000);
            waitFor = &timeout;
        }
        pollfd fds[2] = {{m_pty->master, short(POLLIN | (due ? POLLOUT : 0)), 0}, {m_pty->wake[0], POLLIN, 0}};
        if (::ppoll(fds, 2, waitFor, nullptr) < 0 && errno != EINTR)
            break;
        if (fds[1].revents) {
            char wakes[64];
            [[maybe_unused]] auto drained = ::read(m_pty->wake[0], wakes, sizeof wakes);
            if (stop.stop_requested())
                break;
        }
        {
            std::lock_guard lock(m_faultsMutex);
            if (m_newFaults) {
                faults = *std::exchange(m_newFaults, std::nullopt);
                engine->setFaults(faults);
            }
        }

        if (fds[0].revents & POLLIN) {
            char buffer[kReadChunk];
            const ssize_t n = ::read(m_pty->master, buffer, sizeof buffer);
            if (n > 0) {
                const auto received = Clock::now();
                output.erase(0, sent);
                sent = 0;
                // An idle line starts carrying new output now, not when it last fell idle.
                if (output.empty())
                    lineFree = std::max(lineFree, received);
                if (m_options.lineSpeed > 0 && lineBaud() != m_options.lineSpeed) {
                    std::transform(buffer, buffer + n, std::back_inserter(output), noiseFor);
                } else {
                    engine->receive(std::string_view(buffer, std::size_t(n)), received);
                    output += engine->takeOutput();
                }
            }
        }
        if (due && (fds[0].revents & POLLOUT)) {
            std::size_t chunk = output.size() - sent;
            const int baud = m_options.paceBaud == 0 ? 0 : paceBaud();
            if (baud > 0)
                chunk = std::min<std::size_t>(chunk, std::max<long long>(1, baud / 10 * kPaceSlice.count() / 1000000));
            const ssize_t n = ::write(m_pty->master, output.data() + sent, chunk);
            if (n > 0) {
                sent += std::size_t(n);
                // Back to back: a late wake-up is made up by the next slice, not carried on.
                if (baud > 0)
                    lineFree += std::chrono::nanoseconds(std::int64_t(n) * 10 * 1000000000 / baud);
            }
        }
        if (engine->hungUp() && sent == output.size())
            break;
    }
    if (engine->hungUp()) {
        // Hang up: both ends of the pseudo-terminal go, as when a cable is pulled.
        closeFd(m_pty->master);
        closeFd(m_pty->terminal);
    }
    m_serving = false;
}
