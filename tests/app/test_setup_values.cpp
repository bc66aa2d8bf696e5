// What the setup dialog shows for a record and what its texts store back.

#include "app/SetupValues.h"

#include <QTest>

class TestSetupValues : public QObject {
    Q_OBJECT
private slots:
    void roundTrip_data();
    void roundTrip();
    void dateTimeTitle_data();
    void dateTimeTitle();
};

void TestSetupValues::roundTrip_data()
{
    QTest::addColumn<float>("seconds");
    QTest::addColumn<float>("counts");
    QTest::addColumn<QString>("sweepText");
    QTest::addColumn<QString>("offsetText");

    QTest::newRow("half a second, one division") << 0.5f << 25.0f << "500m" << "1";
    QTest::newRow("unset, -0.4 division") << 0.0f << -10.0f << "0 " << "-0.4";
    QTest::newRow("2 us, half a division") << 2e-6f << 12.5f << "2u" << "0.5";
    QTest::newRow("50 s, -127 counts") << 50.0f << -127.0f << "50 " << "-5.08";
}

// Opening and pressing OK without a change gives back the stored values, each in its own field.
void TestSetupValues::roundTrip()
{
    QFETCH(float, seconds);
    QFETCH(float, counts);
    QFETCH(QString, sweepText);
    QFETCH(QString, offsetText);

    WaveRecord record;
    record.Title = "Ｔｉｔｌｅ,\"x\"";
    record.SecondsPerDiv = seconds;
    record.DelaySeconds = 1e-3f;
    record.Ch1VoltsPerDiv = 0.2f;
    record.Ch2VoltsPerDiv = 5.0f;
    record.Ch1Offset = counts;
    record.Ch2Offset = -counts;
    record.EquSampling = kTrue;
    const SetupValues values = SetupValuesFromRecord(record);
    QCOMPARE(values.sweep, sweepText);
    QCOMPARE(values.offset[0], offsetText);

    WaveRecord stored;
    StoreSetupValues(values, stored);
    QVERIFY(stored == record);
}

void TestSetupValues::dateTimeTitle_data()
{
    QTest::addColumn<QDateTime>("when");
    QTest::addColumn<QString>("title");

    QTest::newRow("day without zero") << QDateTime(QDate(2026, 12, 5), QTime(22, 5, 5)) << "5-Dec-2026 22:05:05";
    QTest::newRow("morning, two-digit day") << QDateTime(QDate(2027, 1, 15), QTime(9, 0, 0)) << "15-Jan-2027 09:00:00";
}

void TestSetupValues::dateTimeTitle()
{
    QFETCH(QDateTime, when);
    QFETCH(QString, title);
    QCOMPARE(DateTimeTitle(when), title);
}

QTEST_APPLESS_MAIN(TestSetupValues)
#include "test_setup_values.moc"
