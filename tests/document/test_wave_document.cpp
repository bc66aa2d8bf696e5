// The document alone: what each writer changes and announces, and captures held while
// dialogs are open.

#include "document/WaveDocument.h"

#include <QSignalSpy>
#include <QTest>
#include <functional>

using Aspects = WaveDocument::Aspects;
using Writer = std::function<void(WaveDocument&)>;
Q_DECLARE_METATYPE(Writer)

namespace {

constexpr auto S = WaveDocument::Samples;
constexpr auto P = WaveDocument::Parameters;
constexpr auto V = WaveDocument::View;
constexpr auto F = WaveDocument::Flags;

// Every point of every planned channel is byte.
CaptureBytes capture(int ch1, int ch2, int length, char byte = 0x20)
{
    CaptureBytes bytes(PlanCapture(ch1, ch2, length));
    for (int channel : bytes.plan().channels)
        bytes.add(channel, QByteArray(bytes.plan().points, byte));
    return bytes;
}

// A loaded record at 1 ms a division, CH1 offset one division.
WaveRecord loadedRecord(int32_t lastIndex = 5119)
{
    WaveRecord record;
    record.SecondsPerDiv = 1e-3f;
    record.Ch1VoltsPerDiv = 0.5f;
    record.Ch1Offset = 25;
    record.LastIndex = lastIndex;
    record.ParamsLocked = kTrue;
    record.Samples(1, 0) = 7;
    return record;
}

// What the setup dialog shows of loadedRecord (CH1 offset 25 counts), with another sweep.
SetupValues setupValues(const QString& sweep)
{
    SetupValues values = SetupValuesFromRecord(loadedRecord());
    values.sweep = sweep;
    return values;
}

} // namespace

class TestWaveDocument : public QObject {
    Q_OBJECT
private slots:
    void writersAnnounce_data()
    {
        QTest::addColumn<Writer>("prepare");
        QTest::addColumn<Writer>("writer");
        QTest::addColumn<int>("aspects");     // announced in one change
        QTest::addColumn<bool>("refreshed");  // RefreshParameters ran

        const Writer none = [](WaveDocument&) {};
        QTest::newRow("capture, normal") << none << Writer([](WaveDocument& d) { d.applyCapture(capture(1, 0, 0)); })
                                         << int(S | P) << false;
        // FitTimeAxis checks LONG above 30000 samples and shows the whole record.
        QTest::newRow("capture, long") << none << Writer([](WaveDocument& d) { d.applyCapture(capture(2, 1, 1)); })
                                       << int(S | P | V | F) << false;
        QTest::newRow("capture of no channel") << none << Writer([](WaveDocument& d) { d.applyCapture(capture(0, 0, 1)); })
                                               << 0 << false;
        QTest::newRow("file, last index 30001") << none << Writer([](WaveDocument& d) { d.applyFile(loadedRecord(30001)); })
                                               << int(S | P | V | F) << true;
        QTest::newRow("file, channel 2 off") << none << Writer([](WaveDocument& d) {
            WaveRecord record = loadedRecord();
            record.Ch2On = 0;
            d.applyFile(record);
        }) << int(S | P | F) << true;
        QTest::newRow("setup OK") << Writer([](WaveDocument& d) { d.beginSetup(); })
                                  << Writer([](WaveDocument& d) { d.endSetup(setupValues("2m"), false, false); })
                                  << int(P) << true;
        QTest::newRow("setup confirmed without a sweep time") << Writer([](WaveDocument& d) { d.beginSetup(); })
                                                              << Writer([](WaveDocument& d) { d.endSetup(setupValues("0"), true, false); })
                                                              << int(P) << false;
        // The offsets then in force come out of the fresh samples, and the picture follows.
        QTest::newRow("setup cancelled after a capture") << Writer([](WaveDocument& d) {
            d.applyCapture(capture(1, 1, 0));
            d.beginSetup();
        }) << Writer([](WaveDocument& d) { d.endSetup(std::nullopt, false, true); }) << int(S | P | V) << true;
        QTest::newRow("setup of a long equivalent-sampling record") << Writer([](WaveDocument& d) {
            WaveRecord record = loadedRecord(102399);
            record.EquSampling = kTrue;
            d.applyFile(record);
        }) << Writer([](WaveDocument& d) { d.beginSetup(); }) << int(P) << false;
        QTest::newRow("refresh") << none << Writer([](WaveDocument& d) { d.RefreshParameters(); }) << int(P) << true;
        QTest::newRow("fit, already fitted") << none << Writer([](WaveDocument& d) { d.FitTimeAxis(); }) << 0 << false;
        QTest::newRow("zoom in") << none << Writer([](WaveDocument& d) { QVERIFY(d.step(1, UpDownState{1, 0})); }) << int(V) << false;
        QTest::newRow("position at the right end") << none << Writer([](WaveDocument& d) { QVERIFY(!d.step(0, UpDownState{1, 0})); })
                                                   << 0 << false;
        QTest::newRow("CH2 offset") << none << Writer([](WaveDocument& d) { QVERIFY(d.step(3, UpDownState{-1, 0})); })
                                    << int(V | P) << false;
        QTest::newRow("CH1 box greyed") << none << Writer([](WaveDocument& d) { d.setFlag(WaveDocument::Flag::Ch1, 2); })
                                        << int(F | P) << false;
        QTest::newRow("grid box") << none << Writer([](WaveDocument& d) { d.setFlag(WaveDocument::Flag::Grid, 1); })
                                  << int(F) << false;
        QTest::newRow("LINE box unchanged") << none << Writer([](WaveDocument& d) { d.setFlag(WaveDocument::Flag::Line, 1); })
                                            << 0 << false;
    }
    // Each writer announces once, with exactly what it touched.
    void writersAnnounce()
    {
        QFETCH(Writer, prepare);
        QFETCH(Writer, writer);
        QFETCH(int, aspects);
        QFETCH(bool, refreshed);

        WaveDocument document;
        document.applyFile(loadedRecord());
        prepare(document);
        QSignalSpy changed(&document, &WaveDocument::changed);
        QSignalSpy refreshes(&document, &WaveDocument::refreshed);
        writer(document);
        QCOMPARE(changed.size(), aspects ? 1 : 0);
        if (aspects)
            QCOMPARE(int(changed[0][0].value<Aspects>()), aspects);
        QCOMPARE(refreshes.size(), refreshed ? 1 : 0);
        QCOMPARE(document.flag(WaveDocument::Flag::Length), document.record().LastIndex > 30000 ? 1 : 0);
        QCOMPARE(document.record().Ch1On, int16_t(document.flag(WaveDocument::Flag::Ch1)));
    }
    // Two dialogs open: the capture waits for both, then lands once, after the old record's
    // own setup has been refreshed, and keeps its fresh offsets for its own setup.
    void heldCaptureAppliedOnce()
    {
        WaveDocument document;
        document.applyFile(loadedRecord());
        QSignalSpy applied(&document, &WaveDocument::captureApplied);

        document.hold();        // the Save dialog
        document.beginSetup();  // the Setup dialog
        document.applyCapture(capture(1, 0, 0, 0x30));
        document.applyCapture(capture(1, 0, 0, 0x31));   // only the last one counts
        QCOMPARE(document.record().Samples(1, 0), int16_t(7));
        document.endSetup(std::nullopt, false, false);
        document.release();
        QCOMPARE(applied.size(), 1);
        QCOMPARE(document.record().FreshCapture, kTrue);
        QCOMPARE(document.record().Samples(1, 0), int16_t(0x31));
        {
            const WaveDocument::Hold again(document);
        }
        document.release();   // one release too many changes nothing
        QCOMPARE(applied.size(), 1);

        document.beginSetup();
        document.endSetup(setupValues("1m"), false, true);
        QCOMPARE(document.record().Samples(1, 0), int16_t(0x31 - 25));
        QCOMPARE(document.record().FreshCapture, kFalse);

        // A file read over a copy of a fresh capture's record, as the Load button does, keeps
        // its own samples.
        document.applyCapture(capture(1, 0, 0));
        WaveRecord file = document.record();
        file.SecondsPerDiv = 1e-3f;
        file.Samples(1, 0) = 7;
        document.applyFile(file);
        QCOMPARE(document.record().Samples(1, 0), int16_t(7));
    }
};

QTEST_APPLESS_MAIN(TestWaveDocument)
#include "test_wave_document.moc"
