// Waveform files on disk and the Save/Load flows: Shift-JIS titles, all-or-nothing loads,
// saves that never leave a broken file, only regular files, and the dialogs' texts.
#include "files/ShiftJis.h"
#include "files/widgets/WaveFileCommands.h"
#include "files/WaveFileStore.h"
#include "support/ExampleWave.h"
#include "support/FileNodes.h"
#include "support/ModalHelper.h"
#include "support/ScriptedPrompts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

// loaded: the title read back; messages: "caption|text" of each OK-only warning, or a notice.
struct SaveCase { QString name, title; QByteArray written; QString loaded; QStringList messages = {}; };

struct TitleCase { QByteArray titleBytes; QString shown; QByteArray savedBack; };

// The example CSV file with another first line.
QByteArray titled(const QByteArray& firstLine) { return firstLine + kExampleCsv.mid(kExampleCsv.indexOf('\r')); }

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

    // Only regular files are loaded or saved, also at the end of a link (the link stays a
    // link). Anything else is refused at once with a message naming the path, is never
    // waited on, and stays as it was; a dangling link is not followed to create a file.
    void onlyRegularFiles_data() { addFileNodeRows(); }
    void onlyRegularFiles()
    {
        QFETCH(FileNode, node);
        QFETCH(QString, why);
        const QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("node.csv"));
        const std::filesystem::path local = name.toStdString();
        const QString file = dir.filePath(QStringLiteral("file.csv"));
        writeFileBytes(file, kExampleCsv);
        QVERIFY(makeFileNode(node, local, file.toStdString()));
        const auto type = nodeType(local);

        ScriptedPrompts prompts;
        prompts.fileNames = {name, name};
        WaveRecord loaded;
        WaveRecord saved = exampleRecord();
        saved.Title = "saved";
        const FifoWatchdog watchdog(local);
        const bool load = LoadWaveFile(nullptr, prompts, loaded);
        SaveWaveFile(nullptr, prompts, saved);
        QVERIFY2(!watchdog.fired(), "waited on the FIFO");
        QCOMPARE(nodeType(local), type);
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("nowhere"))));
        QCOMPARE(load, why.isEmpty());
        if (why.isEmpty()) {
            QVERIFY(prompts.asked.isEmpty());
            QCOMPARE(loaded.Title, exampleRecord().Title);
            QVERIFY(fileBytes(file).startsWith("saved\r\n"));
            return;
        }
        QCOMPARE(prompts.asked.size(), 2);
        for (const auto& box : prompts.asked)
            QVERIFY2(box.text.contains(QStringLiteral("「%1」").arg(name)) && box.text.contains(why), qPrintable(box.text));
        QCOMPARE(loaded, WaveRecord());
        QCOMPARE(fileBytes(file), kExampleCsv);
    }

    // A file name is shown as typed, never as markup: typed into the real file dialog (in
    // its starting folder) and read in the real message box.
    void fileNameShownAsTyped()
    {
        const QString file = path(QStringLiteral("<b>bold<img src=x>.csv"));
        writeFileBytes(file, "T\r\n");
        QString shown;
        Qt::TextFormat format = Qt::AutoText;
        whenModalOpens([&](QWidget* dialog) {
            QLineEdit* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            QVERIFY(name);
            name->setFocus();
            QTest::keyClicks(name, QFileInfo(file).fileName());
            QTest::keyClick(name, Qt::Key_Return);
            whenModalOpens([&](QWidget* box) {
                const QLabel* text = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
                shown = text ? text->text() : QString();
                format = text ? text->textFormat() : Qt::AutoText;
                QTest::keyClick(box, Qt::Key_Return);
            });
        });
        const QString startDir = QDir::currentPath();
        QDir::setCurrent(m_dir.path());  // the dialog opens there
        QtPrompts prompts;
        WaveRecord record;
        const bool loaded = LoadWaveFile(nullptr, prompts, record);
        QDir::setCurrent(startDir);
        QVERIFY(!loaded);
        QVERIFY2(shown.contains(file), qPrintable(shown));
        QCOMPARE(format, Qt::PlainText);
    }

    // Whatever goes wrong, the record stays exactly as it was (samples included), and the
    // message names the file and the line.
    void refusedLoadLeavesRecordAlone_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("where");
        QTest::newRow("end in pair") << QByteArray("T\r\n0.001,0\r\n1,1\r\n1,1\r\n0,0\r\n1,2\r\n3") << QStringLiteral("7 行目");
        QTest::newRow("empty file") << QByteArray("") << QStringLiteral("1 行目");
        QTest::newRow("past the size limit") << QByteArray(qsizetype(kMaxWaveFileBytes) + 1, '1') << QStringLiteral("大きすぎます");
        QTest::newRow("missing file") << QByteArray() << QStringLiteral("見つかりません");
    }
    void refusedLoadLeavesRecordAlone()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, where);
        const QString file = path(QStringLiteral("bad.raw"));
        QFile::remove(file);
        if (!bytes.isNull())
            writeFileBytes(file, bytes);
        ScriptedPrompts prompts;
        prompts.fileNames = {file};
        WaveRecord record = exampleRecord();
        QVERIFY(!LoadWaveFile(nullptr, prompts, record));
        QCOMPARE(prompts.asked.size(), 1);
        QVERIFY(prompts.asked[0].text.contains(QStringLiteral("「%1」").arg(file)));
        QVERIFY2(prompts.asked[0].text.contains(where), qPrintable(prompts.asked[0].text));
        QCOMPARE(record, exampleRecord());
    }

    // The flows: the example written byte for byte in the format its extension chooses
    // (either case) and loaded back, the extension warnings, and a cancel that says nothing.
    // Titles are code page 932 on disk, byte for byte as Japanese Windows writes them,
    // quoted where the plain form would not read back, and the waveform is always saved
    // and loads back: "¥" is written as 0x5C, a character the code page lacks as "?", a
    // quote that would end a quoted title early as "＂"; the last two are reported.
    void saveThenLoad_data()
    {
        QTest::addColumn<SaveCase>("c");
        const QStringList refused{QStringLiteral("拡張子不正の警告|拡張子が異常です！\r\n拡張子は \"CSV\" または \"RAW\" を選択してください。"),
                                  QStringLiteral("|予期しないエラーです！")};
        const QStringList notice{QStringLiteral("notice")};
        const QString csv = QStringLiteral("t.csv"), example = QStringLiteral("TEST1");
        QTest::newRow("CSV") << SaveCase{"a.CSV", example, kExampleCsv, example};
        QTest::newRow("lower-case raw, last dot") << SaveCase{"b.x.raw", example, kExampleRaw, example};
        QTest::newRow("no extension") << SaveCase{"wave", example, {}, {}, refused};
        QTest::newRow("other extension") << SaveCase{"wave.csv.txt", example, {}, {}, refused};
        QTest::newRow("cancelled") << SaveCase{{}, example, {}, {}};
        QTest::newRow("0x5C as second byte") << SaveCase{csv, "表示", titled(QByteArray("\x95\x5C\x8E\xA6")), "表示"};
        QTest::newRow("NEC extension") << SaveCase{csv, "①", titled(QByteArray("\x87\x40")), "①"};
        QTest::newRow("empty") << SaveCase{csv, {}, titled(QByteArray("")), {}};
        QTest::newRow("comma") << SaveCase{csv, "A,B", titled(QByteArray("\"A,B\"")), "A,B"};
        QTest::newRow("leading space") << SaveCase{csv, " A", titled(QByteArray("\" A\"")), " A"};
        QTest::newRow("inner quote") << SaveCase{csv, "say \"hi\"", titled(QByteArray("say \"hi\"")), "say \"hi\""};
        QTest::newRow("yen") << SaveCase{csv, "1¥", titled(QByteArray("1\x5C")), "1\\"};
        QTest::newRow("euro") << SaveCase{csv, "波€形", titled(QByteArray("\x94\x67?\x8C\x60")), "波?形", notice};
        QTest::newRow("outside the BMP") << SaveCase{csv, "a😀", titled(QByteArray("a?")), "a?", notice};
        QTest::newRow("comma and quote") << SaveCase{csv, "a,\"b", titled(QByteArray("\"a,\xFA\x57" "b\"")), "a,＂b", notice};
        QTest::newRow("leading quote") << SaveCase{csv, "\"x", titled(QByteArray("\xFA\x57x")), "＂x", notice};
    }
    void saveThenLoad()
    {
        QFETCH(SaveCase, c);
        auto& [name, title, written, loaded, messages] = c;
        ScriptedPrompts prompts;
        if (!name.isEmpty())
            prompts.fileNames = {path(name), path(name)};
        WaveRecord saved = exampleRecord();
        saved.Title = title.toStdString();
        SaveWaveFile(nullptr, prompts, saved);
        WaveRecord back;
        back.FreshCapture = kTrue;  // a capture's pending offset removal must not run on a file
        back.Samples(2, 1) = 99;    // channel 2 is filled from the empty column as well
        back.Samples(1, 3) = 77;    // beyond LastIndex nothing changes
        WaveRecord expected = back;
        if (!written.isEmpty()) {
            expected = exampleRecord();
            expected.Title = loaded.toStdString();
            expected.ParamsLocked = kTrue;
            expected.Samples(1, 3) = 77;
        }
        QCOMPARE(LoadWaveFile(nullptr, prompts, back), !written.isEmpty());
        QCOMPARE(back, expected);
        QCOMPARE(fileBytes(path(name)), written);

        QStringList shown;
        for (const auto& box : prompts.asked)
            shown << (box.icon == QMessageBox::Information      ? QStringLiteral("notice")
                      : box.icon == QMessageBox::Warning && box.buttons == QMessageBox::Ok ? box.caption + '|' + box.text
                                                                                           : QString());
        QCOMPARE(shown, messages);
        QCOMPARE(prompts.fileDialogs, (QList<bool>{true, false}));
    }

    // A title with bytes that are not Shift-JIS: each shows as U+FFFD, is saved back as
    // "?" and the save says the title changed; the byte 0x1A itself is kept.
    void undecodableTitle_data()
    {
        QTest::addColumn<TitleCase>("c");
        QTest::newRow("lead byte before a space")
            << TitleCase{QByteArray("a\x81 b"), QStringLiteral("a\uFFFD b"), QByteArray("a? b")};
        QTest::newRow("lead byte at the end")
            << TitleCase{QByteArray("\x82\xA0\x9F"), QStringLiteral("あ\uFFFD"), QByteArray("\x82\xA0?")};
        QTest::newRow("unassigned pair") << TitleCase{QByteArray("\x85\x40x"), QStringLiteral("\uFFFDx"), QByteArray("?x")};
        QTest::newRow("Ctrl-Z byte")
            << TitleCase{QByteArray("\x1A\x82\xA0"), QStringLiteral("\x1Aあ"), QByteArray("\x1A\x82\xA0")};
    }
    void undecodableTitle()
    {
        QFETCH(TitleCase, c);
        auto& [titleBytes, shown, savedBack] = c;
        writeFileBytes(path("in.csv"), titled(titleBytes));
        ScriptedPrompts prompts;
        prompts.fileNames = {path("in.csv"), path("out.csv")};
        WaveRecord record;
        QVERIFY(LoadWaveFile(nullptr, prompts, record));
        QCOMPARE(QString::fromStdString(record.Title), shown);
        SaveWaveFile(nullptr, prompts, record);
        QCOMPARE(fileBytes(path("out.csv")), titled(savedBack));
        QCOMPARE(prompts.asked.size(), savedBack == titleBytes ? 0 : 1);
    }
};

QTEST_MAIN(TestWaveFileStore)
#include "test_wave_file_store.moc"
