// What the setup dialog shows for a record and what its texts store back.

#include "document/SetupValues.h"

#include <QTest>

class TestSetupValues : public QObject {
    Q_OBJECT
private slots:
    void roundTrip_data();
    void roundTrip();
};

void TestSetupValues::roundTrip_data()
{
    QTest::addColumn<float>("seconds");
    QTest::addColumn<float>("counts");
    QTest::addColumn<QString>("sweepText");
    QTest::addColumn<QString>("offsetText");

    QTest::newRow("unset, -0.4 division") << 0.0f << -10.0f << "0 " << "-0.4";
    QTest::newRow("2 us, half a division") << 2e-6f << 12.5f << "2u" << "0.5";
    QTest::newRow("50 s, -127 counts") << 50.0f << -127.0f << "50 " << "-5.08";
}

// Opening and pressing OK without a change gives back the stored values, each in its own
// field; an unset sweep stays unset and fractional offsets survive.
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

QTEST_APPLESS_MAIN(TestSetupValues)
#include "test_setup_values.moc"
