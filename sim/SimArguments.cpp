#include "sim/SimArguments.h"

#include <charconv>

namespace {

template <class T>
bool readNumber(std::string_view text, T& value)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

} // namespace

std::string SimUsage()
{
    return "usage: miravo-sim [options]\n"
           "Serves a simulated MIRAVO KT-4410 on a pseudo-terminal and prints its device path.\n"
           "Stops on Ctrl-C (or after a --block hang-up).\n"
           "\n"
           "  --seed N         waveform seed (default 1)\n"
           "  --sweep-ms N     time a single sweep (WSGL) takes, in ms (default 300)\n"
           "  --pace           pace the output at the speed the program set on the line\n"
           "  --baud N         pace the output at N baud (10 bits a byte)\n"
           "  --nak N          refuse the next N command lines with NAK\n"
           "  --garbage        send noise before every ACK/NAK\n"
           "  --block KIND     faulty waveform blocks: short, long, bad-count, hang-up\n"
           "  --answer N       answer N command lines, then stop answering\n"
           "  --flood          send noise without end once the answers are sent\n"
           "  --help           this text\n";
}

std::optional<SimArguments> ParseSimArguments(const std::vector<std::string_view>& args, std::string* error)
{
    SimArguments parsed;
    SimOptions& options = parsed.options;
    auto fail = [error](std::string text) {
        if (error)
            *error = std::move(text);
        return std::nullopt;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        auto needsValue = arg == "--seed" || arg == "--sweep-ms" || arg == "--baud" || arg == "--nak"
            || arg == "--block" || arg == "--answer";
        if (needsValue && i + 1 >= args.size())
            return fail(std::string(arg) + " needs a value");
        const std::string_view value = needsValue ? args[++i] : std::string_view();
        int number = 0;
        if (arg == "--help") {
            parsed.help = true;
        } else if (arg == "--seed") {
            if (!readNumber(value, options.seed))
                return fail("bad --seed: " + std::string(value));
        } else if (arg == "--sweep-ms") {
            if (!readNumber(value, number) || number < 0)
                return fail("bad --sweep-ms: " + std::string(value));
            options.sweepTime = std::chrono::milliseconds(number);
        } else if (arg == "--pace") {
            options.paceBaud = SimOptions::kPaceAtLineSpeed;
        } else if (arg == "--baud") {
            if (!readNumber(value, number) || number <= 0)
                return fail("bad --baud: " + std::string(value));
            options.paceBaud = number;
        } else if (arg == "--nak") {
            if (!readNumber(value, number) || number < 0)
                return fail("bad --nak: " + std::string(value));
            options.faults.nakLines = number;
        } else if (arg == "--garbage") {
            options.faults.garbageBeforeAck = true;
        } else if (arg == "--flood") {
            options.faults.flood = true;
        } else if (arg == "--block") {
            if (value == "short")
                options.faults.block = BlockFault::Short;
            else if (value == "long")
                options.faults.block = BlockFault::Long;
            else if (value == "bad-count")
                options.faults.block = BlockFault::BadCount;
            else if (value == "hang-up")
                options.faults.block = BlockFault::HangUp;
            else
                return fail("bad --block: " + std::string(value));
        } else if (arg == "--answer") {
            if (!readNumber(value, number) || number < 0)
                return fail("bad --answer: " + std::string(value));
            options.faults.answerLines = number;
        } else {
            return fail("unknown option: " + std::string(arg));
        }
    }
    return parsed;
}
