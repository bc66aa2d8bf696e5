// CSV and RAW text: exact bytes written, what the field reader accepts, and what it refuses.
#include "files/WaveFileReader.h"
#include "files/WaveFileWriter.h"
#include "support/ExampleWave.h"

#include <QTest>


namespace {

using Kind = WaveFileProblem::Kind;
using Samples = std::vector<int16_t>;
constexpr auto kCsv = WaveFileKind::Csv;
constexpr auto kRaw = WaveFileKind::Raw;

std::string asIs(std::string_view bytes) { return std::string(bytes); }

const QByteArray kRawHeader = "T\r\n0.001,0\r\n1,1\r\n1,1\r\n0,0\r\n";

// Channel 2 on, both offsets `divisions`, 1 V/DIV.
QByteArray csvHeader(const QByteArray& ch1Flag, const QByteArray& divisions)
{
    return "T\r\n1ms/DIV,0 s\r\n" + ch1Flag + ",ON\r\n1 V/DIV,1 V/DIV\r\n" + divisions + "DIV," + divisions + "DIV\r\n";
}

WaveFileRead parse(const QByteArray& bytes, WaveFileKind kind)
{
    return ParseWaveFile(std::string_view(bytes.constData(), std::size_t(bytes.size())), kind, asIs);
}

// cut: the last line has no line end: read, and said.
struct AcceptedCase { WaveFileKind kind; QByteArray bytes; Samples samples; QByteArray title = "T"; int ch1On = 1; bool cut = false; };

struct RefusedCase { WaveFileKind kind; QByteArray bytes; WaveFileProblem::Kind problem; int line; };

} // namespace

class TestWaveFileText : public QObject {
    Q_OBJECT
private slots:
    void acceptedFiles_data()
    {
        QTest::addColumn<AcceptedCase>("c");
        // CSV samples are displayed values: the offset (12.5 counts) is taken away and the
        // rest rounded half to even; an empty column reads as 0, i.e. minus the offset.
        QTest::newRow("csv halves to even") << AcceptedCase{kCsv, csvHeader("ON", "0.5") + "20,19\r\n", {8, 6}};
        QTest::newRow("csv empty columns") << AcceptedCase{kCsv, csvHeader("ON", "0.5") + ",\r\n", {-12, -12}};
        QTest::newRow("csv lowest") << AcceptedCase{kCsv, csvHeader("ON", "0") + "-32768.5,0\r\n", {-32768, 0}};
        QTest::newRow("csv exponent, sign, spaces")
            << AcceptedCase{kCsv, csvHeader("ON", "0") + "1.5E+02,  +7 \r\n", {150, 7}};
        // The CSV channel flag is where "ON" first stands, counted in characters.
        QTest::newRow("csv flag after a wide character")
            << AcceptedCase{kCsv, csvHeader("\xE3\x81\x82ON", "0") + "1,2\r\n", {1, 2}, "T", 2};
        // The field stream ignores lines, skips leading spaces and honours quotes.
        QTest::newRow("pairs across lines") << AcceptedCase{kRaw, kRawHeader + "1,2,3\r\n4\r\n", {1, 2, 3, 4}};
        QTest::newRow("LF and CR line ends") << AcceptedCase{kRaw, QByteArray("T\n0.001,0\r1,1\n1,1\n0,0\n5,6\n"), {5, 6}};
        QTest::newRow("quoted title, comma, break")
            << AcceptedCase{kRaw, "\"A,\r\nB\"" + kRawHeader.mid(1) + "5,6\r\n", {5, 6}, "A,\r\nB"};
        QTest::newRow("leading spaces skipped")
            << AcceptedCase{kRaw, "  A b " + kRawHeader.mid(1) + " 5, 6\r\n", {5, 6}, "A b "};
        QTest::newRow("after closing quote dropped")
            << AcceptedCase{kRaw, "\"A\"xyz" + kRawHeader.mid(1) + "5,6", {5, 6}, "A", 1, true};
        QTest::newRow("spaces after an unended last line") << AcceptedCase{kRaw, kRawHeader + "5,6  ", {5, 6}, "T", 1, true};
        QTest::newRow("blank lines at the end") << AcceptedCase{kRaw, kRawHeader + "5,\r\n\r\n  \r\n", {5, 0}};
        QTest::newRow("full table")
            << AcceptedCase{kRaw, kRawHeader + QByteArray("0,0\r\n").repeated(SampleTable::kCapacity), Samples(2 * SampleTable::kCapacity)};
    }
    void acceptedFiles()
    {
        QFETCH(AcceptedCase, c);
        auto& [kind, bytes, samples, title, ch1On, cut] = c;
        const WaveFileRead read = parse(bytes, kind);
        QVERIFY2(read.content, WaveFileProblemText(read.problem.kind).c_str());
        QCOMPARE(QByteArray::fromStdString(read.content->Title), title);
        QCOMPARE(read.content->Ch1On, int16_t(ch1On));
        QCOMPARE(read.content->samples, samples);
        QCOMPARE(read.lastLineUnended, cut);
    }

    void refusedFiles_data()
    {
        QTest::addColumn<RefusedCase>("c");
        QTest::newRow("end in header") << RefusedCase{kRaw, QByteArray("T\r\n0.001,0\r\n1,1\r\n"), Kind::EndInHeader, 3};
        QTest::newRow("no samples") << RefusedCase{kRaw, kRawHeader, Kind::NoSamples, 5};
        QTest::newRow("end in pair") << RefusedCase{kRaw, kRawHeader + "1,2\r\n3\r\n", Kind::EndInPair, 7};
        QTest::newRow("not a number") << RefusedCase{kRaw, kRawHeader + "1,2\r\nabc,4\r\n", Kind::NotANumber, 7};
        QTest::newRow("trailing junk") << RefusedCase{kRaw, kRawHeader + "12x,4\r\n", Kind::NotANumber, 6};
        QTest::newRow("inf") << RefusedCase{kRaw, kRawHeader + "inf,4\r\n", Kind::NotANumber, 6};
        QTest::newRow("rounds above 16 bits") << RefusedCase{kRaw, kRawHeader + "0,32767.5\r\n", Kind::OutOfRange, 6};
        QTest::newRow("csv rounds above 16 bits")
            << RefusedCase{kCsv, csvHeader("ON", "0") + "32767.5,0\r\n", Kind::OutOfRange, 6};
        QTest::newRow("parameter beyond float") << RefusedCase{kRaw, QByteArray("T\r\n1e39,0\r\n"), Kind::OutOfRange, 2};
        QTest::newRow("parameter not a number") << RefusedCase{kRaw, QByteArray("T\r\n1ms,0\r\n"), Kind::NotANumber, 2};
        QTest::newRow("unclosed quote") << RefusedCase{kRaw, "\"" + kRawHeader + "1,2\r\n", Kind::UnclosedQuote, 1};
        QTest::newRow("one line too many")
            << RefusedCase{kRaw, kRawHeader + QByteArray("0,0\r\n").repeated(SampleTable::kCapacity + 1),
                           Kind::TooManySamples, 6 + SampleTable::kCapacity};
        // An unquoted title with a comma shifts every later field until one no longer fits.
        QTest::newRow("title comma shifts fields")
            << RefusedCase{kCsv, QByteArray(kExampleCsv).replace("TEST1", "TEST,1"), Kind::NotANumber, 5};
    }
    void refusedFiles()
    {
        QFETCH(RefusedCase, c);
        auto& [kind, bytes, problem, line] = c;
        const WaveFileRead read = parse(bytes, kind);
        QVERIFY(!read.content);
        QCOMPARE(read.problem, (WaveFileProblem{problem, line}));
    }
};

QTEST_APPLESS_MAIN(TestWaveFileText)
#include "test_wave_file_text.moc"
