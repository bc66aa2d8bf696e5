// The settings file: exact bytes, creation, the bytes after the record, and fallbacks.
// Arbitrary file contents are covered by the fuzz targets (tests/fuzz).
#include "files/EnvSettings.h"

#include <QTemporaryDir>
#include <QTest>

#include <fstream>

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
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

Bytes encoded(const EnvSettings& settings)
{
    const auto bytes = EncodeSettings(settings);
    return Bytes(bytes.begin(), bytes.end());
}

fs::path folderOf(const QTemporaryDir& dir) { return fs::path(dir.path().toStdString()); }

} // namespace

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    // A missing file is created with the defaults; bytes after the record belong to
    // someone else: reading ignores them and writing keeps them.
    void createdThenRewrittenKeepingTheTail()
    {
        QTemporaryDir dir;
        const fs::path path = folderOf(dir) / "MV_UTL.ENV";
        QCOMPARE(SettingsPathFor(folderOf(dir)), path);
        const SettingsReadResult created = ReadSettings(path);
        QVERIFY(created.problems.empty() && created.createdFile);
        QCOMPARE(created.settings, EnvSettings{});
        QCOMPARE(readAll(path), kDefaultFile);

        const std::string tail = "8 bytes.";
        std::ofstream(path, std::ios::binary | std::ios::app) << tail;
        EnvSettings changed;
        changed.Com[5] = 1;
        changed.Color[2] = 0x123456;
        QCOMPARE(WriteSettings(path, changed), std::string());
        Bytes expected = encoded(changed);
        expected.insert(expected.end(), tail.begin(), tail.end());
        QCOMPARE(readAll(path), expected);
        const SettingsReadResult reread = ReadSettings(path);
        QVERIFY(reread.problems.empty() && !reread.createdFile);
        QCOMPARE(reread.settings, changed);
    }

    // Only the bad field falls back; the message names its setting and the value as
    // stored (signed); colours come back as stored, high byte included.
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
        const fs::path path = SettingsPathFor(folderOf(dir));
        EnvSettings file;
        file.Com = {6, 1, 2, 1, 1, 1};
        file.Color[6] = int32_t(0xFF030201);
        file.Com[std::size_t(field)] = int16_t(stored);
        writeAll(path, encoded(file));

        const SettingsReadResult result = ReadSettings(path);
        EnvSettings expected = file;
        expected.Com[std::size_t(field)] = EnvSettings{}.Com[std::size_t(field)];
        QCOMPARE(result.settings, expected);
        QCOMPARE(result.problems.size(), std::size_t(1));
        QVERIFY(QString::fromStdString(result.problems[0]).contains(QStringLiteral("%1の値 %2 ").arg(name).arg(stored)));
        QCOMPARE(readAll(path), encoded(file));
    }

    // Defaults for the run, one message naming the file, and whatever is there left alone.
    void unusableFileFallsBackToDefaults_data()
    {
        QTest::addColumn<QString>("relative");
        QTest::addColumn<int>("fileSize");  // -1: a directory of that name, -2: nothing
        QTest::newRow("empty") << "MV_UTL.ENV" << 0;
        QTest::newRow("one byte short") << "MV_UTL.ENV" << 39;
        QTest::newRow("a directory by that name") << "MV_UTL.ENV" << -1;
        QTest::newRow("folder missing") << "no/such/folder/MV_UTL.ENV" << -2;
    }
    void unusableFileFallsBackToDefaults()
    {
        QFETCH(QString, relative);
        QFETCH(int, fileSize);
        QTemporaryDir dir;
        const fs::path path = folderOf(dir) / relative.toStdString();
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
};

QTEST_APPLESS_MAIN(TestSettings)
#include "test_settings.moc"
