// frmSetup driven as a user would, on a document: controls found by name, typed into with
// key events, questions answered by script; what it stores is read back from the record.

#include "document/WaveDocument.h"
#include "document/widgets/SetupDialog.h"
#include "support/ScriptedPrompts.h"
#include "support/TypeInto.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <map>
#include <memory>

namespace {

WaveRecord sampleRecord(int32_t lastIndex = 5119, bool locked = false, float sweep = 0.5f, float offset = 25.0f)
{
    WaveRecord record;
    record.Title = "前回の波形";
    record.SecondsPerDiv = sweep;
    record.DelaySeconds = 1e-3f;
    record.Ch1VoltsPerDiv = 2.0f;
    record.Ch2VoltsPerDiv = 0.05f;
    record.Ch1Offset = offset;
    record.Ch2Offset = -10.0f;
    record.EquSampling = kTrue;
    record.LastIndex = lastIndex;
    record.ParamsLocked = locked ? kTrue : kFalse;
    return record;
}

// The setup dialog opened on a document as the Setup button does, shown and painted;
// fresh: straight after a capture of both channels.
struct Opened {
    explicit Opened(const WaveRecord& start = sampleRecord(), bool fresh = false)
    {
        document.applyFile(start);
        if (fresh) {
            CaptureBytes capture(PlanCapture(1, 1, 0));
            for (int channel : {1, 2})
                capture.add(channel, QByteArray(kNormalPoints, 0x10));
            document.applyCapture(std::move(capture));
        }
        document.beginSetup();
        dialog = std::make_unique<SetupDialog>(document.record(), prompts, nullptr, clock);
        QObject::connect(dialog.get(), &QDialog::finished, [this] {
            document.endSetup(dialog->stored(), dialog->confirmed(), false);
        });
        dialog->show();
        dialog->activateWindow();
        if (!QTest::qWaitForWindowActive(dialog.get()))
            qFatal("dialog not shown");
        QCoreApplication::processEvents();
    }
    template <typename T = QWidget>
    T* at(const QString& name)
    {
        T* widget = dialog->findChild<T*>(name);
        if (!widget)
            qFatal("no control %s", qPrintable(name));
        return widget;
    }
    QLineEdit* edit(const QString& name)
    {
        auto* combo = qobject_cast<QComboBox*>(at(name));
        return combo ? combo->lineEdit() : at<QLineEdit>(name);
    }
    void type(const QString& name, const QString& text) { typeInto(at(name), text); }
    void press(int index) { QTest::mouseClick(at<QPushButton>(QStringLiteral("Command1_%1").arg(index)), Qt::LeftButton); }

    static QDateTime clock() { return QDateTime(QDate(2026, 12, 5), QTime(9, 5, 5)); }

    WaveDocument document;
    ScriptedPrompts prompts;
    std::unique_ptr<SetupDialog> dialog;
};

// The parameters of a record, without the samples and what the refresh derives.
WaveRecord parameters(WaveRecord record)
{
    record.Samples = {};
    record.SecondsPerSample = 0;
    record.FreshCapture = kFalse;
    return record;
}

// equKept: short enough for equivalent sampling; fresh: just taken from the instrument (FreshCapture);
// sweep: seconds a division, 0 unset; offset: CH1, in counts.
struct OpeningCase { int lastIndex; bool locked, equKept, fresh; float sweep, offset; QString sweepText, offsetText; };

// answer: to the question asked, if any; title: shown afterwards.
struct WayOutCase { QString how; QMessageBox::StandardButton answer; QString title; bool closes; };

// message: empty: stored; confirm: 設定確定, answered Yes, instead of OK; stored: where nothing is refused.
struct ValueCase { QString box, typed, message; bool confirm; float stored; };

} // namespace

class TestSetupDialog : public QObject {
    Q_OBJECT
private slots:
    void opening_data()
    {
        QTest::addColumn<OpeningCase>("c");

        QTest::newRow("5120 samples, unlocked, fresh") << OpeningCase{5119, false, true, true, 0.5f, 25.0f, "500m", "1"};
        QTest::newRow("6001 samples, locked, absurd values") << OpeningCase{6000, true, true, false, 0.0f, 1e9f, "0 ", "4E+07"};
        QTest::newRow("6002 samples, unlocked") << OpeningCase{6001, false, false, false, 0.0f, -127.0f, "0 ", "-5.08"};
    }
    void opening()
    {
        QFETCH(OpeningCase, c);
        auto& [lastIndex, locked, equKept, fresh, sweep, offset, sweepText, offsetText] = c;

        Opened o(sampleRecord(lastIndex, locked, sweep, offset), fresh);
        WaveRecord expected = parameters(o.document.record());
        QStringList shown;
        for (const char* name : {"Title", "SetupCombo_0", "SetupCombo_1", "SetupCombo_2", "SetupOffset_0", "SetupOffset_1", "Delay"})
            shown << o.edit(name)->text();
        // Offsets in divisions of 25 counts; an unset sweep stays unset.
        QCOMPARE(shown, (QStringList{"前回の波形", sweepText, "2 ", "50m", offsetText, "-0.4", "1m"}));
        QCOMPARE(o.at<QLabel>("DataLength")->text(), QStringLiteral("Data : %1/Ch").arg(lastIndex + 1));
        QCOMPARE(o.at("Command1_3")->isVisible(), !locked);
        for (const char* name : {"SetupCombo_0", "SetupCombo_1", "SetupCombo_2", "SetupOffset_0", "SetupOffset_1", "Delay"})
            QVERIFY2(o.at(name)->isEnabled() == !locked, name);
        QCOMPARE(o.at<QCheckBox>("EquSamplingCheck")->isChecked(), equKept);
        QCOMPARE(o.at("EquSamplingCheck")->isEnabled(), equKept && !locked);

        // The fresh-capture warning: once per opening, however often it is repainted.
        for (int i = 0; i < 3; ++i) {
            o.dialog->repaint();
            QCoreApplication::processEvents();
        }
        QCOMPARE(o.prompts.asked.size(), fresh ? 1 : 0);
        if (fresh)
            QVERIFY(o.prompts.asked.first().text.startsWith(QStringLiteral("波形の新規取り込み直後です！")));

        // OK without a change stores back what was shown, each value in its own field; locked,
        // the edited title with the values re-read from the boxes, unchecked: a file's protected
        // values load as they are. A record too long for equivalent sampling loses the flag at once.
        if (locked) {
            o.type("Title", "Title 2");
            expected.Title = "Title 2";
        }
        o.press(1);
        QVERIFY(parameters(o.document.record()) == expected);
        QCOMPARE(o.document.record().EquSampling, equKept ? kTrue : kFalse);
    }
    void waysOut_data()
    {
        QTest::addColumn<WayOutCase>("c");

        for (const char* how : {"OK", "cancel", "escape", "close box"})
            QTest::newRow(how) << WayOutCase{QString::fromLatin1(how), QMessageBox::No, "Title 2", true};
        QTest::newRow("enter") << WayOutCase{"enter", QMessageBox::No, "Title 2", false};
        QTest::newRow("date and time, no") << WayOutCase{"date", QMessageBox::No, "Title 2", false};
        QTest::newRow("date and time, yes") << WayOutCase{"date", QMessageBox::Yes, "5-Dec-2026 09:05:05", false};
        QTest::newRow("confirm, no") << WayOutCase{"confirm", QMessageBox::No, "Title 2", false};
        QTest::newRow("confirm, yes") << WayOutCase{"confirm", QMessageBox::Yes, "Title 2", true};
    }
    // Only OK and a confirmation store: numbers through ParseEng, offsets from divisions to
    // counts. Enter closes nothing (no default button); each question defaults to No. A dialog
    // still open at the end is cancelled: nothing stored.
    void waysOut()
    {
        QFETCH(WayOutCase, c);
        auto& [how, answer, title, closes] = c;
        const bool confirmed = how == "confirm" && answer == QMessageBox::Yes;

        Opened o;
        WaveRecord expected = parameters(o.document.record());
        o.prompts.answers.push_back(answer);
        o.type("Title", "Title 2");
        o.type("SetupCombo_0", "2u");
        o.type("SetupOffset_0", "-0.4");
        o.type("SetupOffset_1", "1");
        QTest::mouseClick(o.at("EquSamplingCheck"), Qt::LeftButton);
        if (how == "OK")
            o.press(1);
        else if (how == "cancel")
            o.press(2);
        else if (how == "escape")
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        else if (how == "close box")
            o.dialog->close();
        else if (how == "enter")
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        else
            o.press(how == "date" ? 0 : 3);
        const bool asks = how == "date" || how == "confirm";
        QCOMPARE(o.prompts.asked.size(), asks ? 1 : 0);
        if (asks)
            QCOMPARE(o.prompts.asked.first().defaultButton, QMessageBox::No);
        QCOMPARE(o.prompts.beeps, how == "date" ? 1 : 0);
        QCOMPARE(o.edit("Title")->text(), title);
        QCOMPARE(o.dialog->isVisible(), !closes);
        if (!closes)
            o.press(2);
        if (how == "OK" || confirmed) {
            expected.Title = "Title 2";
            expected.SecondsPerDiv = 2e-6f;
            expected.Ch1Offset = -10.0f;
            expected.Ch2Offset = 25.0f;
            expected.EquSampling = kFalse;
            expected.ParamsLocked = confirmed ? kTrue : kFalse;
        }
        QVERIFY(parameters(o.document.record()) == expected);
        // A typed text is a value, not a new list entry.
        QCOMPARE(o.at<QComboBox>("SetupCombo_0")->count(), 31);
    }

    void absurdValuesRefused_data()
    {
        QTest::addColumn<ValueCase>("c");

        const QString sweep = QStringLiteral("掃引速度（sec/DIV）には 0 より大きい数値を入力してください。");
        const QString offset2 = QStringLiteral("CH2 のオフセットには -1000 から 1000 までの DIV 数を入力してください。");
        QTest::newRow("sweep 0") << ValueCase{"SetupCombo_0", "0", sweep, false, 0.0f};
        QTest::newRow("sweep beyond float") << ValueCase{"SetupCombo_0", "1e39", sweep, false, 0.0f};
        QTest::newRow("sweep not a number") << ValueCase{"SetupCombo_0", "abc", sweep, true, 0.0f};
        QTest::newRow("sweep 5n") << ValueCase{"SetupCombo_0", "5n", {}, false, 5e-9f};
        // What is typed is what is stored: no list entry completes "1" into "100" or "100m"
        // (every list is made alike).
        QTest::newRow("sweep 1, not completed") << ValueCase{"SetupCombo_0", "1", {}, false, 1.0f};
        QTest::newRow("V/DIV 2 2, not completed") << ValueCase{"SetupCombo_2", "2", {}, true, 2.0f};
        QTest::newRow("offset 1 -1000 DIV") << ValueCase{"SetupOffset_0", "-1000", {}, false, -25000.0f};
        QTest::newRow("offset 2 infinite") << ValueCase{"SetupOffset_1", "-1e39", offset2, false, 0.0f};
    }
    // Values that make plainly wrong times and voltages are refused with a message; the
    // dialog stays open with the field focused, and nothing is stored or protected. The check
    // is the one miravo-cli capture makes: tests/cli/test_cli_arguments has its other refusals.
    void absurdValuesRefused()
    {
        QFETCH(ValueCase, c);
        auto& [box, typed, message, confirm, stored] = c;

        Opened o;
        const WaveRecord before = parameters(o.document.record());
        o.type(box, typed);
        if (confirm)
            o.prompts.answers.push_back(QMessageBox::Yes);
        o.press(confirm ? 3 : 1);
        QCOMPARE(o.dialog->isVisible(), !message.isEmpty());
        if (message.isEmpty()) {
            const WaveRecord& r = o.document.record();
            const std::map<QString, float> values{{"SetupCombo_0", r.SecondsPerDiv}, {"SetupCombo_1", r.Ch1VoltsPerDiv},
                                                  {"SetupCombo_2", r.Ch2VoltsPerDiv}, {"SetupOffset_0", r.Ch1Offset}};
            QCOMPARE(values.at(box), stored);
            return;
        }
        QCOMPARE(o.prompts.asked.last().text, message);
        QCOMPARE(o.prompts.asked.last().icon, QMessageBox::Warning);
        QCOMPARE(QApplication::focusWidget(), o.at(box));
        QCOMPARE(o.edit(box)->selectedText(), typed);
        o.press(2);
        QVERIFY(parameters(o.document.record()) == before);
    }
};

QTEST_MAIN(TestSetupDialog)
#include "test_setup_dialog.moc"
