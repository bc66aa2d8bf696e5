#include "wave/widgets/UpDownControl.h"
#include "wave/widgets/WaveDisplay.h"
#include "wave/WavePainter.h"
#include "core/WaveRecord.h"
#include "wave/widgets/WaveWindow.h"

#include "support/SampleWaves.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>

namespace {

const QString kIdleTip = QStringLiteral("左クリックで基点と計測開始　右クリックで解除");

QString caption(const WaveDisplay& display, int index)
{
    return display.findChild<QLabel*>(QStringLiteral("Parameter_%1").arg(index))->text();
}

bool readoutsCleared(const WaveDisplay& display)
{
    return caption(display, 1).isEmpty() && caption(display, 6).isEmpty() && caption(display, 7).isEmpty()
        && caption(display, 8).isEmpty();
}

// RGB32 rows are exactly width pixels long, so the image is one run of pixels.
int pixelsOf(const QImage& image, int32_t bgr)
{
    const auto* bits = reinterpret_cast<const QRgb*>(image.constBits());
    return int(std::count(bits, bits + qsizetype(image.width()) * image.height(), SlotColor(bgr).rgb()));
}

// A captured normal record at 100 us per division, set up, fitted and drawn.
void setUp(WaveDisplay& display, WaveRecord& record)
{
    FillSineSquare(record, 5119);
    record.SecondsPerDiv = 1e-4f;
    record.Ch1VoltsPerDiv = 0.5f;
    record.Ch2VoltsPerDiv = 2;
    display.FitTimeAxis();
    display.RefreshParameters();
    display.RedrawWave();
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
    // The boxes' start values. Values set by the program run the click actions too: a
    // greyed grid is drawn, a greyed channel is hidden.
    void flagsSetByProgram()
    {
        WaveRecord record;
        WaveDisplay display(record);
        QList<int> start;
        for (auto flag : {WaveDisplay::Flag::Ch1, WaveDisplay::Flag::Ch2, WaveDisplay::Flag::Base,
                          WaveDisplay::Flag::Grid, WaveDisplay::Flag::Line, WaveDisplay::Flag::Length})
            start << display.flagValue(flag);
        QCOMPARE(start, (QList<int>{1, 1, 0, 0, 1, 0}));
        setUp(display, record);
        const QImage& image = display.waveWindow()->image();
        const ColorSlots colors = display.colors();
        display.setFlagValue(WaveDisplay::Flag::Grid, 2);
        QVERIFY(pixelsOf(image, colors[kGridColor]) > 0);
        QVERIFY(pixelsOf(image, colors[kCh1TraceColor]) > 0);
        display.setFlagValue(WaveDisplay::Flag::Ch1, 2);
        QCOMPARE(record.Ch1On, int16_t(2));
        QVERIFY(pixelsOf(image, colors[kCh1TraceColor]) == 0);
        QVERIFY(pixelsOf(image, colors[kGridColor]) > 0);
    }

    // LONG follows the fitted length either way across 30000.
    void fitTimeAxis()
    {
        WaveRecord record;
        WaveDisplay display(record);
        for (auto [lastIndex, longFlag] : {std::pair{30001, 1}, {30000, 0}}) {
            record.LastIndex = lastIndex;
            display.setScale({40, 20});
            display.FitTimeAxis();
            QCOMPARE(display.scale(), (WaveScale{0, double(lastIndex)}));
            QCOMPARE(display.flagValue(WaveDisplay::Flag::Length), longFlag);
        }
    }

    void redrawAndRefresh()
    {
        WaveRecord record;
        WaveDisplay display(record);
        setUp(display, record);
        QCOMPARE(caption(display, 0), QStringLiteral("Time: 100us/DIV"));
        QCOMPARE(caption(display, 2), QStringLiteral("CH1 500mV/DIV"));
        QCOMPARE(caption(display, 3), QStringLiteral("CH2 2 V/DIV"));
        const ColorSlots colors = display.colors();

        // A new background clears the picture at once.
        ColorSlots changed = colors;
        changed[kBackgroundColor] = 0x102030;
        display.setColors(changed);
        const QImage& image = display.waveWindow()->image();
        QCOMPARE(pixelsOf(image, 0x102030), image.width() * image.height());

        // The retained picture follows the window's size.
        display.setColors(colors);
        display.RedrawWave();
        display.resize(1200, 800);
        display.show();
        QVERIFY(QTest::qWaitForWindowExposed(&display));
        QCOMPARE(image.size(), display.waveWindow()->size());
        QVERIFY(pixelsOf(image, colors[kCh1TraceColor]) > 0);
    }

    // P prints whatever the modifiers; other keys do not.
    void printKey()
    {
        WaveRecord record;
        WaveDisplay display(record);
        QSignalSpy spy(&display, &WaveDisplay::printRequested);
        QTest::keyClick(display.waveWindow(), Qt::Key_P);
        QTest::keyClick(display.waveWindow(), Qt::Key_P, Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
        QTest::keyClick(display.waveWindow(), Qt::Key_O);
        QCOMPARE(spy.count(), 2);
    }

    void cursorWithTheMouse()
    {
        WaveRecord record;
        WaveDisplay display(record);
        setUp(display, record);
        display.show();
        QVERIFY(QTest::qWaitForWindowExposed(&display));
        WaveWindow* window = display.waveWindow();
        QCOMPARE(window->cursor().shape(), Qt::CrossCursor);
        QCOMPARE(window->toolTip(), kIdleTip);

        // A right click while no measurement runs changes nothing, nor do the moves after it.
        const auto shown = [&] {
            QStringList texts{window->toolTip()};
            for (int i = 0; i < 9; ++i)
                texts << caption(display, i);
            return texts;
        };
        const QStringList idle = shown();
        const QImage picture = window->image();
        const WaveRecord before = record;
        QTest::mouseClick(window, Qt::RightButton, {}, pixelOf(*window, 1000, 0));
        QTest::mouseMove(window, pixelOf(*window, 1500, 40));
        QCOMPARE(shown(), idle);
        QCOMPARE(window->image(), picture);
        QVERIFY(record == before);

        QTest::mouseClick(window, Qt::LeftButton, {}, pixelOf(*window, 1000, 0));
        QTest::mouseMove(window, pixelOf(*window, 2000, 50));
        for (auto [index, start] : {std::pair{1, "⊿t= "}, {7, "f= "}, {6, "⊿V: CH1= "}, {8, "CH2= "}})
            QVERIFY(caption(display, index).startsWith(QString::fromUtf8(start)));
        QVERIFY(window->toolTip().startsWith(QStringLiteral("Ch1=")));

        // A refresh ends the measurement and clears the labels, not the tooltip.
        const QString tip = window->toolTip();
        display.RefreshParameters();
        QVERIFY(readoutsCleared(display));
        QCOMPARE(window->toolTip(), tip);
        QTest::mouseMove(window, pixelOf(*window, 3000, 50));
        QVERIFY(caption(display, 1).isEmpty());

        // Any other button cancels and restores the instruction.
        QTest::mouseClick(window, Qt::LeftButton, {}, pixelOf(*window, 1000, 0));
        QTest::mouseMove(window, pixelOf(*window, 2000, 50));
        QTest::mouseClick(window, Qt::RightButton, {}, pixelOf(*window, 2000, 50));
        QVERIFY(readoutsCleared(display));
        QCOMPARE(window->toolTip(), kIdleTip);
    }

    // Press on an arrow: one step at once, more while held; the dead band moves nothing.
    void upDownWithTheMouse()
    {
        WaveRecord record;
        WaveDisplay display(record);
        setUp(display, record);
        display.show();
        QVERIFY(QTest::qWaitForWindowExposed(&display));
        auto* zoom = display.findChild<QWidget*>("WidthUD_1");
        QTest::mousePress(zoom, Qt::LeftButton, {}, QPoint(8, 2));
        QCOMPARE(display.scale(), (WaveScale{63, 4993}));
        QTRY_VERIFY(display.scale().ScaleWidth < 4993);   // auto-repeat
        QTest::mouseRelease(zoom, Qt::LeftButton, {}, QPoint(8, 2));
        const WaveScale held = display.scale();

        auto* position = display.findChild<QWidget*>("WidthUD_0");
        QTest::mousePress(position, Qt::LeftButton, {}, QPoint(12, 8));   // 180 twips
        QTest::qWait(2 * UpDownControl::kRepeatDelayMs);
        QTest::mouseRelease(position, Qt::LeftButton, {}, QPoint(12, 8));
        QCOMPARE(display.scale(), held);

        auto* offset = display.findChild<QWidget*>("WidthUD_2");
        QTest::mousePress(offset, Qt::LeftButton, Qt::ControlModifier, QPoint(8, 14));
        QTest::mouseRelease(offset, Qt::LeftButton, Qt::ControlModifier, QPoint(8, 14));
        QCOMPARE(record.Ch1Offset, -4.0f);
    }
};

QTEST_MAIN(TestWaveDisplay)
#include "test_wave_display.moc"
