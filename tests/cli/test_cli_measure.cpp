// miravo-cli measure as a script runs it, on a file of pulses written here: the JSON
// values against their closed forms, the window given by --from and --to, the table, and
// the refusals (exit status, a message, nothing on standard output).

#include "core/WaveRecord.h"
#include "files/WaveFileStore.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

namespace {

// 5120 samples at 100 us/DIV (0.2 us a sample), channel 1 at 1 V/DIV (40 mV a count):
// pulses of 512 samples, the first 128 of each at +50 counts, the rest at -50; channel 2 off.
WaveRecord pulses()
{
    WaveRecord r;
    r.LastIndex = 5119;
    r.SecondsPerDiv = 1e-4f;
    r.Ch1VoltsPerDiv = 1;
    r.Ch2VoltsPerDiv = 1;
    r.Ch2On = 0;
    r.ParamsLocked = kTrue;
    for (int i = 0; i <= r.LastIndex; ++i)
        r.Samples(1, i) = int16_t(i % 512 < 128 ? 50 : -50);
    return r;
}

struct Run {
    int status;
    QByteArray out;
    QByteArray err;
};

Run measure(const QString& dir, const QStringList& arguments)
{
    QProcess process;
    process.setWorkingDirectory(dir);
    process.start(QStringLiteral(MIRAVO_CLI_PATH), QStringList{QStringLiteral("measure")} + arguments);
    if (!process.waitForFinished(30000))
        return {-1, {}, {}};
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

} // namespace

class TestCliMeasure : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        QVERIFY(WriteWaveFile(m_dir.filePath(QStringLiteral("p.CSV")), WaveFileKind::Csv, pulses()).failure.isEmpty());
    }

    void json_data()
    {
        QTest::addColumn<QStringList>("window");
        QTest::addColumn<QJsonValue>("from");
        QTest::addColumn<QJsonValue>("frequency");   // null: not defined
        QTest::addColumn<double>("mean");            // V
        // Rises at 512, ..., 4608: eight periods of 102.4 us. Mean: a quarter at +2 V.
        QTest::newRow("whole record") << QStringList{} << QJsonValue() << QJsonValue(1 / 102.4e-6) << -1.0;
        // Samples 1024..2047, one rise: no full period. High for 128 of the 1024.
        QTest::newRow("from and to") << QStringList{"--from", "204.8u", "--to", "409.4u"} << QJsonValue(204.8e-6)
                                     << QJsonValue() << -1.0;
        QTest::newRow("from alone") << QStringList{"--from", "0.9m"} << QJsonValue(0.9e-3) << QJsonValue()
                                    << (128 * 2.0 - (5120 - 4500 - 128) * 2.0) / (5120 - 4500);
    }
    void json()
    {
        QFETCH(QStringList, window);
        QFETCH(QJsonValue, from);
        QFETCH(QJsonValue, frequency);
        QFETCH(double, mean);
        const Run run = measure(m_dir.path(), QStringList{"p.CSV", "--json"} + window);
        QCOMPARE(run.status, 0);
        const QJsonObject json = QJsonDocument::fromJson(run.out).object();
        QCOMPARE(json.value("file").toString(), QStringLiteral("p.CSV"));
        QVERIFY(std::abs(json.value("from").toDouble() - from.toDouble()) < 1e-12);
        QCOMPARE(json.value("from").isNull(), from.isNull());
        const QJsonArray channels = json.value("channels").toArray();
        QCOMPARE(channels.at(1).toObject(), (QJsonObject{{"channel", 2}, {"on", false}}));
        const QJsonObject ch1 = channels.at(0).toObject();
        QCOMPARE(ch1.size(), 19);
        QCOMPARE(ch1.value("top").toDouble(), 2.0);
        QCOMPARE(ch1.value("base").toDouble(), -2.0);
        QVERIFY2(std::abs(ch1.value("mean").toDouble() - mean) < 1e-9, run.out);
        QCOMPARE(ch1.value("frequency").isNull(), frequency.isNull());
        QVERIFY(std::abs(ch1.value("frequency").toDouble() - frequency.toDouble()) <= 1e-3 * frequency.toDouble());
        QCOMPARE(ch1.value("dutyCycle").isNull(), frequency.isNull());
        if (!frequency.isNull())
            QVERIFY(std::abs(ch1.value("dutyCycle").toDouble() - 25) <= 1);
    }

    void table()
    {
        const Run run = measure(m_dir.path(), {"p.CSV"});
        QCOMPARE(run.status, 0);
        const QStringList lines = QString::fromUtf8(run.out).split(QLatin1Char('\n'));
        QVERIFY(lines.contains(QStringLiteral("範囲: 記録全体 (5120 点)")));
        QVERIFY(lines.contains(QStringLiteral("CH2: OFF")));
        QVERIFY2(lines.filter(QRegularExpression(QStringLiteral("^周波数 +9.766kHz$"))).size() == 1, run.out);
        // A jump within one sample: 10 % to 90 % is 0.8 of a sample.
        QVERIFY(lines.filter(QRegularExpression(QStringLiteral("^立ち上がり時間 +160.000ns$"))).size() == 1);
    }

    void refused_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::newRow("reversed") << QStringList{"p.CSV", "--from", "500u", "--to", "100u"} << 1;
        QTest::newRow("past the end") << QStringList{"p.CSV", "--to", "2m"} << 1;
        QTest::newRow("before the start") << QStringList{"p.CSV", "--from", "-1u"} << 1;
        QTest::newRow("no number") << QStringList{"p.CSV", "--from", "abc"} << 1;
        QTest::newRow("no file") << QStringList{"gone.CSV", "--json"} << 3;
    }
    void refused()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        const Run run = measure(m_dir.path(), arguments);
        QCOMPARE(run.status, status);
        QVERIFY(run.out.isEmpty());
        QCOMPARE(run.err.count('\n'), 1);
    }
};

QTEST_GUILESS_MAIN(TestCliMeasure)
#include "test_cli_measure.moc"
