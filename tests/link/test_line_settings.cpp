// The line configuration taken from the settings record, applying it to a line, and the
// communication event texts.

#include "ScriptedLine.h"
#include "link/CommEvents.h"
#include "link/LinkWorker.h"

#include <QTest>

using Com = std::array<int16_t, 6>;

class TestLineSettings : public QObject {
    Q_OBJECT
private slots:
    void fromSettings_data()
    {
        QTest::addColumn<Com>("com");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("ttyS");
        QTest::addColumn<QByteArray>("delimiter");
        QTest::addColumn<int>("frameBits"); // on the wire per character, for the time a transfer takes
        const QByteArray crlf("\r\n"), lf("\n");
        QTest::newRow("defaults") << Com{4, 0, 0, 0, 0, 0} << "9600,n,8,1" << 0 << crlf << 10;
        QTest::newRow("fastest, even, 7, 2, LF, port 2") << Com{0, 1, 1, 1, 1, 1} << "115200,e,7,2" << 1 << lf << 11;
        QTest::newRow("odd, any non-zero delimiter is LF") << Com{1, 0, 2, 0, 5, 0} << "57600,o,8,1" << 0 << lf << 11;
        QTest::newRow("where the doubling rule takes over") << Com{2, 0, 0, 0, 0, 0} << "38400,n,8,1" << 0 << crlf << 10;
        QTest::newRow("slowest in the list") << Com{6, 0, 0, 0, 0, 0} << "2400,n,8,1" << 0 << crlf << 10;
        QTest::newRow("speed past the list follows the rule") << Com{7, 0, 0, 0, 0, 0} << "1200,n,8,1" << 0 << crlf << 10;
        QTest::newRow("parity past the list is empty") << Com{4, 0, 3, 0, 0, 0} << "9600,,8,1" << 0 << crlf << 10;
    }
    void fromSettings()
    {
        QFETCH(Com, com);
        QFETCH(QString, text);
        QFETCH(int, ttyS);
        QFETCH(QByteArray, delimiter);
        QFETCH(int, frameBits);
        const EnvSettings env{.Com = com};
        const LineSettings line = LineSettingsFor(env);
        QCOMPARE(line.settingsText(), text);
        QCOMPARE(line.delimiter, delimiter);
        QCOMPARE(line.frameBits(), frameBits);
#ifndef Q_OS_WIN
        QCOMPARE(PortDeviceName(line.port), "/dev/ttyS" + QString::number(ttyS));
#endif
        // Without a device path the worker opens the numbered port.
        LinkWorker worker(std::make_unique<ScriptedLine>());
        QStringList warnings;
        worker.applySettings(env, {}, warnings);
        QCOMPARE(worker.state().portName, PortDeviceName(line.port));
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
        QTest::newRow("other codes are ignored") << 1002 << QString();
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
