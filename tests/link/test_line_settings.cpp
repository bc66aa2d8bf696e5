// The line configuration taken from the settings record, and applying it to a line.

#include "ScriptedLine.h"
#include "link/CommEvents.h"
#include "link/LinkError.h"
#include "link/LinkWorker.h"

#include <QTest>

class TestLineSettings : public QObject {
    Q_OBJECT
private slots:
    void fromSettings_data()
    {
        QTest::addColumn<QList<int>>("com");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("device");
        QTest::addColumn<QByteArray>("delimiter");
        QTest::newRow("defaults") << QList{4, 0, 0, 0, 0, 0} << "9600,n,8,1" << "/dev/ttyS0" << QByteArray("\r\n");
        QTest::newRow("fastest, even, 7, 2, LF, port 2")
            << QList{0, 1, 1, 1, 1, 1} << "115200,e,7,2" << "/dev/ttyS1" << QByteArray("\n");
        QTest::newRow("57600 odd") << QList{1, 0, 2, 0, 0, 0} << "57600,o,8,1" << "/dev/ttyS0" << QByteArray("\r\n");
        QTest::newRow("2400") << QList{6, 0, 0, 0, 0, 0} << "2400,n,8,1" << "/dev/ttyS0" << QByteArray("\r\n");
        QTest::newRow("past the list follows the rule") << QList{7, 0, 0, 0, 0, 0} << "1200,n,8,1" << "/dev/ttyS0"
                                                        << QByteArray("\r\n");
        QTest::newRow("any non-zero delimiter is LF") << QList{4, 0, 0, 0, 5, 0} << "9600,n,8,1" << "/dev/ttyS0"
                                                      << QByteArray("\n");
        QTest::newRow("parity past the list is empty") << QList{4, 0, 3, 0, 0, 0} << "9600,,8,1" << "/dev/ttyS0"
                                                       << QByteArray("\r\n");
    }
    void fromSettings()
    {
        QFETCH(QList<int>, com);
        QFETCH(QString, text);
        QFETCH(QString, device);
        QFETCH(QByteArray, delimiter);
        EnvSettings env;
        for (int i = 0; i < 6; ++i)
            env.Com[i] = int16_t(com[i]);
        const LineSettings line = LineSettingsFor(env);
        QCOMPARE(line.settingsText(), text);
        QCOMPARE(line.delimiter, delimiter);
#ifndef Q_OS_WIN
        QCOMPARE(PortDeviceName(line.port), device);
#endif

        // Applying it opens that device with those settings and then drops what was waiting.
        auto scripted = std::make_unique<ScriptedLine>();
        ScriptedLine& raw = *scripted;
        raw.waiting = "stale";
        LinkWorker worker(std::move(scripted));
        QStringList warnings;
        worker.applySettings(env, {}, warnings);
        QCOMPARE(raw.openedDevices, QList<QString>{PortDeviceName(line.port)});
        QCOMPARE(raw.openedSettings, QList<LineSettings>{line});
        QVERIFY(raw.waiting.isEmpty());
        const LinkState state = worker.state();
        QCOMPARE(state.settingsText, text);
        QCOMPARE(state.delimiter, delimiter);
        QVERIFY(state.open);
    }

    void applyFailuresAndOverrides()
    {
        auto scripted = std::make_unique<ScriptedLine>();
        ScriptedLine& raw = *scripted;
        LinkWorker worker(std::move(scripted));
        QStringList warnings;

        raw.openWarnings = QStringList{"7 bits refused"};
        worker.applySettings(EnvSettings{}, "/dev/pts/7", warnings);
        QCOMPARE(raw.openedDevices.last(), QStringLiteral("/dev/pts/7"));
        QCOMPARE(warnings, QStringList{"7 bits refused"});
        QVERIFY(worker.state().open);

        raw.openFailure = QStringLiteral("開けません");
        try {
            worker.applySettings(EnvSettings{}, {}, warnings);
            QFAIL("opening should have failed");
        } catch (const LinkError& error) {
            QCOMPARE(error.message, raw.openFailure);
        }
        QVERIFY(!worker.state().open);
        QCOMPARE(worker.state().portName, PortDeviceName(1));
        try {
            worker.sendCommand("RUN", {});
            QFAIL("a closed port should refuse commands");
        } catch (const LinkError& error) {
            QCOMPARE(error.message, LinkMessage::portClosed());
        }
        QVERIFY(raw.written.isEmpty());

        raw.openFailure.clear();
        worker.applySettings(EnvSettings{}, {}, warnings);
        QVERIFY(worker.state().open);
    }

    void commEventTexts_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("break") << 1001 << "中断信号受信！";
        QTest::newRow("frame") << 1004 << "フレームエラー";
        QTest::newRow("overrun") << 1006 << "データー消失！！";
        QTest::newRow("rx overflow") << 1008 << "受信バッファー\u3000オーバーフロー";
        QTest::newRow("parity") << 1009 << "パリティーエラー";
        QTest::newRow("tx full") << 1010 << "送信バッファーオーバー！";
        QTest::newRow("device settings") << 1011 << "予期しないエラー";
        QTest::newRow("line event ignored") << 2 << QString();
        QTest::newRow("unknown code ignored") << 1002 << QString();
    }
    void commEventTexts()
    {
        QFETCH(int, code);
        QFETCH(QString, text);
        QCOMPARE(CommEventText(code), text);
    }
};

QTEST_GUILESS_MAIN(TestLineSettings)
#include "test_line_settings.moc"
