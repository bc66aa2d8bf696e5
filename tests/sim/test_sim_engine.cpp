// The simulated instrument's protocol engine, waveforms and options, without I/O.
// Its blocks and faults as the link sees them are tested in tests/link/test_link_pty.

#include "sim/SimArguments.h"
#include "sim/SimEngine.h"
#include "sim/SimWaveform.h"

#include <QTest>
#include <algorithm>

using Args = std::vector<std::string_view>;

namespace {

const SimEngine::Clock::time_point t0{};

std::string talk(SimEngine& engine, std::string_view bytes, SimEngine::Clock::time_point now = t0)
{
    engine.receive(bytes, now);
    return engine.takeOutput();
}

struct ArgumentsCase { Args args; bool valid; int paceBaud, block; };

} // namespace

class TestSimEngine : public QObject {
    Q_OBJECT
private slots:
    void commands_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("output");
        QTest::newRow("RUN, CR LF") << QByteArray("RUN\r\n") << QByteArray("\x06");
        QTest::newRow("identity") << QByteArray("*IDN?\r\n") << QByteArray("\x06MIRAVO,KT-4410,SIM00001,1.00\r\n");
        QTest::newRow("status at rest") << QByteArray("*STB?\r\n") << QByteArray("\x06" "1\r\n");
        QTest::newRow("two lines in one read") << QByteArray("DTFORM BYTE\r\nDTSTART 0\r\n") << QByteArray("\x06\x06");
        QTest::newRow("unknown command") << QByteArray("BOGUS\r\n") << QByteArray("\x15");
        QTest::newRow("too many points") << QByteArray("DTPOINTS 102401\r\n") << QByteArray("\x15");
        QTest::newRow("channel 3") << QByteArray("WAVESRC CH3\r\n") << QByteArray("\x15");
        QTest::newRow("overlong line is noise") << QByteArray(300, 'A') + "\r\nRUN\r\n" << QByteArray("\x06");
    }
    void commands()
    {
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, output);
        SimEngine engine(SimOptions{});
        QCOMPARE(QByteArray::fromStdString(talk(engine, input.toStdString())), output);
    }

    void lineFaults()
    {
        SimEngine engine(SimOptions{.faults = {.nakLines = 2, .garbageBeforeAck = true, .answerLines = 3}, .identity = {}});
        const std::string noise("\x00\xff#?\x7f\r", 6);
        QCOMPARE(talk(engine, "RUN\r\n"), noise + "\x15");
        QCOMPARE(talk(engine, "RUN\r\n"), noise + "\x15");
        QCOMPARE(talk(engine, "RUN\r\n"), noise + "\x06");
        QCOMPARE(talk(engine, "RUN\r\n"), std::string());
        // A flood: the answer, then noise without ACK, NAK or LF, for as long as asked.
        engine.setFaults({.flood = true});
        QCOMPARE(talk(engine, "RUN\r\n"), "\x06");
        const std::string flood = engine.takeOutput();
        QVERIFY(!flood.empty() && flood.find_first_of("\x06\x15\n") == std::string::npos);
        QVERIFY(!engine.takeOutput().empty());
    }

    // Each seed and sweep its own capture, a large sine on channel 1 and a square wave on
    // channel 2; a window into a longer record is that part of it.
    void waveforms()
    {
        const std::string sine = SimWaveform(1, 0, 5120, 7, 0);
        QVERIFY(sine != SimWaveform(1, 0, 5120, 8, 0));
        QVERIFY(sine != SimWaveform(1, 0, 5120, 7, 1));
        const auto [low, high] = std::ranges::minmax(sine, [](char a, char b) { return int8_t(a) < int8_t(b); });
        QVERIFY(int8_t(low) < -70 && int8_t(high) > 70);
        QVERIFY(std::ranges::all_of(SimWaveform(2, 0, 5120, 7, 0), [](char c) { return std::abs(int8_t(c)) > 40; }));
        QCOMPARE(SimWaveform(1, 100, 50, 7, 0), sine.substr(100, 50));
    }

    void arguments_data()
    {
        QTest::addColumn<ArgumentsCase>("c");
        QTest::newRow("pace at line speed, flood") << ArgumentsCase{{"--pace", "--flood"}, true, SimOptions::kPaceAtLineSpeed, 0};
        QTest::newRow("fixed baud, hang-up")
            << ArgumentsCase{{"--baud", "115200", "--block", "hang-up"}, true, 115200, int(BlockFault::HangUp)};
        QTest::newRow("missing value") << ArgumentsCase{{"--seed"}, false, 0, 0};
        QTest::newRow("unknown") << ArgumentsCase{{"--fast"}, false, 0, 0};
        QTest::newRow("no speed of zero") << ArgumentsCase{{"--speed", "0"}, false, 0, 0};
    }
    void arguments()
    {
        QFETCH(ArgumentsCase, c);
        auto& [args, valid, paceBaud, block] = c;
        std::string error;
        const auto parsed = ParseSimArguments(args, &error);
        QCOMPARE(parsed.has_value(), valid);
        QCOMPARE(error.empty(), valid);
        if (parsed) {
            QCOMPARE(parsed->options.paceBaud, paceBaud);
            QCOMPARE(int(parsed->options.faults.block), block);
            QCOMPARE(parsed->options.faults.flood, args.front() == "--pace");
        }
    }
};

QTEST_GUILESS_MAIN(TestSimEngine)
#include "test_sim_engine.moc"
