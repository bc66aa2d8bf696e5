// The simulated instrument's protocol engine, waveforms and options, without I/O.

#include "sim/SimArguments.h"
#include "sim/SimEngine.h"
#include "sim/SimWaveform.h"

#include <QTest>
#include <algorithm>
#include <set>

using namespace std::chrono_literals;
using Clock = SimEngine::Clock;

namespace {

const Clock::time_point t0{};

std::string talk(SimEngine& engine, std::string_view bytes, Clock::time_point now = t0)
{
    engine.receive(bytes, now);
    return engine.takeOutput();
}

std::string blockOf(int channel, int count, int sent, int capture = 0)
{
    char header[16];
    std::snprintf(header, sizeof header, "#8%08d", count);
    return header + SimWaveform(channel, 0, sent, 1, capture);
}

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
        QTest::newRow("no points") << QByteArray("DTPOINTS 0\r\n") << QByteArray("\x15");
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

    void sweepStatus()
    {
        SimOptions options;
        options.sweepTime = 500ms;
        SimEngine engine(options);
        QCOMPARE(engine.status(t0), 1);
        talk(engine, "WSGL\r\n", t0);
        QCOMPARE(talk(engine, "*STB?\r\n", t0 + 499ms), std::string("\x06" "0\r\n"));
        QCOMPARE(talk(engine, "*STB?\r\n", t0 + 500ms), std::string("\x06" "1\r\n"));
        talk(engine, "RUN\r\n", t0 + 1s);
        QCOMPARE(engine.status(t0 + 1s), 2);
        talk(engine, "STOP\r\n", t0 + 2s);
        QCOMPARE(engine.status(t0 + 2s), 1);
    }

    void blocks_data()
    {
        QTest::addColumn<int>("fault");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("hungUp");
        const auto bytes = [](const std::string& s) { return QByteArray::fromStdString(s); };
        QTest::newRow("sound") << int(BlockFault::None) << bytes(blockOf(2, 5120, 5120) + "\r\n") << false;
        QTest::newRow("short") << int(BlockFault::Short) << bytes(blockOf(2, 5120, 2560)) << false;
        QTest::newRow("long") << int(BlockFault::Long) << bytes(blockOf(2, 5136, 5136) + "\r\n") << false;
        QTest::newRow("bad count") << int(BlockFault::BadCount)
                                   << bytes("#8ABCDEFGH" + SimWaveform(2, 0, 5120, 1, 0) + "\r\n") << false;
        QTest::newRow("hang-up") << int(BlockFault::HangUp) << bytes(blockOf(2, 5120, 2560)) << true;
    }
    void blocks()
    {
        QFETCH(int, fault);
        QFETCH(QByteArray, reply);
        QFETCH(bool, hungUp);
        SimOptions options;
        options.faults.block = BlockFault(fault);
        SimEngine engine(options);
        QCOMPARE(talk(engine, "DTPOINTS 5120\r\nDTFORM BYTE\r\nWAVESRC CH2\r\nDTSTART 0\r\n"), std::string(4, '\x06'));
        QVERIFY(QByteArray::fromStdString(talk(engine, "DTWAVE?\r\n")) == "\x06" + reply);
        QCOMPARE(engine.hungUp(), hungUp);
        // After a hang-up nothing more is answered.
        QCOMPARE(talk(engine, "RUN\r\n").empty(), hungUp);
    }

    void lineFaults()
    {
        SimOptions options;
        options.faults.nakLines = 2;
        options.faults.garbageBeforeAck = true;
        options.faults.answerLines = 3;
        SimEngine engine(options);
        const std::string noise("\x00\xff#?\x7f\r", 6);
        QCOMPARE(talk(engine, "RUN\r\n"), noise + "\x15");
        QCOMPARE(talk(engine, "RUN\r\n"), noise + "\x15");
        QCOMPARE(talk(engine, "RUN\r\n"), noise + "\x06");
        QCOMPARE(talk(engine, "RUN\r\n"), std::string());
    }

    void waveforms()
    {
        const std::string sine = SimWaveform(1, 0, 5120, 7, 0);
        QCOMPARE(sine, SimWaveform(1, 0, 5120, 7, 0));
        QVERIFY(sine != SimWaveform(1, 0, 5120, 8, 0));
        QVERIFY(sine != SimWaveform(1, 0, 5120, 7, 1));
        // A window into a longer record is that part of it.
        QCOMPARE(SimWaveform(1, 100, 50, 7, 0), SimWaveform(1, 0, 150, 7, 0).substr(100));
        const auto [low, high] = std::minmax_element(sine.begin(), sine.end(), [](char a, char b) {
            return int8_t(a) < int8_t(b);
        });
        QVERIFY(int8_t(*low) < -70 && int8_t(*high) > 70);
        std::set<int> squareLevels;
        for (const char c : SimWaveform(2, 0, 5120, 7, 0))
            squareLevels.insert(int8_t(c) > 0 ? 1 : -1);
        QCOMPARE(squareLevels.size(), std::size_t(2));
    }

    void arguments_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("paceBaud");
        QTest::addColumn<int>("block");
        QTest::newRow("none") << QStringList{} << true << 0 << int(BlockFault::None);
        QTest::newRow("pace at line speed") << QStringList{"--pace"} << true << SimOptions::kPaceAtLineSpeed << 0;
        QTest::newRow("fixed baud, hang-up") << QStringList{"--baud", "115200", "--block", "hang-up"} << true << 115200
                                             << int(BlockFault::HangUp);
        QTest::newRow("missing value") << QStringList{"--seed"} << false << 0 << 0;
        QTest::newRow("unknown") << QStringList{"--fast"} << false << 0 << 0;
    }
    void arguments()
    {
        QFETCH(QStringList, args);
        QFETCH(bool, valid);
        QFETCH(int, paceBaud);
        QFETCH(int, block);
        std::vector<std::string> storage;
        for (const QString& a : args)
            storage.push_back(a.toStdString());
        const std::vector<std::string_view> views(storage.begin(), storage.end());
        std::string error;
        const auto parsed = ParseSimArguments(views, &error);
        QCOMPARE(parsed.has_value(), valid);
        QCOMPARE(error.empty(), valid);
        if (parsed) {
            QCOMPARE(parsed->options.paceBaud, paceBaud);
            QCOMPARE(int(parsed->options.faults.block), block);
        }
    }
};

QTEST_GUILESS_MAIN(TestSimEngine)
#include "test_sim_engine.moc"
