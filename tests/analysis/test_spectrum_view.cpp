// The spectrum window as a user meets it: opened by Ctrl+F from the main window's wave part,
// following the record, the channel boxes and the cursor measurement; the window function
// and axis chosen from the keyboard and remembered; the cross-hair reading the fundamental.
#include "core/EngNumber.h"
#include "support/AnalysisWindow.h"

#include <QComboBox>
#include <QLabel>
#include <QTableWidget>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>

namespace {

// A window with the 解析 group, the spectrum window opened by Ctrl+F.
struct Window : AnalysisWindow {
    explicit Window(const QString& configFile = {}) : AnalysisWindow(configFile)
    {
        QTest::keyClick(&window, Qt::Key_F, Qt::ControlModifier);
        if (!QTest::qWaitForWindowExposed(view()))
            qFatal("spectrum window not shown");
    }
    QWidget* view() const { return window.findChild<QWidget*>(QStringLiteral("SpectrumPanel")); }
    template <typename T = QWidget>
    T* at(const QString& name) const { return view()->findChild<T*>(name); }
    QString label(const char* name) const { return at<QLabel>(QLatin1String(name))->text(); }
    QString cell(int channel, int column) const
    {
        const QTableWidgetItem* item = at<QTableWidget>(QStringLiteral("SpectrumPeaks_%1").arg(channel))->item(0, column);
        return item ? item->text() : QString();
    }
};

// A long record at 2 MHz (19.53125 Hz a bin, 5 ms/DIV): on channel 1 a sine of `counts` at
// 0.5 V/DIV (0.02 V a count) with a second harmonic, on channel 2 a sine unless it is off.
WaveRecord sineRecord(double hertz, double counts, double second, bool ch2On, float secondsPerDiv = 5e-3f,
                      int points = 102400)
{
    WaveRecord record;
    record.LastIndex = points - 1;
    record.SecondsPerDiv = secondsPerDiv;
    record.Ch1VoltsPerDiv = 0.5f;
    record.Ch2VoltsPerDiv = 1;
    record.Ch2On = ch2On ? 1 : 0;
    for (int i = 0; i <= record.LastIndex; ++i) {
        const double phase = 2 * M_PI * hertz * i / 2e6;
        record.Samples(1, i) = int16_t(std::lround(counts * std::sin(phase) + second * std::sin(2 * phase)));
        record.Samples(2, i) = int16_t(std::lround(50 * std::sin(phase / 2)));
    }
    return record;
}

// "12.500kHz" -> 12500, "-3.0 dBV" -> -3, "THD　5.00 %" -> 5.
double number(const QString& text)
{
    const QString value = text.section(QChar(0x3000), -1);
    return value.endsWith(QLatin1String("Hz")) ? ParseEng(value.chopped(2).toStdString())
                                                : value.section(QLatin1Char(' '), 0, 0).toDouble();
}

// cursorFrom, cursorTo: the reference and the pointer at these pixel columns, 0: no cursor; thd: below 0: no
// spectrum.
struct ShowCase {
    double hertz, counts, second;
    bool ch2On;
    int points, cursorFrom, cursorTo;
    float secondsPerDiv;
    double thd;
};

} // namespace

class TestSpectrumView : public QObject {
    Q_OBJECT
private slots:
    // What the window shows of a record and of the part between the cursor's reference and
    // pointer. The level: counts x 0.02 V / sqrt(2) in dBV; THD: the harmonic over the
    // fundamental; the frequency within a tenth of a bin.
    void shows_data()
    {
        QTest::addColumn<ShowCase>("c");
        QTest::newRow("whole record") << ShowCase{12500.0, 100.0, 5.0, false, 102400, 0, 0, 5e-3f, 5.0};
        QTest::newRow("cursor window") << ShowCase{25000.0, 50.0, 10.0, true, 102400, 60, 3, 5e-3f, 20.0};
        QTest::newRow("too few samples") << ShowCase{25000.0, 50.0, 10.0, true, 5120, 10, 12, 1e-4f, -1.0};
        QTest::newRow("no time base") << ShowCase{25000.0, 50.0, 0.0, true, 102400, 0, 0, 0.0f, -1.0};
    }
    void shows()
    {
        QFETCH(ShowCase, c);
        auto& [hertz, counts, second, ch2On, points, cursorFrom, cursorTo, secondsPerDiv, thd] = c;
        Window w;
        w.document.applyFile(sineRecord(hertz, counts, second, ch2On, secondsPerDiv, points));
        QString range = QStringLiteral("範囲：全体（%1 点）").arg(points);
        if (cursorFrom > 0) {
            WaveWindow* wave = w.display->waveWindow();
            const QPoint from(cursorFrom, wave->height() / 2);
            const QPoint to(cursorTo, from.y());
            QTest::mouseClick(wave, Qt::LeftButton, {}, from);
            QTest::mouseMove(wave, to);
            const auto [low, high] = std::minmax({wave->toScale(from).x(), wave->toScale(to).x()});
            points = int(std::floor(high)) - int(std::ceil(low)) + 1;
            range = QStringLiteral("範囲：カーソル間（%1 点）").arg(points);
        }
        QTRY_COMPARE(w.label("SpectrumRange"), range);
        if (thd < 0) {
            QCOMPARE(w.cell(1, 0), QString());
            QCOMPARE(w.label("SpectrumThd_1"), QStringLiteral("THD　—"));
            return;
        }
        const double binWidth = 2e6 / points;
        QVERIFY2(std::abs(number(w.cell(1, 0)) - hertz) <= 0.1 * binWidth, qPrintable(w.cell(1, 0)));
        QVERIFY2(std::abs(number(w.cell(1, 1)) - 20 * std::log10(counts * 0.02 / std::sqrt(2.0))) <= 0.05, qPrintable(w.cell(1, 1)));
        QVERIFY2(std::abs(number(w.label("SpectrumThd_1")) - thd) <= 0.1, qPrintable(w.label("SpectrumThd_1")));
        QCOMPARE(w.cell(2, 0).isEmpty(), !ch2On);
    }

    // The window and the axis a user picks come back in the next run; the pointer on the
    // fundamental's column reads it.
    void choicesAndCrossHair()
    {
        QTemporaryDir home;
        const QString config = home.filePath(QStringLiteral("miravo-link.conf"));
        {
            Window w(config);
            w.document.applyFile(sineRecord(12500, 100, 0, false));
            QTest::keyClick(w.at(QStringLiteral("SpectrumWindowChooser")), Qt::Key_End);
            QTest::keyClick(w.at(QStringLiteral("SpectrumAxisChooser")), Qt::Key_Down);
            QTRY_COMPARE(w.cell(1, 1), QStringLiteral("3.0 dBV"));

            // Linear axis from 0 to 1 MHz over the plot area (52 px in from the left, 12 from
            // the right): 12.5 kHz is 1/80 of the way across.
            QTest::keyClick(w.at(QStringLiteral("SpectrumAxisChooser")), Qt::Key_Up);
            // The pointer goes to the window on top at its place: the spectrum window, beside the main one.
            w.view()->move(w.window.frameGeometry().topRight() + QPoint(10, 0));
            QWidget* plot = w.at(QStringLiteral("SpectrumPlot_1"));
            const int x = 52 + int(std::lround((plot->width() - 64 - 1) / 80.0));
            QTest::mouseMove(plot, QPoint(x, plot->height() / 2));
            QTRY_COMPARE(w.label("SpectrumReadout_1"), QStringLiteral("12.500kHz　3.0 dBV"));
            QTest::keyClick(w.at(QStringLiteral("SpectrumAxisChooser")), Qt::Key_Down);
        }
        Window again(config);
        QCOMPARE(again.at<QComboBox>(QStringLiteral("SpectrumWindowChooser"))->currentText(), QStringLiteral("フラットトップ"));
        QCOMPARE(again.at<QComboBox>(QStringLiteral("SpectrumAxisChooser"))->currentText(), QStringLiteral("対数"));
    }
};

QTEST_MAIN(TestSpectrumView)
#include "test_spectrum_view.moc"
