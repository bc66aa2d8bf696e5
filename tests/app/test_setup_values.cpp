// What the setup dialog shows for a record and what its texts store back.

#include "app/SetupValues.h"

#include <QTest>
#include <cmath>

class TestSetupValues : public QObject {
    Q_OBJECT
private slots:
    void shownTexts_data();
    void shownTexts();
    void storedNumbers_data();
    void storedNumbers();
    void unchangedValuesSurviveARoundTrip_data();
    void unchangedValuesSurviveARoundTrip();
    void equSamplingAvailability_data();
    void equSamplingAvailability();
    void dataLengthCaption_data();
    void dataLengthCaption();
    void dateTimeTitle_data();
    void dateTimeTitle();
};

void TestSetupValues::shownTexts_data()
{
    QTest::addColumn<float>("secondsPerDiv");
    QTest::addColumn<float>("ch1Offset");
    QTest::addColumn<QString>("sweep");
    QTest::addColumn<QString>("offset");

    QTest::newRow("half a second, one division") << 0.5f << 25.0f << "500m" << "1";
    QTest::newRow("unset, minus 0.4 div") << 0.0f << -10.0f << "0 " << "-0.4";
    QTest::newRow("2 us, half a division") << 2e-6f << 12.5f << "2u" << "0.5";
    QTest::newRow("5 s, one count") << 5.0f << 1.0f << "5 " << "0.04";
}

void TestSetupValues::shownTexts()
{
    QFETCH(float, secondsPerDiv);
    QFETCH(float, ch1Offset);
    QFETCH(QString, sweep);
    QFETCH(QString, offset);

    WaveRecord record;
    record.SecondsPerDiv = secondsPerDiv;
    record.Ch1Offset = ch1Offset;
    record.Ch2Offset = ch1Offset;
    const SetupValues values = SetupValuesFromRecord(record);
    QCOMPARE(values.sweep, sweep);
    QCOMPARE(values.offset[0], offset);
    QCOMPARE(values.offset[1], offset);
}

void TestSetupValues::storedNumbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<float>("number");   // as seconds, volts or divisions
    QTest::addColumn<float>("counts");   // the same text as an offset

    QTest::newRow("one division") << "1" << 1.0f << 25.0f;
    QTest::newRow("minus 0.4 division") << "-0.4" << -0.4f << -10.0f;
    QTest::newRow("micro prefix") << "2u" << 2e-6f << 50e-6f;
    QTest::newRow("milli prefix") << "500m" << 0.5f << 12.5f;
    QTest::newRow("full-width digits") << "５００ｍ" << 0.5f << 12.5f;
    QTest::newRow("exponent form") << "1.5E-3" << 0.0015f << 0.0375f;
    QTest::newRow("no number") << "abc" << 0.0f << 0.0f;
    QTest::newRow("empty") << "" << 0.0f << 0.0f;
}

void TestSetupValues::storedNumbers()
{
    QFETCH(QString, text);
    QFETCH(float, number);
    QFETCH(float, counts);

    SetupValues values;
    values.title = QStringLiteral("波形 1");
    values.sweep = values.volts[0] = values.volts[1] = values.delay = text;
    values.offset[0] = values.offset[1] = text;
    values.equSampling = true;

    WaveRecord record;
    StoreSetupValues(values, record);
    QCOMPARE(record.Title, std::string("波形 1"));
    QCOMPARE(record.SecondsPerDiv, number);
    QCOMPARE(record.Ch1VoltsPerDiv, number);
    QCOMPARE(record.Ch2VoltsPerDiv, number);
    QCOMPARE(record.DelaySeconds, number);
    QCOMPARE(record.Ch1Offset, counts);
    QCOMPARE(record.Ch2Offset, counts);
    QCOMPARE(record.EquSampling, kTrue);
}

void TestSetupValues::unchangedValuesSurviveARoundTrip_data()
{
    QTest::addColumn<float>("seconds");
    QTest::addColumn<float>("volts");
    QTest::addColumn<float>("offset");

    QTest::newRow("list values") << 1e-3f << 0.2f << 25.0f;
    QTest::newRow("long sweep, large offset") << 50.0f << 100.0f << -127.0f;
    QTest::newRow("nanoseconds, fractional offset") << 5e-9f << 2e-3f << 12.5f;
}

void TestSetupValues::unchangedValuesSurviveARoundTrip()
{
    QFETCH(float, seconds);
    QFETCH(float, volts);
    QFETCH(float, offset);

    WaveRecord record;
    record.Title = "Ｔｉｔｌｅ,\"x\"";
    record.SecondsPerDiv = seconds;
    record.DelaySeconds = -seconds;
    record.Ch1VoltsPerDiv = volts;
    record.Ch2VoltsPerDiv = volts * 10;
    record.Ch1Offset = offset;
    record.Ch2Offset = -offset;
    record.EquSampling = kTrue;
    WaveRecord stored = record;
    StoreSetupValues(SetupValuesFromRecord(record), stored);
    QCOMPARE(stored.Title, record.Title);
    QVERIFY(std::abs(stored.SecondsPerDiv - seconds) <= std::abs(seconds) * 1e-6f);
    QVERIFY(std::abs(stored.DelaySeconds + seconds) <= std::abs(seconds) * 1e-6f);
    QVERIFY(std::abs(stored.Ch1VoltsPerDiv - volts) <= volts * 1e-6f);
    QVERIFY(std::abs(stored.Ch2VoltsPerDiv - volts * 10) <= volts * 1e-5f);
    QCOMPARE(stored.Ch1Offset, offset);
    QCOMPARE(stored.Ch2Offset, -offset);
    QCOMPARE(stored.EquSampling, kTrue);
}

void TestSetupValues::equSamplingAvailability_data()
{
    QTest::addColumn<int>("lastIndex");
    QTest::addColumn<bool>("available");

    QTest::newRow("normal record") << 5119 << true;
    QTest::newRow("6001 samples") << 6000 << true;
    QTest::newRow("6002 samples") << 6001 << false;
    QTest::newRow("long record") << 102399 << false;
}

void TestSetupValues::equSamplingAvailability()
{
    QFETCH(int, lastIndex);
    QFETCH(bool, available);
    QCOMPARE(EquSamplingAvailable(lastIndex), available);
}

void TestSetupValues::dataLengthCaption_data()
{
    QTest::addColumn<int>("lastIndex");
    QTest::addColumn<QString>("caption");

    QTest::newRow("normal") << 5119 << "Data : 5120/Ch";
    QTest::newRow("long, no grouping") << 102399 << "Data : 102400/Ch";
    QTest::newRow("single sample") << 0 << "Data : 1/Ch";
}

void TestSetupValues::dataLengthCaption()
{
    QFETCH(int, lastIndex);
    QFETCH(QString, caption);
    QCOMPARE(DataLengthCaption(lastIndex), caption);
}

void TestSetupValues::dateTimeTitle_data()
{
    QTest::addColumn<QDateTime>("when");
    QTest::addColumn<QString>("title");

    QTest::newRow("day without zero, evening") << QDateTime(QDate(2026, 12, 5), QTime(22, 5, 5))
                                               << "5-Dec-2026 22:05:05";
    QTest::newRow("two-digit day, morning") << QDateTime(QDate(2027, 1, 15), QTime(9, 0, 0))
                                            << "15-Jan-2027 09:00:00";
    QTest::newRow("midnight") << QDateTime(QDate(2026, 5, 31), QTime(0, 0, 59)) << "31-May-2026 00:00:59";
}

void TestSetupValues::dateTimeTitle()
{
    QFETCH(QDateTime, when);
    QFETCH(QString, title);
    QCOMPARE(DateTimeTitle(when), title);
}

QTEST_APPLESS_MAIN(TestSetupValues)
#include "test_setup_values.moc"
