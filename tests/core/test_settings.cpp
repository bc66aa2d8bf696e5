// The settings file: exact bytes, creation, the bytes after the record, fallbacks, and
// paths that are not regular files.
// Arbitrary file contents are covered by the fuzz targets (tests/fuzz).
#include "core/EnvSettings.h"
#include "support/FileNodes.h"

#include <QTemporaryDir>
#include <QTest>

namespace fs = std::filesystem;

namespace {

const QByteArray kDefaultFile =
    QByteArray::fromHex("0400000000000000000000000000c000c0400000c0c0c000e0e0e000ffff00008080ff00ff808000");

QByteArray encoded(const EnvSettings& settings)
{
    const auto bytes = EncodeSettings(settings);
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

// Settings unlike the defaults, a colour's high byte set, and list index `field` = `value`.
EnvSettings storedWith(int field, int value)
{
    EnvSettings settings;
    settings.Com = {6, 1, 2, 1, 1, 1};
    settings.Color[6] = int32_t(0xFF030201);
    settings.Com[std::size_t(field)] = int16_t(value);
    return settings;
}

fs::path folderOf(const QTemporaryDir& dir) { return fs::path(dir.path().toStdString()); }

// file: null: nothing there; field: the list index falling back; -1: everything; problems:
// the lines of the one message.
struct FallbackCase { QString relative; QByteArray file; int field; QString why; qsizetype problems = 1; };

// inWorkingDir: what is named MV_UTL.ENV there: "", "file", "dir", "dangling link"; configFolder: the program
// names a configuration folder; beside: the path is the working directory's.
struct LocationCase { QString inWorkingDir; bool configFolder, beside; };

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
        const SettingsReadResult created = ReadSettings(path);
        QVERIFY(created.problems.empty() && created.createdFile);
        QCOMPARE(created.settings, EnvSettings{});
        QCOMPARE(fileBytes(path), kDefaultFile);

        const QByteArray tail = "8 bytes.";
        writeFileBytes(path, kDefaultFile + tail);
        const EnvSettings changed = storedWith(0, 2);
        QCOMPARE(WriteSettings(path, changed), std::string());
        QCOMPARE(fileBytes(path), encoded(changed) + tail);
        const SettingsReadResult reread = ReadSettings(path);
        QVERIFY(reread.problems.empty() && !reread.createdFile);
        QCOMPARE(reread.settings, changed);
    }

    // What cannot be used falls back to its default for the run, with one message naming
    // the file and what was wrong (a list index by its setting and its signed value);
    // whatever is there is left alone.
    void location_data()
    {
        QTest::addColumn<LocationCase>("c");
        QTest::newRow("file there, kept") << LocationCase{"file", true, true};
        QTest::newRow("nothing there: configuration folder") << LocationCase{"", true, false};
        QTest::newRow("a folder there is told, not passed over") << LocationCase{"dir", true, true};
        QTest::newRow("a dangling link there is told, not passed over") << LocationCase{"dangling link", true, true};
        QTest::newRow("no configuration folder named") << LocationCase{"", false, true};
    }
    // MV_UTL.ENV beside the work when it is there, else in the user's configuration folder.
    void location()
    {
        QFETCH(LocationCase, c);
        auto& [inWorkingDir, configFolder, beside] = c;
        QTemporaryDir dir;
        const fs::path work = folderOf(dir);
        const fs::path config = work / "config";
        if (inWorkingDir == "file")
            writeFileBytes(work / "MV_UTL.ENV", kDefaultFile);
        else if (inWorkingDir == "dir")
            fs::create_directory(work / "MV_UTL.ENV");
        else if (inWorkingDir == "dangling link")
            fs::create_symlink(work / "nowhere", work / "MV_UTL.ENV");
        QCOMPARE(SettingsPathFor(work, configFolder ? config : fs::path()), (beside ? work : config) / "MV_UTL.ENV");
    }

    void fallsBackAndSaysWhy_data()
    {
        QTest::addColumn<FallbackCase>("c");
        const QString name = QStringLiteral("MV_UTL.ENV");
        QTest::newRow("speed past the list") << FallbackCase{name, encoded(storedWith(0, 7)), 0, "通信速度の値 7 "};
        QTest::newRow("delimiter") << FallbackCase{name, encoded(storedWith(4, 32767)), 4, "デリミッターの値 32767 "};
        QTest::newRow("port") << FallbackCase{name, encoded(storedWith(5, -32768)), 5, "ポートの値 -32768 "};
        QTest::newRow("empty") << FallbackCase{name, QByteArray(""), -1, " 0 バイト"};
        QTest::newRow("one byte short") << FallbackCase{name, kDefaultFile.left(39), -1, " 39 バイト"};
        QTest::newRow("every list index at once")
            << FallbackCase{name, QByteArray::fromHex("ff7fff7fff7fff7fff7fff7f") + kDefaultFile.mid(12), -1, "通信速度の値 32767 ", 6};
        QTest::newRow("folder missing") << FallbackCase{"no/such/MV_UTL.ENV", {}, -1, "見つかりません"};
    }
    void fallsBackAndSaysWhy()
    {
        QFETCH(FallbackCase, c);
        auto& [relative, file, field, why, problems] = c;
        QTemporaryDir dir;
        const fs::path path = folderOf(dir) / relative.toStdString();
        if (!file.isNull())
            writeFileBytes(path, file);

        const SettingsReadResult result = ReadSettings(path);
        QCOMPARE(result.settings, field < 0 ? EnvSettings{} : storedWith(field, EnvSettings{}.Com[std::size_t(field)]));
        QVERIFY(!result.createdFile);
        const QString problem = QString::fromStdString(SettingsProblemsText(result));
        QCOMPARE(problem.count(u'\n') + 1, problems);
        QVERIFY2(problem.contains(QString::fromStdString(path.string())) && problem.contains(why), qPrintable(problem));
        QCOMPARE(fs::is_regular_file(path), !file.isNull());
        QCOMPARE(fileBytes(path), file);
        if (file.isNull())
            QVERIFY(!WriteSettings(path, EnvSettings{}).empty());
    }

    // Only a regular file is read or written, also at the end of a link. Anything else
    // gives the defaults with one message naming it, is never waited on, never written
    // (a dangling link is not followed to create a file) and stays as it was.
    void onlyRegularFiles_data() { addFileNodeRows(); }
    void onlyRegularFiles()
    {
        QFETCH(FileNode, node);
        QFETCH(QString, why);
        QTemporaryDir dir;
        const fs::path path = folderOf(dir) / "MV_UTL.ENV";
        const fs::path file = folderOf(dir) / "elsewhere.ENV";
        writeFileBytes(file, encoded(storedWith(0, 2)));
        QVERIFY(makeFileNode(node, path, file));
        const fs::file_type type = nodeType(path);

        const FifoWatchdog watchdog(path);
        const SettingsReadResult read = ReadSettings(path);
        const QString written = QString::fromStdString(WriteSettings(path, storedWith(0, 3)));
        QVERIFY2(!watchdog.fired(), "waited on the FIFO");
        QCOMPARE(nodeType(path), type);
        QVERIFY(!fs::exists(folderOf(dir) / "nowhere"));
        QVERIFY(!read.createdFile);
        if (why.isEmpty()) {
            QVERIFY(read.problems.empty() && written.isEmpty());
            QCOMPARE(read.settings, storedWith(0, 2));
            QCOMPARE(fileBytes(file), encoded(storedWith(0, 3)));
            return;
        }
        QCOMPARE(read.settings, EnvSettings{});
        QCOMPARE(read.problems.size(), std::size_t(1));
        const QString problem = QString::fromStdString(read.problems[0]);
        QVERIFY2(problem.contains(QString::fromStdString(path.string())) && problem.contains(why), qPrintable(problem));
        QVERIFY2(written.contains(why), qPrintable(written));
        QCOMPARE(fileBytes(file), encoded(storedWith(0, 2)));
    }
};

QTEST_APPLESS_MAIN(TestSettings)
#include "test_settings.moc"
