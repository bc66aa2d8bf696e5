// Waveform files on disk and the Save/Load flows: Shift-JIS titles, all-or-nothing loads,
// saves that never leave a broken file, and the dialogs' texts.
#include "files/ShiftJis.h"
#include "files/WaveFileCommands.h"
#include "files/WaveFileStore.h"
#include "support/ScriptedPrompts.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QByteArray kHeaderAfterTitle = "\r\n0.001,0\r\n1,1\r\n1,1\r\n0,0\r\n";

// A record unlike any file below, to see that a refused load changes nothing.
WaveRecord populatedRecord()
{
    WaveRecord r;
    r.Title = "before";
    r.SecondsPerDiv = 0.002f;
    r.Ch1On = 0;
    r.Ch1VoltsPerDiv = 5;
    r.Ch2Offset = 25;
    r.LastIndex = 5119;
    r.FreshCapture = kTrue;
    for (int i = 0; i <= r.LastIndex; ++i) {
        r.Samples(1, i) = int16_t(i % 200 - 100);
        r.Samples(2, i) = int16_t(-(i % 50));
    }
    return r;
}

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
        QTest::newRow("full-width comma quoted") << QByteArray("\"A,\x81\x43\"") << QStringLiteral("A,，");
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

    // A title code page 932 cannot hold is not written as '?': no file, a message, and
    // any earlier file stays as it was.
    void unwritableTitleLeavesFileAlone_data()
    {
        QTest::addColumn<QString>("title");
        QTest::newRow("hangul") << QStringLiteral("한");
        QTest::newRow("euro") << QStringLiteral("€");
        QTest::newRow("yen, no round trip") << QStringLiteral("¥");
        QTest::newRow("comma and quote") << QStringLiteral("a,\"b");
    }
    void unwritableTitleLeavesFileAlone()
    {
        QFETCH(QString, title);
        const QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("keep.csv"));
        writeAll(file, "earlier");
        WaveRecord record = populatedRecord();
        record.Title = title.toStdString();
        const QString message = WriteWaveFile(file, WaveFileKind::Csv, record);
        QVERIFY(message.contains(QStringLiteral("keep.csv")));
        QVERIFY(message.contains(QStringLiteral("以前のファイルはそのまま")));
        QCOMPARE(readAll(file), QByteArray("earlier"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("keep.csv")});
    }

    void unwritablePlaceIsReported()
    {
        const QString file = path(QStringLiteral("missing-folder/wave.csv"));
        const QString message = WriteWaveFile(file, WaveFileKind::Csv, populatedRecord());
        QVERIFY(message.startsWith(QStringLiteral("波形ファイル「wave.csv」に保存できませんでした。")));
        QVERIFY(!QFile::exists(file));
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
        WaveRecord record = populatedRecord();
        QVERIFY(!LoadWaveFile(nullptr, prompts, record));
        QCOMPARE(prompts.asked.size(), 1);
        QVERIFY(prompts.asked[0].text.contains(QStringLiteral("「bad.raw」")));
        QVERIFY2(prompts.asked[0].text.contains(where), qPrintable(prompts.asked[0].text));
        QCOMPARE(record, populatedRecord());
    }

    // The flows: dialog texts, the extension rules and a cancel that says nothing.
    void saveThenLoadByExtension_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("saveWarning");
        QTest::addColumn<QString>("loadWarning");
        const QString saveWarning =
            QStringLiteral("拡張子が異常です！\r\n拡張子は \"CSV\" または \"RAW\" を選択してください。");
        const QString loadWarning = QStringLiteral("予期しないエラーです！");
        QTest::newRow("CSV") << QStringLiteral("a.CSV") << QString() << QString();
        QTest::newRow("lower-case raw") << QStringLiteral("b.raw") << QString() << QString();
        QTest::newRow("no extension") << QStringLiteral("wave") << saveWarning << loadWarning;
        QTest::newRow("other extension") << QStringLiteral("wave.txt") << saveWarning << loadWarning;
    }
    void saveThenLoadByExtension()
    {
        QFETCH(QString, name);
        QFETCH(QString, saveWarning);
        QFETCH(QString, loadWarning);
        const QString file = path(name);
        QFile::remove(file);
        const WaveRecord saved = populatedRecord();

        ScriptedPrompts prompts;
        prompts.fileNames = {file, file};
        SaveWaveFile(nullptr, prompts, saved);
        WaveRecord loaded;
        const bool changed = LoadWaveFile(nullptr, prompts, loaded);

        QCOMPARE(prompts.fileDialogs.size(), 2);
        for (const auto& dialog : prompts.fileDialogs) {
            QCOMPARE(dialog.filter, QStringLiteral("MIRAVO標準 ASCII(*.CSV *.csv);;ユーティリティー標準 ASCII(*.RAW *.raw)"));
            QCOMPARE(dialog.selectedFilter, 0);
        }
        QCOMPARE(prompts.fileDialogs[0].save, true);
        QCOMPARE(prompts.fileDialogs[0].title, QStringLiteral("ファイルのへの保存"));
        QCOMPARE(prompts.fileDialogs[1].title, QStringLiteral("波形ファイルの読込"));

        if (saveWarning.isEmpty()) {
            QVERIFY(prompts.asked.isEmpty());
            QVERIFY(changed);
            WaveRecord expected = saved;
            expected.ParamsLocked = kTrue;
            expected.FreshCapture = kFalse;
            // Channel 1 was off: its column was empty and comes back as minus its offset (0).
            for (int i = 0; i <= saved.LastIndex; ++i)
                expected.Samples(1, i) = 0;
            QCOMPARE(loaded, expected);
            return;
        }
        QVERIFY(!changed);
        QVERIFY(!QFile::exists(file));
        QCOMPARE(prompts.asked.size(), 2);
        QCOMPARE(prompts.asked[0].caption, QStringLiteral("拡張子不正の警告"));
        QCOMPARE(prompts.asked[0].text, saveWarning);
        QCOMPARE(prompts.asked[0].icon, QMessageBox::Warning);
        QCOMPARE(prompts.asked[1].caption, QString());
        QCOMPARE(prompts.asked[1].text, loadWarning);
        QCOMPARE(loaded, WaveRecord());
    }

    void cancelledDialogsSayNothing()
    {
        ScriptedPrompts prompts;
        WaveRecord record = populatedRecord();
        SaveWaveFile(nullptr, prompts, record);
        QVERIFY(!LoadWaveFile(nullptr, prompts, record));
        QCOMPARE(prompts.fileDialogs.size(), 2);
        QVERIFY(prompts.asked.isEmpty());
        QCOMPARE(record, populatedRecord());
    }
};

QTEST_MAIN(TestWaveFileStore)
#include "test_wave_file_store.moc"
