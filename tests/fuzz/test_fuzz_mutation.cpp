// A bounded, fixed-seed mutation run over the fuzz entry points, so every build (and the
// sanitizer build) exercises them without libFuzzer.
#include "FuzzTargets.h"

#include <QTemporaryDir>
#include <QTest>

#include <random>

namespace {

using Bytes = std::vector<uint8_t>;

// Pieces that steer mutations into the readers' interesting corners.
const std::string_view kTokens[] = {",", "\r\n", "\n", "\r", "\"", " ", "ON", "OFF", "DIV", "-", ".", "E+38",
                                    "1e39", "32767.5", "-32768.5", "m", "k", "\x94\x67", "\x1a", "nan", "\xef\xbc\x95"};

class Mutator {
public:
    explicit Mutator(uint32_t seed) : m_random(seed) {}

    Bytes mutate(Bytes bytes)
    {
        const int steps = pick(1, 4);
        for (int i = 0; i < steps; ++i)
            step(bytes);
        return bytes;
    }

private:
    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_random); }
    std::size_t at(const Bytes& bytes) { return std::size_t(pick(0, int(bytes.size()))); }

    void step(Bytes& bytes)
    {
        switch (pick(0, 5)) {
        case 0:
            if (!bytes.empty())
                bytes[at(bytes) % bytes.size()] ^= uint8_t(1u << pick(0, 7));
            break;
        case 1:
            bytes.insert(bytes.begin() + std::ptrdiff_t(at(bytes)), uint8_t(pick(0, 255)));
            break;
        case 2: {
            const std::string_view token = kTokens[pick(0, int(std::size(kTokens)) - 1)];
            bytes.insert(bytes.begin() + std::ptrdiff_t(at(bytes)), token.begin(), token.end());
            break;
        }
        case 3: {
            const std::size_t from = at(bytes);
            const std::size_t to = std::min(bytes.size(), from + std::size_t(pick(1, 16)));
            bytes.erase(bytes.begin() + std::ptrdiff_t(from), bytes.begin() + std::ptrdiff_t(to));
            break;
        }
        case 4: {  // repeat a stretch, which grows sample runs and header lines
            const std::size_t from = at(bytes);
            const std::size_t to = std::min(bytes.size(), from + std::size_t(pick(1, 64)));
            const Bytes piece(bytes.begin() + std::ptrdiff_t(from), bytes.begin() + std::ptrdiff_t(to));
            for (int n = pick(1, 8); n > 0; --n)
                bytes.insert(bytes.begin() + std::ptrdiff_t(from), piece.begin(), piece.end());
            break;
        }
        default:
            bytes.resize(at(bytes));
            break;
        }
    }

    std::mt19937 m_random;
};

} // namespace

class TestFuzzMutation : public QObject {
    Q_OBJECT
private slots:
    void waveFiles_data()
    {
        QTest::addColumn<QByteArray>("seed");
        QTest::newRow("csv") << QByteArray("TEST1\r\n500us/DIV,0 s\r\nON,OFF\r\n2 V/DIV,500mV/DIV\r\n-1.5DIV,0DIV\r\n"
                                           "-25.5,\r\n-24.5,\r\n-77.5,\r\n");
        QTest::newRow("raw") << QByteArray("TEST1\r\n0.0005,0\r\n1,0\r\n2,0.5\r\n-37.5,0\r\n12,\r\n13,\r\n-40,\r\n");
        QTest::newRow("quoted title, both on")
            << QByteArray("\"A,\x94\x67\"\r\n1m,2u\r\nON,ON\r\n5 ,1k\r\n0.5DIV,-0.04DIV\r\n1,2\r\n-3,4\r\n");
    }
    void waveFiles()
    {
        QFETCH(QByteArray, seed);
        const Bytes start(seed.begin(), seed.end());
        Mutator mutator(20261206);
        FuzzWaveFile(start);
        Bytes current = start;
        for (int i = 0; i < 6000; ++i) {
            // Walk away from the seed for a while, then start over from it.
            current = mutator.mutate(i % 16 == 0 ? start : current);
            FuzzWaveFile(current);
        }
    }

    void settingsFiles_data()
    {
        QTest::addColumn<QByteArray>("seed");
        QTest::newRow("defaults") << QByteArray::fromHex("0400000000000000000000000000c000c0400000c0c0c000e0e0e000"
                                                         "ffff00008080ff00ff808000");
        QTest::newRow("short") << QByteArray("\x04\x00\x01", 3);
    }
    void settingsFiles()
    {
        QFETCH(QByteArray, seed);
        const QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const std::filesystem::path scratch = dir.filePath(QStringLiteral("MV_UTL.ENV")).toStdString();
        const Bytes start(seed.begin(), seed.end());
        Mutator mutator(4410);
        for (int i = 0; i < 1500; ++i)
            FuzzSettings(mutator.mutate(start), scratch);
    }
};

QTEST_APPLESS_MAIN(TestFuzzMutation)
#include "test_fuzz_mutation.moc"
