// The 解析 group and the measurement panel as a user meets them: beside the Display frame
// without moving it, opened by its box and by Ctrl+M, remembered; values that follow the
// record, the channel boxes and the cursor; statistics over records, Reset and Copy.
#include "support/AnalysisWindow.h"
#include "support/SampleWaves.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>


namespace {

// The measurement panel's controls in a window with the group.
struct Window : AnalysisWindow {
    using AnalysisWindow::AnalysisWindow;
    QCheckBox* box() const { return window.findChild<QCheckBox*>(QStringLiteral("MeasureView")); }
    QWidget* panel() const { return window.findChild<QWidget*>(QStringLiteral("MeasurementPanel")); }
    QTableWidget* table() const { return window.findChild<QTableWidget*>(QStringLiteral("MeasurementTable")); }
    QString findRange() const { return window.findChild<QLabel*>(QStringLiteral("MeasurementRange"))->text(); }

    // The shown text of a measurement row in a column headed `header` of channel `channel`.
    QString cell(const QString& row, int channel, const QString& header = {}) const
    {
        QApplication::processEvents();
        QTableWidget* t = table();
        int r = 0;
        while (r < t->rowCount() && t->verticalHeaderItem(r)->text() != row)
            ++r;
        const QString caption = header.isEmpty() ? QStringLiteral("CH%1").arg(channel) : header;
        for (int c = (channel - 1) * 6; c < channel * 6; ++c)
            if (t->horizontalHeaderItem(c)->text() == caption && r < t->rowCount())
                return t->isColumnHidden(c) ? QStringLiteral("hidden") : t->item(r, c)->text();
        return QStringLiteral("no cell");
    }
};

} // namespace

class TestMeasurementPanel : public QObject {
    Q_OBJECT
private slots:
    void groupBesideDisplay()
    {
        Window plain({}, false);
        Window with;
        const auto frameOf = [](const Window& w) {
            return w.display->findChild<QGroupBox*>(QString(), Qt::FindDirectChildrenOnly)->geometry();
        };
        QCOMPARE(frameOf(with), frameOf(plain));
        const QRect group = with.window.findChild<QGroupBox*>(QStringLiteral("AnalysisGroup"))->geometry();
        QVERIFY(group.right() < frameOf(with).left());
        // Clear of the cursor readouts' row, whose labels end left of the group.
        for (const char* readout : {"Parameter_1", "Parameter_7", "Parameter_6", "Parameter_8"}) {
            auto* label = with.display->findChild<QLabel*>(QString::fromLatin1(readout));
            QVERIFY(!label->geometry().intersects(group));
        }
    }

    void openedAndRemembered()
    {
        QTemporaryDir dir;
        const QString config = dir.filePath(QStringLiteral("miravo-link.conf"));
        {
            Window w(config);
            QVERIFY(!w.panel()->isVisible());
            QTest::keyClick(&w.window, Qt::Key_M, Qt::ControlModifier);
            QVERIFY(w.panel()->isVisible());
            QVERIFY(w.box()->isChecked());
        }
        {
            Window w(config);   // the next start opens it again
            QVERIFY(w.panel()->isVisible());
            QTest::mouseClick(w.box(), Qt::LeftButton);
            QVERIFY(!w.panel()->isVisible());
            QTest::mouseClick(w.box(), Qt::LeftButton);
            w.panel()->close();   // its title bar's close
            QVERIFY(!w.box()->isChecked());
        }
        QCOMPARE(QSettings(config, QSettings::IniFormat).value(QStringLiteral("views/MeasureView")).toBool(), false);
    }

    void followsRecordChannelsAndCursor()
    {
        Window w;
        QTest::keyClick(&w.window, Qt::Key_M, Qt::ControlModifier);
        w.document.applyFile(PulseRecord(50));
        QCOMPARE(w.cell(QStringLiteral("トップ"), 1), QStringLiteral("2.000 V"));
        QCOMPARE(w.cell(QStringLiteral("周波数"), 1), QStringLiteral("9.766kHz"));   // 1 / (512 x 0.2 us)
        QCOMPARE(w.cell(QStringLiteral("周期数"), 1), QStringLiteral("8"));   // rises at 512, ..., 4608
        QCOMPARE(w.cell(QStringLiteral("デューティ比"), 1), QStringLiteral("25.000 %"));
        QCOMPARE(w.cell(QStringLiteral("周波数"), 2), QStringLiteral("—"));
        QCOMPARE(w.findRange(), QStringLiteral("記録全体 (5120 点)"));

        QTest::mouseClick(w.display->findChild<QCheckBox*>(QStringLiteral("Ch1Flag")), Qt::LeftButton);
        QCOMPARE(w.cell(QStringLiteral("トップ"), 1), QStringLiteral("hidden"));

        // A measurement over the first half's left part: channel 2 reads its +10 counts only.
        WaveWindow* wave = w.display->waveWindow();
        QTest::mouseClick(wave, Qt::LeftButton, {}, QPoint(wave->width() / 10, wave->height() / 2));
        QTest::mouseMove(wave, QPoint(wave->width() * 4 / 10, wave->height() / 2));
        QCOMPARE(w.cell(QStringLiteral("最小値"), 2), QStringLiteral("1.000 V"));
        QVERIFY(w.findRange().startsWith(QStringLiteral("カーソル間")));
        QTest::mouseClick(wave, Qt::RightButton, {}, QPoint(wave->width() / 2, wave->height() / 2));
        QCOMPARE(w.cell(QStringLiteral("最小値"), 2), QStringLiteral("-1.000 V"));
    }

    void statisticsResetAndCopy()
    {
        Window w;
        for (int level : {50, 40, 30})
            w.document.applyFile(PulseRecord(level));
        QTest::keyClick(&w.window, Qt::Key_M, Qt::ControlModifier);
        // Maxima of 2.0, 1.6 and 1.2 V.
        const QString row = QStringLiteral("最大値");
        QCOMPARE(w.cell(row, 1, QStringLiteral("平均")), QStringLiteral("1.600 V"));
        QCOMPARE(w.cell(row, 1, QStringLiteral("標準偏差")), QStringLiteral("400.000mV"));
        QCOMPARE(w.cell(row, 1, QStringLiteral("回数")), QStringLiteral("3"));
        QCOMPARE(w.cell(QStringLiteral("周波数"), 2, QStringLiteral("回数")), QStringLiteral("0"));   // never defined

        QTest::mouseClick(w.panel()->findChild<QPushButton*>(QStringLiteral("MeasurementCopy")), Qt::LeftButton);
        const QStringList lines = QGuiApplication::clipboard()->text().split(QLatin1Char('\n'));
        QCOMPARE(lines.value(0).split(QLatin1Char('\t')).mid(0, 4),
                 (QStringList{QStringLiteral("測定項目"), QStringLiteral("CH1"), QStringLiteral("CH1 平均"), QStringLiteral("CH1 最小")}));
        QCOMPARE(lines.value(1).split(QLatin1Char('\t')).mid(0, 3),
                 (QStringList{row, QStringLiteral("1.200 V"), QStringLiteral("1.600 V")}));

        QTest::mouseClick(w.panel()->findChild<QPushButton*>(QStringLiteral("MeasurementReset")), Qt::LeftButton);
        QCOMPARE(w.cell(row, 1, QStringLiteral("回数")), QStringLiteral("0"));
        QCOMPARE(w.cell(row, 1, QStringLiteral("平均")), QStringLiteral("—"));
    }
};

QTEST_MAIN(TestMeasurementPanel)
#include "test_measurement_panel.moc"
