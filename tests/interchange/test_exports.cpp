// Exports read by the programs they are for: sigrok-cli reads the sessions, sox and soxi
// the WAV files, numpy the CSV in SI units, Qt SVG and poppler the pictures. The Save
// dialog offers them after the instrument's types; a refused export leaves nothing behind.
#include "files/WaveFileStore.h"
#include "files/widgets/WaveFileCommands.h"
#include "interchange/ExportFile.h"
#include "interchange/WavePicture.h"
#include "support/FileNodes.h"
#include "support/ModalHelper.h"
#include "support/SampleWaves.h"
#include "support/ScriptedPrompts.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>

#include <sndfile.h>

namespace {

const ColorSlots kColors{0x00FFFF, 0xFF00FF, 0x000000, 0x404040, 0x808080, 0x00C000, 0xC0C000};

// The output alone: sigrok-cli 0.7.2 ends "-O analog" with a GLib assertion and status 1,
// on the sessions it writes itself too.
QString run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(120000))
        qWarning("%s did not finish", qPrintable(program));
    return QString::fromUtf8(process.readAllStandardOutput());
}

// Channels 1 and/or 2 (bits), with a display offset that exports leave out.
WaveRecord record(int channels, float secondsPerSample, int lastIndex = 5119)
{
    WaveRecord r{.Samples = {}, .Title = "試験 1", .SecondsPerDiv = 1e-4f, .Ch1On = int16_t(channels & 1), .Ch2On = int16_t(channels & 2),
                 .Ch1VoltsPerDiv = 2, .Ch2VoltsPerDiv = 0.5f, .Ch1Offset = 30, .SecondsPerSample = secondsPerSample};
    FillSineSquare(r, lastIndex);
    return r;
}

// Pixels of the area that are unlike the colour (or the pixel of `other`) by more than
// antialiasing makes them.
int unlike(const QImage& image, const QRect& area, const QColor& colour, const QImage* other = nullptr)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor p = image.pixelColor(x, y), q = other ? other->pixelColor(x, y) : colour;
            count += qAbs(p.red() - q.red()) + qAbs(p.green() - q.green()) + qAbs(p.blue() - q.blue()) > 96;
        }
    return count;
}

struct ReadCase { QList<int> on; float secondsPerSample; int points; qint64 rate; };

struct RefusedCase { QString name; int entry, channels; float secondsPerSample; QString why; };

// entry: moves down the type list.
struct TypeCase { int entry; QString name; QByteArray start; };

} // namespace

class TestExports : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;

private slots:
    // Each channel that is on, at its rate (whole hertz), in volts (sigrok, CSV) or in
    // counts / 128 (WAV), as the other programs read it.
    void readByTheirPrograms_data()
    {
        QTest::addColumn<ReadCase>("c");
        QTest::newRow("both, 5 MHz") << ReadCase{QList<int>{1, 2}, 2e-7f, 5120, qint64(5000000)};
        QTest::newRow("channel 2 alone, 10 Hz") << ReadCase{QList<int>{2}, 0.1f, 5120, qint64(10)};
        QTest::newRow("channel 1, 333333 Hz rounded") << ReadCase{QList<int>{1}, 3e-6f, 1000, qint64(333333)};
        QTest::newRow("long, 100 MHz") << ReadCase{QList<int>{1, 2}, 1e-8f, 102400, qint64(100000000)};
    }
    void readByTheirPrograms()
    {
        QFETCH(ReadCase, c);
        auto& [on, secondsPerSample, points, rate] = c;
        const WaveRecord r = record(on.contains(1) + 2 * on.contains(2), secondsPerSample, points - 1);
        const auto path = [&](const char* name) { return m_dir.filePath(QLatin1String(name)); };

        QCOMPARE(WriteExportFile(path("t.sr"), ExportKind::SigrokSession, r), QString());
        QString shown = QStringLiteral("Samplerate: %1\nChannels: %2\n").arg(rate).arg(on.size());
        for (int c : on)
            shown += QStringLiteral("- CH%1: analog\n").arg(c);
        QCOMPARE(run("sigrok-cli", {"-i", path("t.sr"), "--show"}), shown + QStringLiteral("Analog sample count: %1\n").arg(points));
        const QStringList analog = run(QStringLiteral("sigrok-cli"), {"-i", path("t.sr"), "-O", "analog"}).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(analog.size(), points * on.size());
        static const QRegularExpression line(QStringLiteral("^CH([12]): (-?[0-9.]+) (m?)V"));
        int seen[3] = {};
        for (const QString& text : analog) {
            const QRegularExpressionMatch m = line.match(text);
            const int c = m.captured(1).toInt();
            const double value = m.captured(2).toDouble() / (m.captured(3).isEmpty() ? 1 : 1000);
            QVERIFY2(m.hasMatch() && qAbs(value - r.Samples(c, seen[c]++) * r.voltsPerDiv(c) / 25) < 0.006, qPrintable(text));
        }

        QCOMPARE(WriteExportFile(path("t.wav"), ExportKind::Wav, r), QString());
        const QStringList soxi{run("soxi", {"-r", path("t.wav")}), run("soxi", {"-c", path("t.wav")}), run("soxi", {"-s", path("t.wav")})};
        QCOMPARE(soxi, QStringList({QString::number(double(rate)) + '\n', QString::number(on.size()) + '\n', QString::number(points) + '\n'}));
        const QStringList dat = run(QStringLiteral("sox"), {path("t.wav"), "-t", "dat", "-"}).split('\n').filter(QRegularExpression("^ "));
        QCOMPARE(dat.size(), points);
        for (int i = 0; i < points; i += 97) {
            const QStringList fields = dat[i].split(' ', Qt::SkipEmptyParts);   // time, then a column per track
            for (int k = 0; k < on.size(); ++k)
                QVERIFY2(qAbs(fields[k + 1].toDouble() - r.Samples(on[k], i) / 128.0) < 1e-6, qPrintable(dat[i]));
        }
        // sox shows no WAV comments; libsndfile reads the INFO list.
        SF_INFO info{};
        SNDFILE* sound = sf_open(QFile::encodeName(path("t.wav")).constData(), SFM_READ, &info);
        const QString comment = QString::fromUtf8(sound ? sf_get_string(sound, SF_STR_COMMENT) : "");
        sf_close(sound);
        const QString expected[] = {"", "試験 1; CH1 2 V/DIV", "試験 1; CH2 500mV/DIV", "試験 1; CH1 2 V/DIV; CH2 500mV/DIV"};
        QCOMPARE(comment, expected[on.contains(1) + 2 * on.contains(2)]);

        QCOMPARE(WriteExportFile(path("t.csv"), ExportKind::SiCsv, r), QString());
        QCOMPARE(WriteWaveFile(path("t.raw"), WaveFileKind::Raw, r).failure, QString());
        // The seconds per sample as entered (six digits), not the float's binary value.
        const QString checked = run(QStringLiteral("/usr/bin/python3"), {SI_CSV_CHECK, path("t.csv"), path("t.raw"), QString::number(secondsPerSample)});
        QCOMPARE(checked, QStringLiteral("ok %1\n").arg(points));
    }

    // The window's Save offers the exports after the instrument's two types; the chosen
    // entry decides between the two kinds of .csv, the extension the rest.
    void saveDialogTypes_data()
    {
        QTest::addColumn<TypeCase>("c");
        QTest::newRow("CSV in SI units") << TypeCase{4, QStringLiteral("si.csv"), QByteArray("time_s,ch1_V,ch2_V\n0,")};
        QTest::newRow("instrument CSV") << TypeCase{0, QStringLiteral("inst.csv"), QByteArray("TEST\r\n")};
        QTest::newRow("WAV under the CSV entry") << TypeCase{0, QStringLiteral("w.WAV"), QByteArray("RIFF")};
    }
    void saveDialogTypes()
    {
        QFETCH(TypeCase, c);
        auto& [entry, name, start] = c;
        WaveRecord r = record(3, 2e-7f);
        r.Title = "TEST";
        QStringList types;
        whenModalOpens([&](QWidget* dialog) {
            auto* combo = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            QVERIFY(combo && edit);
            for (int i = 0; i < combo->count(); ++i)
                types << combo->itemText(i).section('(', 0, 0);
            combo->setFocus();
            for (int i = 0; i < entry; ++i)
                QTest::keyClick(combo, Qt::Key_Down);
            edit->setFocus();
            QTest::keyClicks(edit, name);
            QTest::keyClick(edit, Qt::Key_Return);
        });
        const QString startDir = QDir::currentPath();
        QDir::setCurrent(m_dir.path());   // the dialog opens there
        QtPrompts prompts;
        SaveWaveFile(nullptr, prompts, r);
        QDir::setCurrent(startDir);
        QCOMPARE(types, QStringList({"MIRAVO標準 ASCII", "ユーティリティー標準 ASCII", "sigrok セッション", "WAV 音声", "CSV（SI 単位）"}));
        QVERIFY2(fileBytes(m_dir.filePath(name)).startsWith(start), qPrintable(fileBytes(m_dir.filePath(name)).left(40)));
    }

    // What cannot be exported is said in Japanese, and nothing is left behind: no file, no
    // scratch file, an earlier file as it was.
    void refusedLeavesNothing_data()
    {
        QTest::addColumn<RefusedCase>("c");
        QTest::newRow("no time base") << RefusedCase{"a.sr", 0, 3, 0.0f, "時間軸が設定されていない"};
        QTest::newRow("both channels off") << RefusedCase{"a.wav", 0, 0, 2e-7f, "チャンネルがない"};
        QTest::newRow("beyond WAV rates") << RefusedCase{"a.wav", 0, 3, 4e-11f, "WAV に書ける範囲"};
        QTest::newRow("missing folder") << RefusedCase{"none/a.csv", 4, 3, 2e-7f, "見つかりません"};
        QTest::newRow("folder in the way") << RefusedCase{"dir.sr", 0, 3, 2e-7f, "フォルダーです"};
    }
    void refusedLeavesNothing()
    {
        QFETCH(RefusedCase, c);
        auto& [name, entry, channels, secondsPerSample, why] = c;
        const QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("dir.sr")));
        writeFileBytes(dir.filePath(QStringLiteral("a.wav")), "earlier");
        const WaveRecord r = record(channels, secondsPerSample);
        const QString path = dir.filePath(name);
        ScriptedPrompts prompts;
        prompts.fileNames = {path};
        prompts.saveFilters = {entry};
        SaveWaveFile(nullptr, prompts, r);
        QCOMPARE(prompts.asked.size(), 1);
        const QString text = prompts.asked[0].text;
        QVERIFY2(text.startsWith(QStringLiteral("「%1」に書き出せませんでした。").arg(path)) && text.contains(why), qPrintable(text));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList({"a.wav", "dir.sr"}));
        QCOMPARE(fileBytes(dir.filePath(QStringLiteral("a.wav"))), QByteArray("earlier"));
    }

    // Vector pictures show what the PNG shows, as Qt SVG and poppler draw them; a caption
    // band carries the title, the time and volts per division (in the channels' colours),
    // the date and the file name.
    void picturesReadBack_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("annotate");
        for (bool annotate : {false, true}) {
            QTest::addRow("SVG%s", annotate ? " annotated" : "") << int(PictureKind::Svg) << annotate;
            QTest::addRow("PDF%s", annotate ? " annotated" : "") << int(PictureKind::Pdf) << annotate;
        }
        QTest::newRow("PNG annotated") << int(PictureKind::Png) << true;
    }
    void picturesReadBack()
    {
        QFETCH(int, kind);
        QFETCH(bool, annotate);
        const QSize size(505, 245);
        WaveRecord r = record(3, 2e-7f);
        r.Title = "試験 <1> & 2\x01";   // markup and a control character: the SVG stays well-formed
        PictureContent content = WavePictureOf(r, {0, 5119}, {.Base = 1, .Grid = 1}, kColors, size);
        const QImage plain = QImage::fromData(RenderWavePicture(PictureKind::Png, content));
        if (annotate)
            content.caption = PictureCaption{QStringLiteral("wave.CSV"), QDateTime(QDate(2026, 3, 4), QTime(5, 6))};
        const QByteArray file = RenderWavePicture(PictureKind(kind), content);

        QImage image;
        QString text;
        if (kind == int(PictureKind::Svg)) {
            QVERIFY(!file.contains("<image"));
            QSvgRenderer svg(file);
            QVERIFY(svg.isValid());
            image = QImage(svg.viewBox().size(), QImage::Format_RGB32);
            QPainter painter(&image);
            svg.render(&painter);
        } else if (kind == int(PictureKind::Pdf)) {
            const QString pdf = m_dir.filePath(QStringLiteral("p.pdf"));
            writeFileBytes(pdf, file);
            QVERIFY(run(QStringLiteral("pdfinfo"), {pdf}).contains(QRegularExpression("Pages: +1\n")));
            run(QStringLiteral("pdftoppm"), {"-r", "72", "-png", "-singlefile", pdf, m_dir.filePath("p")});
            image = QImage(m_dir.filePath(QStringLiteral("p.png")));
            text = run(QStringLiteral("pdftotext"), {pdf, "-"});
        } else {
            image = QImage::fromData(file);
        }
        QCOMPARE(image.width(), size.width());
        QCOMPARE(image.height() > size.height(), annotate);
        const int differing = unlike(image, QRect(QPoint(0, 0), size), {}, &plain);
        QVERIFY2(differing < size.width() * size.height() / 200, qPrintable(QString::number(differing)));
        if (!annotate)
            return;
        const QRect band(0, size.height() + 2, size.width(), image.height() - size.height() - 2);
        for (int slot : {kCh1TraceColor, kCh2TraceColor})
            QVERIFY(band.width() * band.height() - unlike(image, band, SlotColor(kColors[std::size_t(slot)])) > 10);
        for (const char* expected : {"試験 <1> & 2", "Time: 100us/DIV", "CH1 2 V/DIV", "CH2 500mV/DIV", "2026-03-04 05:06", "wave.CSV"})
            QVERIFY2(text.isEmpty() || text.contains(QString::fromUtf8(expected)), qPrintable(text));
    }
};

QTEST_MAIN(TestExports)
#include "test_exports.moc"
