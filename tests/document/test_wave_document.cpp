// The document alone: captures held while dialogs are open.

#include "document/WaveDocument.h"

#include <QSignalSpy>
#include <QTest>

namespace {

// A normal capture of channel 1, every point byte.
CaptureBytes capture(char byte = 0x20)
{
    CaptureBytes bytes(PlanCapture(1, 0, 0));
    for (int channel : bytes.plan().channels)
        bytes.add(channel, QByteArray(bytes.plan().points, byte));
    return bytes;
}

// A loaded record at 1 ms a division, CH1 offset one division.
WaveRecord loadedRecord()
{
    WaveRecord record;
    record.SecondsPerDiv = 1e-3f;
    record.Ch1VoltsPerDiv = 0.5f;
    record.Ch1Offset = 25;
    record.LastIndex = 5119;
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
    // Two dialogs open: the capture waits for both, then lands once, after the old record's
    // own setup has been refreshed, and keeps its fresh offsets for its own setup.
    void heldCaptureAppliedOnce()
    {
        WaveDocument document;
        document.applyFile(loadedRecord());
        QSignalSpy applied(&document, &WaveDocument::captureApplied);

        document.hold();        // the Save dialog
        document.beginSetup();  // the Setup dialog
        document.applyCapture(capture(0x30));
        document.applyCapture(capture(0x31));   // only the last one counts
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
        document.applyCapture(capture());
        WaveRecord file = document.record();
        file.SecondsPerDiv = 1e-3f;
        file.Samples(1, 0) = 7;
        document.applyFile(file);
        QCOMPARE(document.record().Samples(1, 0), int16_t(7));
    }
};

QTEST_APPLESS_MAIN(TestWaveDocument)
#include "test_wave_document.moc"
