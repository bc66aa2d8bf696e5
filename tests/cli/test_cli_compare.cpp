// miravo-cli compare on files written here: a glitch found and counted, one signal saved at
// two offsets or two ranges, the edge of the tolerance, and the records it must refuse. The
// figures expected are worked out from the change made to the signal, not read from the
// program.

#include "CliProcess.h"
#include "support/FileNodes.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

namespace {

// A CSV file as the window saves it: CH1 a sine of 90 counts times `factor`, plus `add` on
// samples 700..702 and `shift` on all, written at its offset; CH2, when on, 10 counts.
struct Csv {
    int points = 5120;
    const char* sweep = "100us";
    const char* volts = "500mV";
    const char* channels = "ON,OFF";
    double offsetDiv = 0;
    int factor = 1;
    int add = 0;
    int shift = 0;

    QByteArray text() const
    {
        QByteArray out = QByteArray("SINE\r\n") + sweep + "/DIV,0 s\r\n" + channels + "\r\n" + volts + "/DIV," + volts +
                         "/DIV\r\n" + QByteArray::number(offsetDiv) + "DIV,0DIV\r\n";
        for (int i = 0; i < points; ++i) {
            const long counts = factor * std::lround(90 * std::sin(2 * M_PI * i / 1000.0)) + shift + (i >= 700 && i <= 702 ? add : 0);
            out += QByteArray::number(double(counts) + offsetDiv * 25) + "," + (channels[1] == 'N' && channels[3] == 'O' ? "10" : "") + "\r\n";
        }
        return out;
    }
};

QByteArray report(double maxDeviation, double rmsDeviation, const char* outside, const char* pass)
{
    return "{\"channels\": [{\"channel\": 1, \"points\": 5120, \"maxDeviation\": " + QByteArray::number(maxDeviation, 'g', 17) +
           ", \"rmsDeviation\": " + QByteArray::number(rmsDeviation, 'g', 17) + ", \"pointsOutside\": " + outside +
           "}], \"pass\": " + pass + "}";
}

// json: the expected report, empty: nothing on standard output; message: part of the line on standard error.
struct CompareCase { QByteArray a, b; QStringList options; int status; QByteArray json; QString message; };

} // namespace

class TestCliCompare : public QObject {
    Q_OBJECT
private slots:
    void compare_data()
    {
        QTest::addColumn<CompareCase>("c");
        // +20 counts at 0.5 V/DIV on three samples: 0.4 V, RMS sqrt(3 x 0.16 / 5120).
        const double glitchRms = std::sqrt(3 * 0.16 / 5120);
        const QByteArray sine = Csv{}.text();
        QTest::newRow("glitch outside") << CompareCase{sine, Csv{.add = 20}.text(), QStringList{"--tolerance", "200m"}, 4,
                                                       report(0.4, glitchRms, "3", "false"), "CH1 3 点"};
        QTest::newRow("glitch, no tolerance")
            << CompareCase{sine, Csv{.add = 20}.text(), {}, 0, report(0.4, glitchRms, "null", "null"), ""};
        QTest::newRow("same signal at another offset")
            << CompareCase{sine, Csv{.offsetDiv = -1.5}.text(), QStringList{"--tolerance", "0"}, 0,
                           report(0, 0, "0", "true"), ""};
        QTest::newRow("same signal at half the V/DIV")
            << CompareCase{sine, Csv{.volts = "250mV", .factor = 2}.text(), QStringList{"--tolerance", "0"}, 0,
                           report(0, 0, "0", "true"), ""};
        // One count at 0.2 V/DIV is 8 mV: on the tolerance is inside, just above it outside.
        QTest::newRow("one count on the tolerance")
            << CompareCase{Csv{.volts = "200mV"}.text(), Csv{.volts = "200mV", .shift = 1}.text(),
                           QStringList{"--tolerance", "8m"}, 0, report(0.008, 0.008, "0", "true"), ""};
        QTest::newRow("one count above the tolerance")
            << CompareCase{Csv{.volts = "200mV"}.text(), Csv{.volts = "200mV", .shift = 1}.text(),
                           QStringList{"--tolerance", "7.9m"}, 4, report(0.008, 0.008, "5120", "false"), "CH1 5120 点"};
        QTest::newRow("another length")
            << CompareCase{sine, Csv{.points = 2560}.text(), {}, 3, {}, "データ数が違います（A: 5120 点、B: 2560 点）"};
        QTest::newRow("another time base") << CompareCase{sine, Csv{.sweep = "200us"}.text(), {}, 3, {}, "サンプル間隔が違います"};
        QTest::newRow("other channels") << CompareCase{sine, Csv{.channels = "ON,ON"}.text(), {}, 3, {}, "チャンネルが違います"};
        QTest::newRow("no channel")
            << CompareCase{Csv{.channels = "OFF,OFF"}.text(), Csv{.channels = "OFF,OFF"}.text(), {}, 3, {},
                           "比較するチャンネルがありません"};
        QTest::newRow("no V/DIV") << CompareCase{sine, Csv{.volts = "0 "}.text(), {}, 3, {}, "B の CH1 に V/DIV がありません"};
        QTest::newRow("unreadable") << CompareCase{sine, QByteArray("garbage\r\n"), {}, 3, {}, "b.CSV"};
        QTest::newRow("negative tolerance") << CompareCase{sine, sine, QStringList{"--tolerance", "-1"}, 1, {}, "--tolerance"};
    }
    void compare()
    {
        QFETCH(CompareCase, c);
        auto& [a, b, options, status, json, message] = c;
        QTemporaryDir dir;
        writeFileBytes(dir.filePath("a.CSV"), a);
        writeFileBytes(dir.filePath("b.CSV"), b);
        const CliRun cli = runCli(QStringList{"compare", "a.CSV", "b.CSV", "--json"} + options, dir.path());
        const QByteArray& out = cli.out;
        const QString err = QString::fromUtf8(cli.err);
        QCOMPARE(cli.status, status);
        if (json.isEmpty()) {
            QCOMPARE(out, QByteArray());
        } else {
            // The RMS of equal deviations is summed: its last bits may differ.
            QJsonObject got = QJsonDocument::fromJson(out).object();
            const QJsonObject expected = QJsonDocument::fromJson(json).object();
            const double rms = got["channels"][0]["rmsDeviation"].toDouble();
            QVERIFY2(std::abs(rms - expected["channels"][0]["rmsDeviation"].toDouble()) < 1e-15, qPrintable(QString::number(rms, 'g', 17)));
            QJsonObject channel = got["channels"][0].toObject();
            channel["rmsDeviation"] = expected["channels"][0]["rmsDeviation"];
            got["channels"] = QJsonArray{channel};
            QCOMPARE(got, expected);
        }
        QCOMPARE(err.count(QLatin1Char('\n')), status == 0 ? 0 : 1);
        QVERIFY2(err.contains(message), qPrintable(err));
    }
};

QTEST_GUILESS_MAIN(TestCliCompare)
#include "test_cli_compare.moc"
