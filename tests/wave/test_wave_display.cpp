#include "wave/UpDownControl.h"
#include "wave/WaveDisplay.h"
#include "wave/WavePainter.h"
#include "wave/WaveRecord.h"
#include "wave/WaveWindow.h"

#include "wave/SampleWaves.h"

#include <QCheckBox>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

namespace {

QString caption(const WaveDisplay& display, int index)
{
    return display.findChild<QLabel*>(QStringLiteral("Parameter_%1").arg(index))->text();
}

int pixelsOf(const QImage& image, int32_t bgr)
{
    const QRgb rgb = SlotColor(bgr).rgb();
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.pixel(x, y) == rgb;
    return count;
}

// A captured normal record at 100 us per division, set up and fitted.
void setUp(WaveDisplay& display, WaveRecord& record)
{
    FillSineSquare(record, 5119);
    record.SecondsPerDiv = 1e-4f;
    record.Ch1VoltsPerDiv = 0.5f;
    record.Ch2VoltsPerDiv = 2;
    display.FitTimeAxis();
    display.RefreshParameters();
}

struct FlagCase {
    WaveDisplay::Flag flag;
    int value;
    int ch1On;
    bool ch1Drawn;
    bool gridDrawn;
};

QPoint pixelOf(const WaveWindow& window, double x, double y)
{
    const PixelMap map(window.scale(), window.image().size());
    return {map.x(x), map.y(y)};
}

} // namespace

Q_DECLARE_METATYPE(FlagCase)

class TestWaveDisplay : public QObject {
    Q_OBJECT
private slots:
    // Names, captions, tooltips and start values the rest of the program relies on.
    void controlsByName()
    {
        WaveRecord record;
        WaveDisplay display(record);
        const std::tuple<const char*, const char*, const char*, Qt::CheckState> boxes[] = {
            {"Ch1Flag", "CH 1", "Ｃｈ　１の波形表示＆取込", Qt::Checked},
            {"Ch2Flag", "CH 2", "Ｃｈ　２の波形表示＆取込", Qt::Checked},
            {"BaseFlag", "Base", "ベースライン表示", Qt::Unchecked},
            {"GridFlag", "Grid", "グリッドの表示", Qt::Unchecked},
            {"LineFlag", "Line", "点描・線描の切替", Qt::Checked},
            {"LengthFlag", "LONG", "データー長の切り替え", Qt::Unchecked},
        };
        for (auto [name, text, tip, state] : boxes) {
            auto* box = display.findChild<QCheckBox*>(name);
            QCOMPARE(box->text(), text);
            QCOMPARE(box->toolTip(), QString::fromUtf8(tip));
            QCOMPARE(box->checkState(), state);
        }
        const QStringList captions{"TimeScale", "", "CH1-V", "CH2-V", "H-Width", "H-Offset", "", "", ""};
        for (int i = 0; i < 9; ++i)
            QCOMPARE(caption(display, i), captions[i]);
        const QSize sizes[4] = {{25, 16}, {16, 17}, {16, 17}, {16, 17}};
        for (int i = 0; i < 4; ++i)
            QCOMPARE(display.findChild<QWidget*>(QStringLiteral("WidthUD_%1").arg(i))->size(), sizes[i]);
        QCOMPARE(display.findChild<QWidget*>("WaveWindow"), display.waveWindow());
        QCOMPARE(display.waveWindow()->toolTip(), QStringLiteral("左クリックで基点と計測開始　右クリックで解除"));
        QCOMPARE(display.waveWindow()->cursor().shape(), Qt::CrossCursor);
    }

    // Values set by the program run the click actions too; greyed hides a channel
    // but counts as on for the grid.
    void flagsSetByProgram_data()
    {
        QTest::addColumn<FlagCase>("c");
        QTest::newRow("channel 1 off") << FlagCase{WaveDisplay::Flag::Ch1, 0, 0, false, false};
        QTest::newRow("channel 1 greyed") << FlagCase{WaveDisplay::Flag::Ch1, 2, 2, false, false};
        QTest::newRow("grid on") << FlagCase{WaveDisplay::Flag::Grid, 1, 1, true, true};
        QTest::newRow("grid greyed") << FlagCase{WaveDisplay::Flag::Grid, 2, 1, true, true};
    }
    void flagsSetByProgram()
    {
        QFETCH(FlagCase, c);
        WaveRecord record;
        WaveDisplay display(record);
        setUp(display, record);
        display.RedrawWave();
        display.setFlagValue(c.flag, c.value);
        QCOMPARE(display.flagValue(c.flag), c.value);
        QCOMPARE(int(record.Ch1On), c.ch1On);
        const QImage& image = display.waveWindow()->image();
        QCOMPARE(pixelsOf(image, display.colors()[kCh1TraceColor]) > 0, c.ch1Drawn);
        QCOMPARE(pixelsOf(image, display.colors()[kGridColor]) > 0, c.gridDrawn);
    }

    void fitTimeAxis_data()
    {
        QTest::addColumn<int>("lastIndex");
        QTest::addColumn<int>("longFlag");
        QTest::newRow("normal") << 5119 << 0;
        QTest::newRow("30000") << 30000 << 0;
        QTest::newRow("30001") << 30001 << 1;
        QTest::newRow("long") << 102399 << 1;
    }
    void fitTimeAxis()
    {
        QFETCH(int, lastIndex);
        QFETCH(int, longFlag);
        WaveRecord record;
        record.LastIndex = lastIndex;
        WaveDisplay display(record);
        display.setScale({40, 20});
        display.setFlagValue(WaveDisplay::Flag::Length, 1 - longFlag);
        display.FitTimeAxis();
        QCOMPARE(display.scale(), (WaveScale{0, double(lastIndex)}));
        QCOMPARE(display.flagValue(WaveDisplay::Flag::Length), longFlag);
    }

    void redrawAndRefresh()
    {
        WaveRecord record;
        WaveDisplay display(record);
        record.FreshCapture = kTrue;
        record.Ch1Offset = 12.5f;
        setUp(display, record);
        QCOMPARE(record.SecondsPerSample, 2e-7f);
        QCOMPARE(record.FreshCapture, kFalse);
        QCOMPARE(caption(display, 2), QStringLiteral("CH1 500mV/DIV"));
        QCOMPARE(caption(display, 3), QStringLiteral("CH2 2 V/DIV"));
        display.RedrawWave();
        QCOMPARE(caption(display, 0), QStringLiteral("Time: 100us/DIV"));
        const ColorSlots colors = display.colors();
        QVERIFY(pixelsOf(display.waveWindow()->image(), colors[kCh2TraceColor]) > 0);

        // A new background clears the picture at once.
        ColorSlots changed = colors;
        changed[kBackgroundColor] = 0x102030;
        display.setColors(changed);
        const QImage& image = display.waveWindow()->image();
        QCOMPARE(pixelsOf(image, 0x102030), image.width() * image.height());

        // The retained picture follows the window's size, with the same mapping.
        display.setColors(colors);
        display.RedrawWave();
        display.resize(1200, 800);
        display.show();
        QVERIFY(QTest::qWaitForWindowExposed(&display));
        QCOMPARE(image.size(), display.waveWindow()->size());
        QVERIFY(pixelsOf(image, colors[kCh1TraceColor]) > 0);
    }

    void printKey_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<int>("prints");
        QTest::newRow("P") << int(Qt::Key_P) << Qt::KeyboardModifiers() << 1;
        QTest::newRow("Shift+P") << int(Qt::Key_P) << Qt::KeyboardModifiers(Qt::ShiftModifier) << 1;
        QTest::newRow("Ctrl+P") << int(Qt::Key_P) << Qt::KeyboardModifiers(Qt::ControlModifier) << 1;
        QTest::newRow("Alt+P") << int(Qt::Key_P) << Qt::KeyboardModifiers(Qt::AltModifier) << 1;
        QTest::newRow("O") << int(Qt::Key_O) << Qt::KeyboardModifiers() << 0;
    }
    void printKey()
    {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(int, prints);
        WaveRecord record;
        WaveDisplay display(record);
        QSignalSpy spy(&display, &WaveDisplay::printRequested);
        QTest::keyClick(display.waveWindow(), Qt::Key(key), modifiers);
        QCOMPARE(spy.count(), prints);
    }

    void cursorWithTheMouse()
    {
        WaveRecord record;
        WaveDisplay display(record);
        setUp(display, record);
        display.RedrawWave();
        display.show();
        QVERIFY(QTest::qWaitForWindowExposed(&display));
        WaveWindow* window = display.waveWindow();
        QTest::mouseClick(window, Qt::LeftButton, {}, pixelOf(*window, 1000, 0));
        QTest::mouseMove(window, pixelOf(*window, 2000, 50));
        QVERIFY(caption(display, 1).startsWith(QStringLiteral("⊿t= ")));
        QVERIFY(caption(display, 7).startsWith(QStringLiteral("f= ")));
        QVERIFY(caption(display, 6).startsWith(QStringLiteral("⊿V: CH1= ")));
        QVERIFY(caption(display, 8).startsWith(QStringLiteral("CH2= ")));
        QVERIFY(window->toolTip().startsWith(QStringLiteral("Ch1=")));

        // A refresh ends the measurement and clears the labels, not the tooltip.
        const QString tip = window->toolTip();
        display.RefreshParameters();
        for (int i : {1, 6, 7, 8})
            QVERIFY(caption(display, i).isEmpty());
        QCOMPARE(window->toolTip(), tip);
        QTest::mouseMove(window, pixelOf(*window, 3000, 50));
        QVERIFY(caption(display, 1).isEmpty());

        // Any other button cancels and restores the instruction.
        QTest::mouseClick(window, Qt::LeftButton, {}, pixelOf(*window, 1000, 0));
        QTest::mouseMove(window, pixelOf(*window, 2000, 50));
        QTest::mouseClick(window, Qt::RightButton, {}, pixelOf(*window, 2000, 50));
        for (int i : {1, 6, 7, 8})
            QVERIFY(caption(display, i).isEmpty());
        QCOMPARE(window->toolTip(), QStringLiteral("左クリックで基点と計測開始　右クリックで解除"));
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
