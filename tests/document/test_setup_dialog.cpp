// frmSetup driven as a user would, on a document: controls found by name, typed into with
// key events, questions answered by script; what it stores is read back from the record.

#include "document/WaveDocument.h"
#include "document/widgets/SetupDialog.h"
#include "support/ScriptedPrompts.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

namespace {

WaveRecord sampleRecord(int32_t lastIndex = 5119, bool locked = false)
{
    WaveRecord record;
    record.Title = "前回の波形";
    record.SecondsPerDiv = 0.5f;
    record.DelaySeconds = 1e-3f;
    record.Ch1VoltsPerDiv = 2.0f;
    record.Ch2VoltsPerDiv = 0.05f;
    record.Ch1Offset = 25.0f;
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
    // Clicks into the box, selects its text and types over it.
    void type(const QString& name, const QString& text)
    {
        QTest::mouseClick(edit(name), Qt::LeftButton);
        QWidget* focused = QApplication::focusWidget();
        QTest::keyClick(focused, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(focused, text);
    }
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

} // namespace

class TestSetupDialog : public QObject {
    Q_OBJECT
private slots:
    void opening_data();
    void opening();
    void typedValuesStoredAsTyped_data();
    void typedValuesStoredAsTyped();
    void waysOut_data();
    void waysOut();
    void questions_data();
    void questions();
};

void TestSetupDialog::opening_data()
{
    QTest::addColumn<int>("lastIndex");
    QTest::addColumn<bool>("locked");
    QTest::addColumn<bool>("equKept");   // short enough for equivalent sampling
    QTest::addColumn<bool>("fresh");     // FreshCapture: just taken from the instrument

    QTest::newRow("5120 samples, unlocked, fresh") << 5119 << false << true << true;
    QTest::newRow("6001 samples, locked") << 6000 << true << true << false;
    QTest::newRow("6002 samples, unlocked") << 6001 << false << false << false;
}

void TestSetupDialog::opening()
{
    QFETCH(int, lastIndex);
    QFETCH(bool, locked);
    QFETCH(bool, equKept);
    QFETCH(bool, fresh);

    Opened o(sampleRecord(lastIndex, locked), fresh);
    WaveRecord expected = parameters(o.document.record());
    QStringList shown;
    for (const char* name : {"Title", "SetupCombo_0", "SetupCombo_1", "SetupCombo_2", "SetupOffset_0", "SetupOffset_1", "Delay"})
        shown << o.edit(name)->text();
    // 0.5 s as "500m"; offsets of 25 and -10 counts as 1 and -0.4 divisions.
    QCOMPARE(shown, (QStringList{"前回の波形", "500m", "2 ", "50m", "1", "-0.4", "1m"}));
    QCOMPARE(o.at<QLabel>("DataLength")->text(), QStringLiteral("Data : %1/Ch").arg(lastIndex + 1));
    QCOMPARE(o.at("Command1_3")->isVisible(), !locked);
    for (const char* name : {"SetupCombo_0", "SetupCombo_1", "SetupCombo_2", "SetupOffset_0", "SetupOffset_1", "Delay"})
        QVERIFY2(o.at(name)->isEnabled() == !locked, name);
    QVERIFY(o.at("Title")->isEnabled());
    QCOMPARE(o.at<QCheckBox>("EquSamplingCheck")->isChecked(), equKept);
    QCOMPARE(o.at("EquSamplingCheck")->isEnabled(), equKept && !locked);

    // The fresh-capture warning: once per opening, however often it is repainted.
    for (int i = 0; i < 3; ++i) {
        o.dialog->repaint();
        QCoreApplication::processEvents();
    }
    QCOMPARE(o.prompts.asked.size(), fresh ? 1 : 0);
    if (fresh) {
        const auto& asked = o.prompts.asked.first();
        QCOMPARE(asked.caption, QString());   // the application's title
        QCOMPARE(asked.text, QStringLiteral("波形の新規取り込み直後です！\n\n時間軸・オフセット等は正確に設定してください！！"));
        QCOMPARE(asked.icon, QMessageBox::Warning);
    }

    // Locked, OK stores the edited title with the values re-read from the boxes. A record
    // too long for equivalent sampling loses the flag at once, even when cancelled.
    if (locked) {
        o.type("Title", "Title 2");
        expected.Title = "Title 2";
    }
    o.press(locked ? 1 : 2);
    QVERIFY(parameters(o.document.record()) == expected);
    QCOMPARE(o.document.record().EquSampling, equKept ? kTrue : kFalse);
    QCOMPARE(o.document.isHeld(), false);
}

void TestSetupDialog::typedValuesStoredAsTyped_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<float>("stored");

    for (const char* box : {"SetupCombo_0", "SetupCombo_1", "SetupCombo_2"})
        for (const char* typed : {"1", "2", "5", "10", "100"})
            QTest::addRow("%s %s", box, typed) << QString::fromLatin1(box) << QString::fromLatin1(typed)
                                               << QString::fromLatin1(typed).toFloat();
}

// What is typed is what is stored: no list entry completes "1" into "100" or "100m".
void TestSetupDialog::typedValuesStoredAsTyped()
{
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(float, stored);

    Opened o;
    o.type(box, typed);
    o.press(1);
    const WaveRecord& record = o.document.record();
    const float values[3] = {record.SecondsPerDiv, record.Ch1VoltsPerDiv, record.Ch2VoltsPerDiv};
    QCOMPARE(values[box.back().digitValue()], stored);
}

void TestSetupDialog::waysOut_data()
{
    QTest::addColumn<QString>("how");
    for (const char* how : {"OK", "cancel", "escape", "close box", "index out of range", "enter"})
        QTest::newRow(how) << QString::fromLatin1(how);
}

// Only OK stores: numbers through ParseEng, offsets from divisions to counts. Enter closes
// nothing (no default button).
void TestSetupDialog::waysOut()
{
    QFETCH(QString, how);
    const bool ok = how == "OK";

    Opened o;
    WaveRecord expected = parameters(o.document.record());
    o.type("Title", "Title 2");
    o.type("SetupCombo_0", "2u");
    o.type("SetupOffset_0", "-0.4");
    o.type("SetupOffset_1", "1");
    QTest::mouseClick(o.at("EquSamplingCheck"), Qt::LeftButton);
    if (ok)
        o.press(1);
    else if (how == "cancel")
        o.press(2);
    else if (how == "escape")
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    else if (how == "close box")
        o.dialog->close();
    else if (how == "index out of range")
        o.dialog->Command1_Click(9);
    else
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(o.dialog->isVisible(), how == "enter");
    if (ok) {
        expected.Title = "Title 2";
        expected.SecondsPerDiv = 2e-6f;
        expected.Ch1Offset = -10.0f;
        expected.Ch2Offset = 25.0f;
        expected.EquSampling = kFalse;
    }
    QVERIFY(parameters(o.document.record()) == expected);
    // A typed text is a value, not a new list entry.
    QCOMPARE(o.at<QComboBox>("SetupCombo_0")->count(), 31);
}

void TestSetupDialog::questions_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<QMessageBox::StandardButton>("answer");
    QTest::addColumn<QString>("title");   // shown afterwards
    QTest::addColumn<bool>("closes");

    QTest::newRow("date and time, no") << 0 << QMessageBox::No << "前回の波形" << false;
    QTest::newRow("date and time, yes") << 0 << QMessageBox::Yes << "5-Dec-2026 09:05:05" << false;
    QTest::newRow("confirm, no") << 3 << QMessageBox::No << "前回の波形" << false;
    QTest::newRow("confirm, yes") << 3 << QMessageBox::Yes << "前回の波形" << true;
}

// Each question defaults to No. A dialog left open is then cancelled: nothing stored.
void TestSetupDialog::questions()
{
    QFETCH(int, button);
    QFETCH(QMessageBox::StandardButton, answer);
    QFETCH(QString, title);
    QFETCH(bool, closes);
    const bool date = button == 0;

    Opened o;
    WaveRecord expected = parameters(o.document.record());
    o.prompts.answers.push_back(answer);
    o.type("SetupOffset_0", "2");
    o.press(button);

    QCOMPARE(o.prompts.asked.size(), 1);
    const auto& asked = o.prompts.asked.first();
    QCOMPARE(asked.caption, date ? QString() : QStringLiteral("パラメーター確定の確認"));
    QCOMPARE(asked.icon, date ? QMessageBox::Warning : QMessageBox::NoIcon);
    QCOMPARE(asked.defaultButton, QMessageBox::No);
    QCOMPARE(o.prompts.beeps, date ? 1 : 0);
    QCOMPARE(o.edit("Title")->text(), title);
    QCOMPARE(o.dialog->isVisible(), !closes);
    if (!closes)
        o.press(2);
    if (closes) {
        expected.ParamsLocked = kTrue;
        expected.Ch1Offset = 50.0f;
    }
    QVERIFY(parameters(o.document.record()) == expected);
}

QTEST_MAIN(TestSetupDialog)
#include "test_setup_dialog.moc"
