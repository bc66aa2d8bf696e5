#include "document/WaveDocument.h"
#include "wave/WavePainter.h"
#include "wave/widgets/WaveDisplay.h"
#include "wave/widgets/WaveWindow.h"

#include "support/PixelCount.h"
#include "support/SampleWaves.h"

#include <QCheckBox>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

QString caption(const WaveDisplay& display, int index)
{
    return display.findChild<QLabel*>(QStringLiteral("Parameter_%1").arg(index))->text();
}

// A normal record at 100 us per division, loaded into the document: fitted, refreshed and
// drawn by the display that follows it.
void setUp(WaveDocument& document, int32_t lastIndex = 5119)
{
    auto record = std::make_unique<WaveRecord>();
    FillSineSquare(*record, lastIndex);
    record->SecondsPerDiv = 1e-4f;
    record->Ch1VoltsPerDiv = 0.5f;
    record->Ch2VoltsPerDiv = 2;
    document.applyFile(*record);
}

QPoint pixelOf(const WaveWindow& window, double x, double y)
{
    const PixelMap map(window.scale(), window.image().size());
    return {map.x(x), map.y(y)};
}

} // namespace

class TestWaveDisplay : public QObject {
    Q_OBJECT
private slots:
    // The boxes show the document's values, from the start and as the program sets them, and
    // their clicks go to it: a greyed grid is drawn, a greyed channel is hidden. The picture
    // clears at once on a new background and follows the window's size.
    void pictureFollowsTheDocument()
    {
        WaveDocument document;
        WaveDisplay display(document);
        const auto boxes = [&] {
            QList<Qt::CheckState> states;
            for (const char* name : {"Ch1Flag", "Ch2Flag", "BaseFlag", "GridFlag", "LineFlag", "LengthFlag"})
                states << display.findChild<QCheckBox*>(name)->checkState();
            return states;
        };
        QCOMPARE(boxes(), (QList<Qt::CheckState>{Qt::Checked, Qt::Checked, Qt::Unchecked, Qt::Unchecked, Qt::Checked,
                                                 Qt::Unchecked}));
        setUp(document, 30001);
        QCOMPARE(boxes().last(), Qt::Checked);
        const QImage& image = display.waveWindow()->image();
        const ColorSlots colors = display.colors();
        document.setFlag(WaveDocument::Flag::Grid, 2);
        QVERIFY(pixelsOf(image, colors[kGridColor]) > 0);
        QVERIFY(pixelsOf(image, colors[kCh1TraceColor]) > 0);
        document.setFlag(WaveDocument::Flag::Ch1, 2);
        QCOMPARE(boxes().first(), Qt::PartiallyChecked);
        QVERIFY(pixelsOf(image, colors[kCh1TraceColor]) == 0);

        ColorSlots changed = colors;
        changed[kBackgroundColor] = 0x102030;
        display.setColors(changed);
        QCOMPARE(pixelsOf(image, 0x102030), image.width() * image.height());
        display.setColors(colors);
        display.RedrawWave();
        display.resize(1200, 800);
        display.show();
        QVERIFY(QTest::qWaitForWindowExposed(&display));
        QCOMPARE(image.size(), display.waveWindow()->size());
        QVERIFY(pixelsOf(image, colors[kCh2TraceColor]) > 0);

        // A click on a greyed box checks it.
        QTest::mouseClick(display.findChild<QCheckBox*>("Ch1Flag"), Qt::LeftButton);
        QCOMPARE(document.record().Ch1On, int16_t(1));
        QVERIFY(pixelsOf(image, colors[kCh1TraceColor]) > 0);
    }

    void cursorAndKeys()
    {
        WaveDocument document;
        WaveDisplay display(document);
        setUp(document);
        display.show();
        QVERIFY(QTest::qWaitForWindowExposed(&display));
        WaveWindow* window = display.waveWindow();

        // A right click while no measurement runs changes nothing, nor do the moves after it.
        const auto shown = [&] {
            QStringList texts{window->toolTip()};
            for (int i = 0; i < 9; ++i)
                texts << caption(display, i);
            return texts;
        };
        const QStringList idle = shown();
        const QImage picture = window->image();
        QSignalSpy changed(&document, &WaveDocument::changed);
        QTest::mouseClick(window, Qt::RightButton, {}, pixelOf(*window, 1000, 0));
        QTest::mouseMove(window, pixelOf(*window, 1500, 40));
        QCOMPARE(shown(), idle);
        QCOMPARE(window->image(), picture);
        QVERIFY(changed.isEmpty());

        QTest::mouseClick(window, Qt::LeftButton, {}, pixelOf(*window, 1000, 0));
        QTest::mouseMove(window, pixelOf(*window, 2000, 50));
        for (auto [index, start] : {std::pair{1, "⊿t= "}, {7, "f= "}, {6, "⊿V: CH1= "}, {8, "CH2= "}})
            QVERIFY(caption(display, index).startsWith(QString::fromUtf8(start)));
        QVERIFY(window->toolTip().startsWith(QStringLiteral("Ch1=")));

        // A refresh ends the measurement and clears the labels, not the tooltip.
        const QString tip = window->toolTip();
        document.RefreshParameters();
        QCOMPARE(shown(), QStringList{tip} + idle.mid(1));
        QTest::mouseMove(window, pixelOf(*window, 3000, 50));
        QVERIFY(caption(display, 1).isEmpty());

        // Any other button cancels and restores the instruction.
        QTest::mouseClick(window, Qt::LeftButton, {}, pixelOf(*window, 1000, 0));
        QTest::mouseMove(window, pixelOf(*window, 2000, 50));
        QTest::mouseClick(window, Qt::RightButton, {}, pixelOf(*window, 2000, 50));
        QCOMPARE(shown(), idle);
    }

    // Press on an arrow: one step at once, more while held; the dead band moves nothing.
    void upDownWithTheMouse()
    {
        WaveDocument document;
        WaveDisplay display(document);
        setUp(document);
        display.show();
        QVERIFY(QTest::qWaitForWindowExposed(&display));
        auto* zoom = display.findChild<QWidget*>("WidthUD_1");
        QTest::mousePress(zoom, Qt::LeftButton, {}, QPoint(8, 2));
        QCOMPARE(document.view(), (WaveScale{63, 4993}));
        QTRY_VERIFY(document.view().ScaleWidth < 4993);   // auto-repeat
        QTest::mouseRelease(zoom, Qt::LeftButton, {}, QPoint(8, 2));
        const WaveScale held = document.view();

        auto* position = display.findChild<QWidget*>("WidthUD_0");
        QTest::mousePress(position, Qt::LeftButton, {}, QPoint(12, 8));   // 180 twips
        QTest::mouseRelease(position, Qt::LeftButton, {}, QPoint(12, 8));
        QCOMPARE(document.view(), held);

        auto* offset = display.findChild<QWidget*>("WidthUD_2");
        QTest::mousePress(offset, Qt::LeftButton, Qt::ControlModifier, QPoint(8, 14));
        QTest::mouseRelease(offset, Qt::LeftButton, Qt::ControlModifier, QPoint(8, 14));
        QCOMPARE(document.record().Ch1Offset, -4.0f);
    }
};

QTEST_MAIN(TestWaveDisplay)
#include "test_wave_display.moc"
