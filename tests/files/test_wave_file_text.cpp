// CSV and RAW text: exact bytes written, what the field reader accepts, and what it refuses.
#include "files/WaveFileReader.h"
#include "files/WaveFileWriter.h"

#include <QTest>

Q_DECLARE_METATYPE(WaveFileKind)
Q_DECLARE_METATYPE(WaveFileProblem::Kind)

namespace {

using Kind = WaveFileProblem::Kind;

std::string asIs(std::string_view bytes) { return std::string(bytes); }
std::optional<std::string> asIsEncoded(std::string_view text) { return std::string(text); }

WaveRecord exampleRecord()
{
    WaveRecord r;
    r.Title = "TEST1";
    r.SecondsPerDiv = 0.0005f;
    r.DelaySeconds = 0;
    r.Ch1On = 1;
    r.Ch2On = 0;
    r.Ch1VoltsPerDiv = 2;
    r.Ch2VoltsPerDiv = 0.5f;
    r.Ch1Offset = -37.5f;
    r.Ch2Offset = 0;
    r.LastIndex = 2;
    r.Samples(1, 0) = 12;
    r.Samples(1, 1) = 13;
    r.Samples(1, 2) = -40;
    return r;
}

const QByteArray kExampleCsv = "TEST1\r\n500us/DIV,0 s\r\nON,OFF\r\n2 V/DIV,500mV/DIV\r\n-1.5DIV,0DIV\r\n"
                               "-25.5,\r\n-24.5,\r\n-77.5,\r\n";
const QByteArray kExampleRaw = "TEST1\r\n0.0005,0\r\n1,0\r\n2,0.5\r\n-37.5,0\r\n12,\r\n13,\r\n-40,\r\n";
const QByteArray kRawHeader = "T\r\n0.001,0\r\n1,1\r\n1,1\r\n0,0\r\n";

WaveFileRead parse(const QByteArray& bytes, WaveFileKind kind)
{
    return ParseWaveFile(std::string_view(bytes.constData(), std::size_t(bytes.size())), kind, asIs);
}

} // namespace

class TestWaveFileText : public QObject {
    Q_OBJECT
private slots:
    void exampleWrittenAndReadBack_data()
    {
        QTest::addColumn<WaveFileKind>("kind");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("csv") << WaveFileKind::Csv << kExampleCsv;
        QTest::newRow("raw") << WaveFileKind::Raw << kExampleRaw;
    }
    void exampleWrittenAndReadBack()
    {
        QFETCH(WaveFileKind, kind);
        QFETCH(QByteArray, bytes);
        const WaveRecord example = exampleRecord();
        const WaveFileText written = FormatWaveFile(example, kind, asIsEncoded);
        QCOMPARE(QByteArray::fromStdString(written.bytes), bytes);

        const WaveFileRead read = parse(bytes, kind);
        QVERIFY(read.content);
        WaveRecord loaded;
        loaded.Samples(2, 1) = 99;  // channel 2 is filled from the empty column as well
        loaded.Samples(1, 3) = 77;  // beyond LastIndex nothing changes
        ApplyWaveFile(*read.content, loaded);
        WaveRecord expected = example;
        expected.ParamsLocked = kTrue;
        expected.Samples(1, 3) = 77;
        QCOMPARE(loaded, expected);
    }

    // CSV samples are displayed values: the offset is taken away and the rest rounded
    // half to even; an empty column reads as 0, i.e. minus the offset.
    void csvSamplesLoseTheirOffset_data()
    {
        QTest::addColumn<QByteArray>("offsetDivisions");
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<int>("stored");
        QTest::newRow("half up to even") << QByteArray("0.5") << QByteArray("20") << 8;
        QTest::newRow("half down to even") << QByteArray("0.5") << QByteArray("19") << 6;
        QTest::newRow("empty column") << QByteArray("0.5") << QByteArray("") << -12;
        QTest::newRow("example offset") << QByteArray("-1.5") << QByteArray("-25.5") << 12;
        QTest::newRow("lowest") << QByteArray("0") << QByteArray("-32768.5") << -32768;
        QTest::newRow("exponent") << QByteArray("0") << QByteArray("1.5E+02") << 150;
        QTest::newRow("plus sign, spaces") << QByteArray("0") << QByteArray("  +7 ") << 7;
        QTest::newRow("quoted") << QByteArray("0") << QByteArray("\"-3\"") << -3;
    }
    void csvSamplesLoseTheirOffset()
    {
        QFETCH(QByteArray, offsetDivisions);
        QFETCH(QByteArray, field);
        QFETCH(int, stored);
        const QByteArray file = "T\r\n1ms/DIV,0 s\r\nON,ON\r\n1 V/DIV,1 V/DIV\r\n" + offsetDivisions + "DIV,"
                              + offsetDivisions + "DIV\r\n" + field + "," + field + "\r\n";
        const WaveFileRead read = parse(file, WaveFileKind::Csv);
        QVERIFY(read.content);
        QCOMPARE(read.content->samples, std::vector<int16_t>({int16_t(stored), int16_t(stored)}));
    }

    // The field stream ignores lines, skips leading spaces and honours quotes.
    void fieldsAreReadAsAStream_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("title");
        QTest::addColumn<int>("ch1On");
        QTest::addColumn<std::vector<int16_t>>("samples");
        const QByteArray header = "0.001,0\r\n1,1\r\n1,1\r\n0,0\r\n";
        QTest::newRow("pairs across lines") << "T\r\n" + header + "1,2,3\r\n4\r\n" << QByteArray("T") << 1
                                            << std::vector<int16_t>{1, 2, 3, 4};
        QTest::newRow("LF and CR line ends") << QByteArray("T\n0.001,0\r1,1\n1,1\n0,0\n5,6\n") << QByteArray("T") << 1
                                             << std::vector<int16_t>{5, 6};
        QTest::newRow("quoted title with comma, break") << "\"A,\r\nB\"\r\n" + header + "5,6\r\n"
                                                        << QByteArray("A,\r\nB") << 1 << std::vector<int16_t>{5, 6};
        QTest::newRow("leading spaces skipped, trailing kept") << "  A b \r\n" + header + " 5, 6\r\n"
                                                               << QByteArray("A b ") << 1
                                                               << std::vector<int16_t>{5, 6};
        QTest::newRow("text after closing quote dropped") << "\"A\"xyz\r\n" + header + "5,6"
                                                          << QByteArray("A") << 1 << std::vector<int16_t>{5, 6};
        QTest::newRow("blank lines at the end") << "T\r\n" + header + "5,\r\n\r\n  \r\n" << QByteArray("T") << 1
                                                << std::vector<int16_t>{5, 0};
        QTest::newRow("flag other than 0 and 1") << QByteArray("T\r\n0.001,0\r\n-2,1\r\n1,1\r\n0,0\r\n5,6\r\n")
                                                 << QByteArray("T") << -2 << std::vector<int16_t>{5, 6};
    }
    void fieldsAreReadAsAStream()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, title);
        QFETCH(int, ch1On);
        QFETCH(std::vector<int16_t>, samples);
        const WaveFileRead read = parse(bytes, WaveFileKind::Raw);
        QVERIFY2(read.content, WaveFileProblemText(read.problem.kind).c_str());
        QCOMPARE(QByteArray::fromStdString(read.content->Title), title);
        QCOMPARE(read.content->Ch1On, int16_t(ch1On));
        QCOMPARE(read.content->samples, samples);
    }

    // The channel flag of a CSV file is where "ON" first stands, counted in characters.
    void csvFlagIsThePositionOfOn_data()
    {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<int>("flag");
        QTest::newRow("ON") << QByteArray("ON") << 1;
        QTest::newRow("OFF") << QByteArray("OFF") << 0;
        QTest::newRow("lower case") << QByteArray("on") << 0;
        QTest::newRow("later") << QByteArray("xON") << 2;
        QTest::newRow("after a wide character") << QByteArray("\xE3\x81\x82ON") << 2;
    }
    void csvFlagIsThePositionOfOn()
    {
        QFETCH(QByteArray, field);
        QFETCH(int, flag);
        const QByteArray file = "T\r\n1ms/DIV,0 s\r\n" + field + ",OFF\r\n1 V/DIV,1 V/DIV\r\n0DIV,0DIV\r\n1,2\r\n";
        const WaveFileRead read = parse(file, WaveFileKind::Csv);
        QVERIFY(read.content);
        QCOMPARE(read.content->Ch1On, int16_t(flag));
    }

    void refusedFiles_data()
    {
        QTest::addColumn<WaveFileKind>("kind");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<WaveFileProblem::Kind>("problem");
        QTest::addColumn<int>("line");
        const auto raw = WaveFileKind::Raw;
        QTest::newRow("end in header") << raw << QByteArray("T\r\n0.001,0\r\n1,1\r\n") << Kind::EndInHeader << 3;
        QTest::newRow("no samples") << raw << kRawHeader << Kind::NoSamples << 5;
        QTest::newRow("end in pair") << raw << kRawHeader + "1,2\r\n3\r\n" << Kind::EndInPair << 7;
        QTest::newRow("not a number") << raw << kRawHeader + "1,2\r\nabc,4\r\n" << Kind::NotANumber << 7;
        QTest::newRow("trailing junk") << raw << kRawHeader + "12x,4\r\n" << Kind::NotANumber << 6;
        QTest::newRow("inf") << raw << kRawHeader + "inf,4\r\n" << Kind::NotANumber << 6;
        QTest::newRow("nan") << raw << kRawHeader + "1,-nan\r\n" << Kind::NotANumber << 6;
        QTest::newRow("hex") << raw << kRawHeader + "0x10,4\r\n" << Kind::NotANumber << 6;
        QTest::newRow("above 16 bits") << raw << kRawHeader + "32768,0\r\n" << Kind::OutOfRange << 6;
        QTest::newRow("rounds above 16 bits") << raw << kRawHeader + "0,32767.5\r\n" << Kind::OutOfRange << 6;
        QTest::newRow("csv rounds above 16 bits")
            << WaveFileKind::Csv << QByteArray("T\r\n1ms/DIV,0s\r\nON,ON\r\n1V,1V\r\n0DIV,0DIV\r\n32767.5,0\r\n")
            << Kind::OutOfRange << 6;
        QTest::newRow("parameter beyond float") << raw << QByteArray("T\r\n1e39,0\r\n") << Kind::OutOfRange << 2;
        QTest::newRow("parameter not a number") << raw << QByteArray("T\r\n1ms,0\r\n") << Kind::NotANumber << 2;
        QTest::newRow("unclosed quote") << raw << QByteArray("\"T\r\n0,0\r\n1,1\r\n1,1\r\n0,0\r\n1,2\r\n")
                                        << Kind::UnclosedQuote << 1;
        // An unquoted title with a comma shifts every later field until one no longer fits.
        QByteArray shifted = kExampleCsv;
        shifted.replace("TEST1", "TEST,1");
        QTest::newRow("title comma shifts fields") << WaveFileKind::Csv << shifted << Kind::NotANumber << 5;
    }
    void refusedFiles()
    {
        QFETCH(WaveFileKind, kind);
        QFETCH(QByteArray, bytes);
        QFETCH(WaveFileProblem::Kind, problem);
        QFETCH(int, line);
        const WaveFileRead read = parse(bytes, kind);
        QVERIFY(!read.content);
        QCOMPARE(read.problem.kind, problem);
        QCOMPARE(read.problem.line, line);
    }

    void sampleLinesUpToTheTableCapacity_data()
    {
        QTest::addColumn<int>("lines");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("full table") << SampleTable::kCapacity << true;
        QTest::newRow("one line too many") << SampleTable::kCapacity + 1 << false;
    }
    void sampleLinesUpToTheTableCapacity()
    {
        QFETCH(int, lines);
        QFETCH(bool, accepted);
        QByteArray bytes = kRawHeader;
        for (int i = 0; i < lines; ++i)
            bytes += "1,-1\r\n";
        const WaveFileRead read = parse(bytes, WaveFileKind::Raw);
        QCOMPARE(bool(read.content), accepted);
        if (accepted)
            QCOMPARE(read.content->pairCount(), lines);
        else
            QCOMPARE(read.problem, (WaveFileProblem{Kind::TooManySamples, 5 + lines}));
    }

    // Titles that the plain form would not bring back are quoted; one that needs quotes
    // and holds a quote cannot be written at all.
    void titlesComeBackUnchanged_data()
    {
        QTest::addColumn<QByteArray>("title");
        QTest::addColumn<QByteArray>("firstLine");
        QTest::newRow("plain") << QByteArray("Wave 1") << QByteArray("Wave 1");
        QTest::newRow("empty") << QByteArray("") << QByteArray("");
        QTest::newRow("comma") << QByteArray("A,B") << QByteArray("\"A,B\"");
        QTest::newRow("leading space") << QByteArray(" A") << QByteArray("\" A\"");
        QTest::newRow("inner quote") << QByteArray("say \"hi\"") << QByteArray("say \"hi\"");
        QTest::newRow("leading quote") << QByteArray("\"hi\"") << QByteArray();
        QTest::newRow("comma and quote") << QByteArray("a,\"b") << QByteArray();
    }
    void titlesComeBackUnchanged()
    {
        QFETCH(QByteArray, title);
        QFETCH(QByteArray, firstLine);
        WaveRecord record = exampleRecord();
        record.Title = title.toStdString();
        for (const WaveFileKind kind : {WaveFileKind::Csv, WaveFileKind::Raw}) {
            const WaveFileText written = FormatWaveFile(record, kind, asIsEncoded);
            if (firstLine.isNull()) {
                QCOMPARE(written.problem.kind, Kind::TitleHasQuote);
                continue;
            }
            QVERIFY(QByteArray::fromStdString(written.bytes).startsWith(firstLine + "\r\n"));
            const WaveFileRead read = ParseWaveFile(written.bytes, kind, asIs);
            QVERIFY(read.content);
            QCOMPARE(QByteArray::fromStdString(read.content->Title), title);
        }
    }

    // A full long record with half-count offsets and one channel off survives both formats.
    void longRecordRoundTrip_data()
    {
        QTest::addColumn<WaveFileKind>("kind");
        QTest::newRow("csv") << WaveFileKind::Csv;
        QTest::newRow("raw") << WaveFileKind::Raw;
    }
    void longRecordRoundTrip()
    {
        QFETCH(WaveFileKind, kind);
        WaveRecord record;
        record.Title = "long";
        record.SecondsPerDiv = 0.01f;
        record.Ch1VoltsPerDiv = 0.2f;
        record.Ch2VoltsPerDiv = 5;
        record.Ch1Offset = 12.5f;
        record.Ch2Offset = -128;
        record.LastIndex = 102399;
        for (int i = 0; i <= record.LastIndex; ++i) {
            record.Samples(1, i) = int16_t((i * 37) % 256 - 128);
            record.Samples(2, i) = int16_t(i % 2 == 0 ? 300 : -301);
        }
        for (const int16_t ch2On : {int16_t(1), int16_t(0)}) {
            record.Ch2On = ch2On;
            const WaveFileText written = FormatWaveFile(record, kind, asIsEncoded);
            const WaveFileRead read = ParseWaveFile(written.bytes, kind, asIs);
            QVERIFY(read.content);
            WaveRecord loaded;
            ApplyWaveFile(*read.content, loaded);
            WaveRecord expected = record;
            expected.ParamsLocked = kTrue;
            if (ch2On == 0) {  // the empty column comes back as minus the offset
                for (int i = 0; i <= record.LastIndex; ++i)
                    expected.Samples(2, i) = kind == WaveFileKind::Csv ? 128 : 0;
            }
            QCOMPARE(loaded, expected);
        }
    }
};

QTEST_APPLESS_MAIN(TestWaveFileText)
#include "test_wave_file_text.moc"
