// miravo-cli measure as a script runs it, on a file of pulses written here: the JSON in
// its order with values of closed form, the window given by --from and --to, the table,
// and the refusals (exit status, a message, nothing on standard output).

#include "CliProcess.h"
#include "files/WaveFileStore.h"
#include "support/SampleWaves.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

// out: patterns standard output must match.
struct RunCase { QStringList arguments; int status; QStringList out; };

class TestCliMeasure : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    // The pulses at 50 counts (2 V), channel 2 off.
    void initTestCase()
    {
        WaveRecord pulses = PulseRecord(50);
        pulses.Ch2On = 0;
        QVERIFY(WriteWaveFile(m_dir.filePath(QStringLiteral("p.CSV")), WaveFileKind::Csv, pulses).failure.isEmpty());
    }

    // Standard output must match every pattern; a refusal writes one line on standard
    // error and nothing on standard output.
    void run_data()
    {
        QTest::addColumn<RunCase>("c");
        // Rises at 512, ..., 4608: eight periods of 102.4 us (9765.6 Hz); a quarter of
        // each at +2 V, so a mean of -1 V; a jump within one sample rises in 0.8 of one
        // (the record's 0.2 us is a float, a little less).
        QTest::newRow("JSON, whole record")
            << RunCase{{"p.CSV", "--json"}, 0,
                       {R"(^\{\n    "file": "p.CSV",\n    "from": null,\n    "to": null,\n    "channels": \[)",
                        R"(\n            "channel": 1,\n            "on": true,\n            "maximum": 2,)",
                        R"("top": 2,\n            "base": -2,)", R"("mean": -1,)", R"("frequency": 9765\.6[0-9]*,)",
                        R"("periods": 8,)", R"("dutyCycle": 25,)", R"("riseTime": 1\.59999[0-9]*e-07,)",
                        R"(\{\n            "channel": 2,\n            "on": false\n        \}\n    \]\n\}\n$)"}};
        // Samples 1024..2047 hold one rise: no full period.
        QTest::newRow("JSON, from and to")
            << RunCase{{"p.CSV", "--from", "204.8u", "--to", "409.4u", "--json"}, 0,
                       {R"("from": 0\.0002048,\n    "to": 0\.0004094,)", R"("mean": -1,)", R"("frequency": null,)",
                        R"("dutyCycle": null,)"}};
        QTest::newRow("table") << RunCase{{"p.CSV"}, 0,
                                          {R"(\n範囲: 記録全体 \(5120 点\)\nCH2: OFF\n項目 +CH1\n)",
                                           R"(\n周波数 +9\.766kHz\n)", R"(\n立ち上がり時間 +160\.000ns\n)"}};
        QTest::newRow("reversed") << RunCase{{"p.CSV", "--from", "500u", "--to", "100u"}, 1, {}};
        QTest::newRow("past the end") << RunCase{{"p.CSV", "--to", "2m"}, 1, {}};
        QTest::newRow("before the start") << RunCase{{"p.CSV", "--from", "-1u"}, 1, {}};
        QTest::newRow("no number") << RunCase{{"p.CSV", "--from", "abc"}, 1, {}};
        QTest::newRow("no file") << RunCase{{"gone.CSV", "--json"}, 3, {}};
    }
    void run()
    {
        QFETCH(RunCase, c);
        auto& [arguments, status, out] = c;
        const CliRun run = runCli(QStringList{QStringLiteral("measure")} + arguments, m_dir.path());
        QCOMPARE(run.status, status);
        for (const QString& pattern : out)
            QVERIFY2(QString::fromUtf8(run.out).contains(QRegularExpression(pattern)), qPrintable(pattern));
        if (status != 0) {
            QVERIFY(run.out.isEmpty());
            QCOMPARE(run.err.count('\n'), 1);
        }
    }
};

QTEST_GUILESS_MAIN(TestCliMeasure)
#include "test_cli_measure.moc"
