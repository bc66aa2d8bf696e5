#include "sim/SimArguments.h"

#include <QCommandLineParser>
#include <algorithm>
#include <charconv>
#include <iterator>

namespace {

struct OptionDef {
    const char* name;
    const char* value;   // nullptr for a switch
    const char* help;
};

constexpr OptionDef kOptions[] = {
    {"seed", "N", "waveform seed (default 1)"},
    {"sweep-ms", "N", "time a single sweep (WSGL) takes, in ms (default 300)"},
    {"pace", nullptr, "pace the output at the speed the program set on the line"},
    {"baud", "N", "pace the output at N baud (10 bits a byte)"},
    {"speed", "N", "the instrument's own line speed: at any other, noise answers (default: any)"},
    {"nak", "N", "refuse the next N command lines with NAK"},
    {"garbage", nullptr, "send noise before every ACK/NAK"},
    {"block", "KIND", "faulty waveform blocks: short, long, bad-count, hang-up"},
    {"answer", "N", "answer N command lines, then stop answering"},
    {"flood", nullptr, "send noise without end once the answers are sent"},
    {"drop-every-ms", "N", "drop the line every N ms, as when a USB adapter is pulled (serves behind a link of its own)"},
    {"drop-for-ms", "N", "how long a dropped line stays away, in ms (default 5000)"},
    {"help", nullptr, "this text"},
};

template <class T>
bool readNumber(const QString& text, T& value)
{
    const std::string digits = text.toStdString();
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return !digits.empty() && error == std::errc() && end == digits.data() + digits.size();
}

} // namespace

std::string SimUsage()
{
    std::string text = "usage: miravo-sim [options]\n"
                       "Serves a simulated MIRAVO KT-4410 on a pseudo-terminal and prints its device path.\n"
                       "Stops on Ctrl-C (or after a --block hang-up).\n"
                       "\n";
    for (const OptionDef& option : kOptions) {
        std::string head = std::string("--") + option.name + (option.value ? std::string(" ") + option.value : "");
        head.resize(std::max<std::size_t>(head.size(), 15), ' ');
        text += "  " + head + "  " + option.help + "\n";
    }
    return text;
}

std::optional<SimArguments> ParseSimArguments(const std::vector<std::string_view>& args, std::string* error)
{
    QCommandLineParser parser;
    for (const OptionDef& option : kOptions) {
        parser.addOption(option.value ? QCommandLineOption(QLatin1String(option.name), QLatin1String(option.help),
                                                           QLatin1String(option.value))
                                      : QCommandLineOption(QLatin1String(option.name), QLatin1String(option.help)));
    }
    QStringList arguments{QStringLiteral("miravo-sim")};
    for (const std::string_view arg : args)
        arguments << QString::fromUtf8(arg.data(), qsizetype(arg.size()));
    auto fail = [error](const QString& text) {
        if (error)
            *error = text.toStdString();
        return std::nullopt;
    };
    if (!parser.parse(arguments))
        return fail(parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        return fail(QStringLiteral("unexpected argument: ") + parser.positionalArguments().first());

    SimArguments parsed;
    SimOptions& options = parsed.options;
    parsed.help = parser.isSet(QStringLiteral("help"));
    const auto bad = [&](const char* name) { return fail(QStringLiteral("bad --%1: %2").arg(QLatin1String(name), parser.value(QLatin1String(name)))); };
    // Each number option: where it goes and its least value.
    const auto number = [&](const char* name, int least, int& into) {
        int value = 0;
        if (!readNumber(parser.value(QLatin1String(name)), value) || value < least)
            return false;
        into = value;
        return true;
    };
    int value = 0;
    if (parser.isSet(QStringLiteral("seed")) && !readNumber(parser.value(QStringLiteral("seed")), options.seed))
        return bad("seed");
    if (parser.isSet(QStringLiteral("sweep-ms"))) {
        if (!number("sweep-ms", 0, value))
            return bad("sweep-ms");
        options.sweepTime = std::chrono::milliseconds(value);
    }
    if (parser.isSet(QStringLiteral("pace")))
        options.paceBaud = SimOptions::kPaceAtLineSpeed;
    if (parser.isSet(QStringLiteral("baud")) && !number("baud", 1, options.paceBaud))
        return bad("baud");
    if (parser.isSet(QStringLiteral("speed")) && !number("speed", 1, options.lineSpeed))
        return bad("speed");
    if (parser.isSet(QStringLiteral("nak")) && !number("nak", 0, options.faults.nakLines))
        return bad("nak");
    if (parser.isSet(QStringLiteral("answer")) && !number("answer", 0, options.faults.answerLines))
        return bad("answer");
    if (parser.isSet(QStringLiteral("drop-every-ms"))) {
        if (!number("drop-every-ms", 1, value))
            return bad("drop-every-ms");
        options.faults.dropEvery = std::chrono::milliseconds(value);
    }
    if (parser.isSet(QStringLiteral("drop-for-ms"))) {
        if (!number("drop-for-ms", 0, value))
            return bad("drop-for-ms");
        options.faults.dropFor = std::chrono::milliseconds(value);
    }
    options.faults.garbageBeforeAck = parser.isSet(QStringLiteral("garbage"));
    options.faults.flood = parser.isSet(QStringLiteral("flood"));
    if (parser.isSet(QStringLiteral("block"))) {
        const QString kind = parser.value(QStringLiteral("block"));
        if (kind == QLatin1String("short"))
            options.faults.block = BlockFault::Short;
        else if (kind == QLatin1String("long"))
            options.faults.block = BlockFault::Long;
        else if (kind == QLatin1String("bad-count"))
            options.faults.block = BlockFault::BadCount;
        else if (kind == QLatin1String("hang-up"))
            options.faults.block = BlockFault::HangUp;
        else
            return bad("block");
    }
    return parsed;
}
