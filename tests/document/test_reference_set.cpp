#include "document/ReferenceSet.h"
#include "wave/WaveScene.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

namespace {

// 100 points at 10 counts on CH1 at `voltsPerDiv`, 100 us/DIV.
WaveRecord flatRecord(float voltsPerDiv, int16_t counts, int lastIndex = 99)
{
    WaveRecord r;
    r.LastIndex = lastIndex;
    r.Ch2On = 0;
    r.Ch1VoltsPerDiv = voltsPerDiv;
    r.SecondsPerDiv = 1e-4f;
    r.SecondsPerSample = 2e-7f;
    for (int i = 0; i <= lastIndex; ++i)
        r.Samples(1, i) = counts;
    return r;
}

// underValues: the one value of each under-trace, in order; referencePoints: of every under-trace.
struct OverlayCase { QString change; QList<int> underValues; int referencePoints, marks; };

} // namespace

class TestReferenceSet : public QObject {
    Q_OBJECT
private slots:
    // The live CH1 is 10 counts at 1 V/DIV (0.04 V a count) with a glitch to 30 on samples
    // 50..52, drawn at an offset of 12.5 counts. What lies under it and what is marked.
    void overlay_data()
    {
        QTest::addColumn<OverlayCase>("c");
        // 0.2 V is 5 counts at 1 V/DIV: the band's edges at 15 and 5 counts.
        QTest::newRow("same range") << OverlayCase{"", QList<int>{10, 15, 5}, 100, 3};
        QTest::newRow("reference at twice the V/DIV") << OverlayCase{"range", QList<int>{10, 15, 5}, 100, 3};
        QTest::newRow("no tolerance: no band") << OverlayCase{"no tolerance", QList<int>{10}, 100, 0};
        QTest::newRow("hidden: the band alone") << OverlayCase{"hidden", QList<int>{15, 5}, 100, 3};
        QTest::newRow("another length: drawn, not compared") << OverlayCase{"length", QList<int>{10}, 50, 0};
        QTest::newRow("view past the glitch") << OverlayCase{"view", QList<int>{10, 15, 5}, 40, 0};
    }
    void overlay()
    {
        QFETCH(OverlayCase, c);
        auto& [change, underValues, referencePoints, marks] = c;
        WaveRecord live = flatRecord(1, 10);
        live.Ch1Offset = 12.5f;
        for (int i : {50, 51, 52})
            live.Samples(1, i) = 30;
        ReferenceSet set;
        set.keep(2, change == "range" ? flatRecord(2, 5) : flatRecord(1, 10, change == "length" ? 49 : 99), "R3");
        QCOMPARE(set.chosen(), 2);   // the first one kept is the one compared
        set.setTolerance(change == "no tolerance" ? std::nullopt : std::optional(0.2));
        set.setShown(2, change != "hidden");

        const WaveScale view = change == "view" ? WaveScale{60, 39} : WaveScale{0, 99};
        const std::optional<WaveScene> scene = ComputeWaveScene(live, view, DisplayFlags{});
        QVERIFY(scene);
        const WaveOverlay overlay = set.overlay(*scene, live, DisplayFlags{});
        QCOMPARE(overlay.under.size(), std::size_t(underValues.size()));
        for (qsizetype k = 0; k < underValues.size(); ++k) {
            const SceneTrace& trace = overlay.under[std::size_t(k)].trace;
            QCOMPARE(trace.offset, 12.5f);   // the live channel's: it moves with the display
            QCOMPARE(trace.firstIndex, int(view.ScaleLeft));
            QCOMPARE(int(trace.values.size()), referencePoints);
            for (int16_t value : trace.values)
                QCOMPARE(int(value), underValues[k]);
        }
        QCOMPARE(int(overlay.marks.size()), marks);
        for (const OverlayMark& mark : overlay.marks)
            QCOMPARE(mark.counts, 42.5f);   // on the live point as drawn
    }

    // The colours, the choice and the tolerance are the user's: they come back at the next
    // start; a value edited by hand into nonsense gives the default instead.
    void configuration()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath("miravo-link.ini");
        {
            ReferenceSet set;
            set.useConfiguration(file);
            set.setColor(1, 0x123456);
            set.choose(3);
            set.setTolerance(0.05);
        }
        ReferenceSet again;
        const int32_t defaultR1 = again.color(0);
        QSettings(file, QSettings::IniFormat).setValue("references/color1", "no colour");
        again.useConfiguration(file);
        QCOMPARE(again.color(1), 0x123456);
        QCOMPARE(again.color(0), defaultR1);
        QCOMPARE(again.chosen(), 3);
        QCOMPARE(again.tolerance(), std::optional(0.05));
        // R4 was chosen, but nothing is in it in this run: the first one kept is compared.
        again.keep(0, WaveRecord{}, "R1");
        QCOMPARE(again.chosen(), 0);
    }
};

QTEST_GUILESS_MAIN(TestReferenceSet)
#include "test_reference_set.moc"
