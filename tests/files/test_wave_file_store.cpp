// Waveform files on disk and the Save/Load flows: Shift-JIS titles, all-or-nothing loads,
// saves that never leave a broken file, and the dialogs' texts.
#include "files/ShiftJis.h"
#include "files/widgets/WaveFileCommands.h"
#include "files/WaveFileStore.h"
#include "support/ExampleWave.h"
#include "support/ScriptedPrompts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QByteArray kHeaderAfterTitle = "\r\n0.001,0\r\n1,1\r\n1,1\r\n0,0\r\n";

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

} // namespace

class TestWaveFileStore : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY2(ShiftJisAvailable(), "this Qt build lacks the windows-31j converter");
    }

    // Titles made on Japanese Windows load intact, and are written back byte for byte.
    void shiftJisTitleRoundTrip_data()
    {
        QTest::addColumn<QByteArray>("cp932");
        QTest::addColumn<QString>("title");
        QTest::newRow("kanji") << QByteArray("\x94\x67\x8C\x60") << QStringLiteral("波形");
        QTest::newRow("0x5C as second byte") << QByteArray("\x95\x5C\x8E\xA6") << QStringLiteral("表示");
        QTest::newRow("NEC extension") << QByteArray("\x87\x40") << QStringLiteral("①");
        QTest::newRow("half-width katakana") << QByteArray("\xB1") << QStringLiteral("ｱ");
    }
    void shiftJisTitleRoundTrip()
    {
        QFETCH(QByteArray, cp932);
        QFETCH(QString, title);
        const QString file = path(QStringLiteral("sjis.RAW"));
        writeAll(file, cp932 + kHeaderAfterTitle + "1,2\r\n");
        WaveRecord record;
        QCOMPARE(ReadWaveFile(file, WaveFileKind::Raw, record), QString());
        QCOMPARE(QString::fromStdString(record.Title), title);

        QCOMPARE(WriteWaveFile(file, WaveFileKind::Raw, record), QString());
        QVERIFY(readAll(file).startsWith(cp932 + "\r\n"));
    }

    // A save that cannot be done leaves no file behind (a title code page 932 cannot hold
    // is not written as '?'), says so, and keeps any earlier file as it was.
    void failedSaveLeavesFilesAlone_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("why");
        const QString kept = QStringLiteral("以前のファイルはそのまま");
        QTest::newRow("euro") << QStringLiteral("€") << QStringLiteral("keep.csv") << kept;
        QTest::newRow("yen, no round trip") << QStringLiteral("¥") << QStringLiteral("keep.csv") << kept;
        QTest::newRow("missing folder") << QStringLiteral("T") << QStringLiteral("no/wave.csv") << QString();
    }
    void failedSaveLeavesFilesAlone()
    {
        QFETCH(QString, title);
        QFETCH(QString, name);
        QFETCH(QString, why);
        const QTemporaryDir dir;
        const QString file = dir.filePath(name);
        if (!why.isEmpty())
            writeAll(file, "earlier");
        WaveRecord record = exampleRecord();
        record.Title = title.toStdString();
        const QString message = WriteWaveFile(file, WaveFileKind::Csv, record);
        QVERIFY(message.startsWith(QStringLiteral("波形ファイル「%1」に保存できませんでした。").arg(QFileInfo(file).fileName())));
        QVERIFY(message.contains(why));
        QCOMPARE(QFile::exists(file), !why.isEmpty());
        QCOMPARE(readAll(file), why.isEmpty() ? QByteArray() : QByteArray("earlier"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), why.isEmpty() ? QStringList() : QStringList{name});
    }

    // Whatever goes wrong, the record stays exactly as it was (samples included), and the
    // message names the file and the line.
    void refusedLoadLeavesRecordAlone_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("where");
        QTest::newRow("end in pair") << "T" + kHeaderAfterTitle + "1,2\r\n3" << QStringLiteral("7 行目");
        QTest::newRow("not a number") << "T" + kHeaderAfterTitle + "1,2\r\n3,x\r\n" << QStringLiteral("7 行目");
        QTest::newRow("beyond 16 bits") << "T" + kHeaderAfterTitle + "40000,0\r\n" << QStringLiteral("6 行目");
        QTest::newRow("no sample line") << "T" + kHeaderAfterTitle << QStringLiteral("5 行目");
        QTest::newRow("too many sample lines") << "T" + kHeaderAfterTitle + QByteArray("1,2\r\n").repeated(103002) << QStringLiteral("103007 行目");
        QTest::newRow("empty file") << QByteArray("") << QStringLiteral("1 行目");
        QTest::newRow("missing file") << QByteArray() << QStringLiteral("開けません");
    }
    void refusedLoadLeavesRecordAlone()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, where);
        const QString file = path(QStringLiteral("bad.raw"));
        QFile::remove(file);
        if (!bytes.isNull())
            writeAll(file, bytes);
        ScriptedPrompts prompts;
        prompts.fileNames = {file};
        WaveRecord record = exampleRecord();
        QVERIFY(!LoadWaveFile(nullptr, prompts, record));
        QCOMPARE(prompts.asked.size(), 1);
        QVERIFY(prompts.asked[0].text.contains(QStringLiteral("「bad.raw」")));
        QVERIFY2(prompts.asked[0].text.contains(where), qPrintable(prompts.asked[0].text));
        QCOMPARE(record, exampleRecord());
    }

    // The flows: the example written byte for byte in the format its extension chooses
    // (either case) and loaded back, the dialog texts, the extension warnings, and a
    // cancel that says nothing.
    void saveThenLoadByExtension_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("written");
        QTest::addColumn<QStringList>("messages");  // "caption|text" of each OK-only warning
        const QStringList refused{QStringLiteral("拡張子不正の警告|拡張子が異常です！\r\n拡張子は \"CSV\" または \"RAW\" を選択してください。"),
                                  QStringLiteral("|予期しないエラーです！")};
        QTest::newRow("CSV") << QStringLiteral("a.CSV") << kExampleCsv << QStringList();
        QTest::newRow("lower-case raw, last dot") << QStringLiteral("b.x.raw") << kExampleRaw << QStringList();
        QTest::newRow("no extension") << QStringLiteral("wave") << QByteArray() << refused;
        QTest::newRow("other extension") << QStringLiteral("wave.csv.txt") << QByteArray() << refused;
        QTest::newRow("cancelled") << QString() << QByteArray() << QStringList();
    }
    void saveThenLoadByExtension()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, written);
        QFETCH(QStringList, messages);
        ScriptedPrompts prompts;
        if (!name.isEmpty())
            prompts.fileNames = {path(name), path(name)};
        SaveWaveFile(nullptr, prompts, exampleRecord());
        WaveRecord loaded;
        loaded.FreshCapture = kTrue;  // a capture's pending offset removal must not run on a file
        loaded.Samples(2, 1) = 99;    // channel 2 is filled from the empty column as well
        loaded.Samples(1, 3) = 77;    // beyond LastIndex nothing changes
        WaveRecord expected = loaded;
        if (!written.isEmpty()) {
            expected = exampleRecord();
            expected.ParamsLocked = kTrue;
            expected.Samples(1, 3) = 77;
        }
        QCOMPARE(LoadWaveFile(nullptr, prompts, loaded), !written.isEmpty());
        QCOMPARE(loaded, expected);
        QCOMPARE(readAll(path(name)), written);

        QStringList shown;
        for (const auto& box : prompts.asked)
            shown << (box.icon == QMessageBox::Warning && box.buttons == QMessageBox::Ok ? box.caption + '|' + box.text : QString());
        QCOMPARE(shown, messages);
        QCOMPARE(prompts.fileDialogs.size(), 2);
        QVERIFY(prompts.fileDialogs[0].save && !prompts.fileDialogs[1].save);
        QCOMPARE(prompts.fileDialogs[0].title, QStringLiteral("ファイルのへの保存"));
        QCOMPARE(prompts.fileDialogs[1].title, QStringLiteral("波形ファイルの読込"));
        for (const auto& dialog : prompts.fileDialogs) {
            QCOMPARE(dialog.filter, QStringLiteral("MIRAVO標準 ASCII(*.CSV *.csv);;ユーティリティー標準 ASCII(*.RAW *.raw)"));
            QCOMPARE(dialog.selectedFilter, 0);
        }
    }
};

QTEST_MAIN(TestWaveFileStore)
#include "test_wave_file_store.moc"
