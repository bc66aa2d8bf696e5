#include "files/EnvSettings.h"

#include <QTemporaryDir>
#include <QTest>

#include <fstream>
#include <random>

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

const Bytes kDefaultFile{0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                         0x00, 0x00, 0xC0, 0x00, 0xC0, 0x40, 0x00, 0x00, 0xC0, 0xC0, 0xC0, 0x00,
                         0xE0, 0xE0, 0xE0, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x80, 0x80, 0xFF, 0x00,
                         0xFF, 0x80, 0x80, 0x00};

Bytes readAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void writeAll(const fs::path& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

Bytes encoded(const EnvSettings& settings)
{
    const auto bytes = EncodeSettings(settings);
    return Bytes(bytes.begin(), bytes.end());
}

fs::path pathOf(const QTemporaryDir& dir) { return fs::path(dir.path().toStdString()); }

} // namespace

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void defaultsEncodeToTheKnownBytes()
    {
        QCOMPARE(encoded(EnvSettings{}), kDefaultFile);
    }

    void decodeIsLittleEndianAndSigned_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<QByteArray>("raw");
        QTest::addColumn<int>("com0");
        QTest::addColumn<int>("color6");
        QTest::newRow("index high byte") << 0 << QByteArray("\x00\x01", 2) << 256 << 8421631;
        QTest::newRow("negative index") << 0 << QByteArray("\xFF\xFF", 2) << -1 << 8421631;
        QTest::newRow("colour bytes in order") << 36 << QByteArray("\x01\x02\x03\x00", 4) << 4 << 0x030201;
        QTest::newRow("colour high byte kept") << 36 << QByteArray("\xFF\xFF\xFF\xFF", 4) << 4 << -1;
    }
    void decodeIsLittleEndianAndSigned()
    {
        QFETCH(int, offset);
        QFETCH(QByteArray, raw);
        QFETCH(int, com0);
        QFETCH(int, color6);
        std::array<uint8_t, kSettingsFileSize> bytes = EncodeSettings(EnvSettings{});
        std::copy(raw.begin(), raw.end(), bytes.begin() + offset);
        const EnvSettings decoded = DecodeSettings(bytes);
        QCOMPARE(int(decoded.Com[0]), com0);
        QCOMPARE(int(decoded.Color[6]), color6);
        QCOMPARE(EncodeSettings(decoded), bytes);
    }

    void missingFileIsCreatedWithDefaults()
    {
        QTemporaryDir dir;
        const fs::path path = SettingsPathFor(pathOf(dir));
        const SettingsReadResult result = ReadSettings(path);
        QVERIFY(result.problems.empty());
        QVERIFY(result.createdFile);
        QCOMPARE(result.settings, EnvSettings{});
        QCOMPARE(readAll(path), kDefaultFile);

        const SettingsReadResult again = ReadSettings(path);
        QVERIFY(!again.createdFile);
        QVERIFY(again.problems.empty());
    }

    // Bytes after the record belong to someone else: reading ignores them and writing keeps them.
    void longerFileKeepsItsTail()
    {
        QTemporaryDir dir;
        const fs::path path = SettingsPathFor(pathOf(dir));
        Bytes file = kDefaultFile;
        const Bytes tail{1, 2, 3, 4, 5, 6, 7, 8};
        file.insert(file.end(), tail.begin(), tail.end());
        file[0] = 2;
        writeAll(path, file);
        QCOMPARE(int(ReadSettings(path).settings.Com[0]), 2);

        EnvSettings changed;
        changed.Com[5] = 1;
        changed.Color[2] = 0x123456;
        QCOMPARE(WriteSettings(path, changed), std::string());
        Bytes expected = encoded(changed);
        expected.insert(expected.end(), tail.begin(), tail.end());
        QCOMPARE(readAll(path), expected);
        QCOMPARE(ReadSettings(path).settings, changed);
    }

    void indexOutsideItsListFallsBack_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<int>("stored");
        QTest::addColumn<QString>("name");
        QTest::newRow("speed past the list") << 0 << 7 << "通信速度";
        QTest::newRow("speed negative") << 0 << -1 << "通信速度";
        QTest::newRow("data bits") << 1 << 2 << "ビット長";
        QTest::newRow("parity") << 2 << 3 << "パリティー";
        QTest::newRow("stop bits") << 3 << 2 << "ストップビット";
        QTest::newRow("delimiter") << 4 << 32767 << "デリミッター";
        QTest::newRow("port") << 5 << -32768 << "ポート";
    }
    void indexOutsideItsListFallsBack()
    {
        QFETCH(int, field);
        QFETCH(int, stored);
        QFETCH(QString, name);
        QTemporaryDir dir;
        const fs::path path = SettingsPathFor(pathOf(dir));
        EnvSettings file;
        file.Com = {6, 1, 2, 1, 1, 1};
        file.Color[0] = 0x010203;
        file.Com[std::size_t(field)] = int16_t(stored);
        const Bytes bytes = encoded(file);
        writeAll(path, bytes);

        const SettingsReadResult result = ReadSettings(path);
        EnvSettings expected = file;
        expected.Com[std::size_t(field)] = EnvSettings{}.Com[std::size_t(field)];
        QCOMPARE(result.settings, expected);
        QCOMPARE(result.problems.size(), std::size_t(1));
        QVERIFY(QString::fromStdString(result.problems[0]).contains(name));
        QCOMPARE(readAll(path), bytes);
    }

    // Defaults for the run, one message naming the file, and whatever is there left alone.
    void unusableFileFallsBackToDefaults_data()
    {
        QTest::addColumn<QString>("relative");
        QTest::addColumn<int>("fileSize");  // -1: a directory of that name, -2: nothing
        QTest::newRow("empty") << "MV_UTL.ENV" << 0;
        QTest::newRow("one byte") << "MV_UTL.ENV" << 1;
        QTest::newRow("one byte short") << "MV_UTL.ENV" << 39;
        QTest::newRow("a directory by that name") << "MV_UTL.ENV" << -1;
        QTest::newRow("folder missing") << "no/such/folder/MV_UTL.ENV" << -2;
    }
    void unusableFileFallsBackToDefaults()
    {
        QFETCH(QString, relative);
        QFETCH(int, fileSize);
        QTemporaryDir dir;
        const fs::path path = pathOf(dir) / relative.toStdString();
        const Bytes file(std::size_t(std::max(fileSize, 0)), 0x01);
        if (fileSize >= 0)
            writeAll(path, file);
        else if (fileSize == -1)
            fs::create_directory(path);

        const SettingsReadResult result = ReadSettings(path);
        QCOMPARE(result.settings, EnvSettings{});
        QVERIFY(!result.createdFile);
        QCOMPARE(result.problems.size(), std::size_t(1));
        QVERIFY(result.problems[0].find(path.string()) != std::string::npos);
        if (fileSize >= 0) {
            QCOMPARE(readAll(path), file);
        } else {
            QVERIFY(!WriteSettings(path, EnvSettings{}).empty());
            QCOMPARE(fs::is_directory(path), fileSize == -1);
            QCOMPARE(fs::exists(path.parent_path()), fileSize == -1);
        }
    }

    // Whatever the file holds, the record that comes back selects entries that exist.
    void arbitraryFilesGiveUsableSettings()
    {
        QTemporaryDir dir;
        const fs::path path = SettingsPathFor(pathOf(dir));
        std::mt19937 random(40);
        std::uniform_int_distribution<int> size(0, 64);
        std::uniform_int_distribution<int> byte(0, 255);
        for (int i = 0; i < 2000; ++i) {
            Bytes file(std::size_t(size(random)));
            for (auto& b : file)
                b = uint8_t(i % 3 == 0 ? byte(random) % 4 : byte(random));  // small values hit the lists
            writeAll(path, file);
            const SettingsReadResult result = ReadSettings(path);
            for (std::size_t k = 0; k < kComListSizes.size(); ++k)
                QVERIFY(result.settings.Com[k] >= 0 && result.settings.Com[k] < kComListSizes[k]);
            if (file.size() >= kSettingsFileSize) {
                std::array<uint8_t, kSettingsFileSize> head{};
                std::copy_n(file.begin(), kSettingsFileSize, head.begin());
                QCOMPARE(result.settings.Color, DecodeSettings(head).Color);
                QCOMPARE(EncodeSettings(DecodeSettings(head)), head);
            }
            QCOMPARE(readAll(path), file);
        }
    }
};

QTEST_APPLESS_MAIN(TestSettings)
#include "test_settings.moc"
