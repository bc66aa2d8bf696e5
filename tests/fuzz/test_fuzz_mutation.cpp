// A bounded, fixed-seed mutation run over the fuzz entry points, starting from the
// libFuzzer corpus, so every build (and the sanitizer build) exercises them.
#include "FuzzTargets.h"

#include <QDir>
#include <QTest>

#include <random>

namespace {

using Bytes = std::vector<uint8_t>;

// Pieces that steer mutations into the readers' interesting corners.
const std::string_view kTokens[] = {",", "\r\n", "\n", "\r", "\"", " ", "ON", "OFF", "DIV", "-", ".", "E+38",
                                    "1e39", "32767.5", "-32768.5", "m", "k", "\x94\x67", "\x1a", "nan", "\xef\xbc\x95"};

// One to four random edits: bit flips, inserted bytes and tokens, cuts, repeats, truncation.
void mutate(Bytes& bytes, std::mt19937& random)
{
    const auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    for (int steps = pick(1, 4); steps > 0; --steps) {
        const std::size_t at = std::size_t(pick(0, int(bytes.size())));
        const auto where = bytes.begin() + std::ptrdiff_t(at);
        const auto upTo = [&](int most) { return where + std::min<std::ptrdiff_t>(pick(1, most), bytes.end() - where); };
        switch (pick(0, 5)) {
        case 0:
            if (!bytes.empty())
                bytes[at % bytes.size()] ^= uint8_t(1u << pick(0, 7));
            break;
        case 1:
            bytes.insert(where, uint8_t(pick(0, 255)));
            break;
        case 2: {
            const std::string_view token = kTokens[pick(0, int(std::size(kTokens)) - 1)];
            bytes.insert(where, token.begin(), token.end());
            break;
        }
        case 3:
            bytes.erase(where, upTo(16));
            break;
        case 4: {  // repeat a stretch, which grows sample runs and header lines
            const Bytes piece(where, upTo(64));
            for (int n = pick(1, 8); n > 0; --n)
                bytes.insert(bytes.begin() + std::ptrdiff_t(at), piece.begin(), piece.end());
            break;
        }
        default:
            bytes.erase(where, bytes.end());
        }
    }
}

// Each corpus file, then `rounds` mutants that walk away from it and start over every 16.
void mutateCorpus(const QString& folder, int rounds, uint32_t seed, const auto& target)
{
    const QString corpus = QFINDTESTDATA("corpus/" + folder);
    const QFileInfoList files = QDir(corpus).entryInfoList(QDir::Files);
    QVERIFY(!corpus.isEmpty() && !files.isEmpty());
    std::mt19937 random(seed);
    for (const QFileInfo& info : files) {
        QFile file(info.filePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const Bytes start(bytes.begin(), bytes.end());
        Bytes current = start;
        target(current);
        for (int i = 1; i <= rounds; ++i) {
            if (i % 16 == 0)
                current = start;
            mutate(current, random);
            target(current);
        }
    }
}

} // namespace

class TestFuzzMutation : public QObject {
    Q_OBJECT
private slots:
    void waveFiles()
    {
        mutateCorpus(QStringLiteral("wave"), 6000, 20261206, [](const Bytes& bytes) { FuzzWaveFile(bytes); });
    }

    void settingsFiles()
    {
        mutateCorpus(QStringLiteral("settings"), 3000, 4410, [](const Bytes& bytes) { FuzzSettings(bytes); });
    }
};

QTEST_APPLESS_MAIN(TestFuzzMutation)
#include "test_fuzz_mutation.moc"
