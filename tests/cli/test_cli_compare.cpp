// miravo-cli compare on files written here: a glitch found and counted, one signal saved at
// two offsets, and the records it must refuse. The figures expected are worked out from the
// change made to the signal, not read from the program.

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

namespace {

// A CSV file as the window saves it: CH1 a sine of 90 counts (plus `add` on samples
// 700..702), written at its offset; CH2, when on, a constant 10 counts.
QByteArray sineCsv(int points = 5120, const char* sweep = "100us", double offsetDiv = 0, int add = 0, bool ch2 = false)
{
    QByteArray text = QByteArray("SINE\r\n") + sweep + "/DIV,0 s\r\n" + (ch2 ? "ON,ON\r\n" : "ON,OFF\r\n") +
                      "500mV/DIV,500mV/DIV\r\n" + QByteArray::number(offsetDiv) + "DIV,0DIV\r\n";
    for (int i = 0; i < points; ++i) {
        const long counts = std::lround(90 * std::sin(2 * M_PI * i / 1000.0)) + (i >= 700 && i <= 702 ? add : 0);
        text += QByteArray::number(double(counts) + offsetDiv * 25) + "," + (ch2 ? "10" : "") + "\r\n";
    }
    return text;
}

} // namespace

class TestCliCompare : public QObject {
    Q_OBJECT
private slots:
    void compare_data()
    {
        QTest::addColumn<QByteArray>("a");
        QTest::addColumn<QByteArray>("b");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("json");     // the expected report; empty: nothing on standard output
        QTest::addColumn<QString>("message");     // a part of the line on standard error
        // +20 counts at 0.5 V/DIV on three samples: 0.4 V, RMS sqrt(3 x 0.16 / 5120).
        const QByteArray glitch = "{\"channels\": [{\"channel\": 1, \"points\": 5120, \"maxDeviation\": 0.4, \"rmsDeviation\": " +
                                  QByteArray::number(std::sqrt(3 * 0.16 / 5120), 'g', 17) + ", \"pointsOutside\": 3}], \"pass\": false}";
        QTest::newRow("glitch outside") << sineCsv() << sineCsv(5120, "100us", 0, 20) << QStringList{"--tolerance", "200m"} << 4
                                        << glitch << "CH1 3 点";
        QTest::newRow("glitch, no tolerance")
            << sineCsv() << sineCsv(5120, "100us", 0, 20) << QStringList{} << 0
            << QByteArray(glitch).replace("3}", "null}").replace("false}", "null}") << "";
        QTest::newRow("same signal at another offset")
            << sineCsv() << sineCsv(5120, "100us", -1.5) << QStringList{"--tolerance", "0"} << 0
            << QByteArray("{\"channels\": [{\"channel\": 1, \"points\": 5120, \"maxDeviation\": 0, \"rmsDeviation\": 0, "
                          "\"pointsOutside\": 0}], \"pass\": true}")
            << "";
        QTest::newRow("another length") << sineCsv() << sineCsv(2560) << QStringList{} << 3 << QByteArray()
                                        << "データ数が違います（A: 5120 点、B: 2560 点）";
        QTest::newRow("another time base") << sineCsv() << sineCsv(5120, "200us") << QStringList{} << 3 << QByteArray()
                                           << "サンプル間隔が違います";
        QTest::newRow("other channels") << sineCsv() << sineCsv(5120, "100us", 0, 0, true) << QStringList{} << 3 << QByteArray()
                                        << "チャンネルが違います";
        QTest::newRow("unreadable") << sineCsv() << QByteArray("garbage\r\n") << QStringList{} << 3 << QByteArray() << "b.CSV";
        QTest::newRow("negative tolerance") << sineCsv() << sineCsv() << QStringList{"--tolerance", "-1"} << 1 << QByteArray()
                                            << "--tolerance";
    }
    void compare()
    {
        QFETCH(QByteArray, a);
        QFETCH(QByteArray, b);
        QFETCH(QStringList, options);
        QFETCH(int, status);
        QFETCH(QByteArray, json);
        QFETCH(QString, message);
        QTemporaryDir dir;
        for (const auto& [name, bytes] : {std::pair{"a.CSV", a}, std::pair{"b.CSV", b}}) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        }
        QProcess cli;
        cli.setWorkingDirectory(dir.path());
        cli.start(QStringLiteral(MIRAVO_CLI_PATH), QStringList{"compare", "a.CSV", "b.CSV", "--json"} + options);
        QVERIFY(cli.waitForFinished(30000));
        const QByteArray out = cli.readAllStandardOutput();
        const QString err = QString::fromUtf8(cli.readAllStandardError());
        QCOMPARE(cli.exitCode(), status);
        if (json.isEmpty())
            QCOMPARE(out, QByteArray());
        else
            QCOMPARE(QJsonDocument::fromJson(out).object(), QJsonDocument::fromJson(json).object());
        QCOMPARE(err.count(QLatin1Char('\n')), status == 0 ? 0 : 1);
        QVERIFY2(err.contains(message), qPrintable(err));
    }
};

QTEST_GUILESS_MAIN(TestCliCompare)
#include "test_cli_compare.moc"
