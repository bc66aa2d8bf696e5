// frmSetup driven as a user would: controls found by name, questions answered by script.

#include "app/SetupDialog.h"
#include "support/ScriptedPrompts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace {

WaveRecord sampleRecord()
{
    WaveRecord record;
    record.Title = "前回の波形";
    record.SecondsPerDiv = 0.5f;
    record.DelaySeconds = 1e-3f;
    record.Ch1VoltsPerDiv = 2.0f;
    record.Ch2VoltsPerDiv = 0.05f;
    record.Ch1Offset = 25.0f;
    record.Ch2Offset = -10.0f;
    record.Samples(1, 7) = 42;
    return record;
}

// A dialog on its own record, shown and painted.
struct Opened {
    explicit Opened(const WaveRecord& start = sampleRecord()) : record(start), dialog(record, prompts, nullptr, clock)
    {
        dialog.show();
        if (!QTest::qWaitForWindowExposed(&dialog))
            qFatal("dialog not shown");
        QCoreApplication::processEvents();
    }
    template <typename T = QWidget>
    T* at(const char* name)
    {
        T* widget = dialog.findChild<T*>(QString::fromLatin1(name));
        if (!widget)
            qFatal("no control %s", name);
        return widget;
    }
    void press(int index) { QTest::mouseClick(at<QPushButton>(qPrintable(QStringLiteral("Command1_%1").arg(index))), Qt::LeftButton); }

    static QDateTime clock() { return QDateTime(QDate(2026, 12, 5), QTime(22, 5, 5)); }

    WaveRecord record;
    ScriptedPrompts prompts;
    SetupDialog dialog;
};

WaveRecord withField(int16_t WaveRecord::*field, int16_t value, int32_t lastIndex = 5119)
{
    WaveRecord record = sampleRecord();
    record.*field = value;
    record.LastIndex = lastIndex;
    return record;
}

} // namespace

class TestSetupDialog : public QObject {
    Q_OBJECT
private slots:
    void opensWithTheRecordsValues();
    void equSamplingFollowsTheLength_data();
    void equSamplingFollowsTheLength();
    void protectionModes_data();
    void protectionModes();
    void lockedOkStoresTitleWithReReadValues();
    void okStoresWhatWasTyped();
    void closingWithoutOkStoresNothing_data();
    void closingWithoutOkStoresNothing();
    void enterDoesNotPressOk();
    void confirm_data();
    void confirm();
    void dateAndTime_data();
    void dateAndTime();
    void freshCaptureWarning_data();
    void freshCaptureWarning();
};

void TestSetupDialog::opensWithTheRecordsValues()
{
    Opened o;
    QCOMPARE(o.dialog.windowTitle(), QStringLiteral("セットアップ情報"));
    QCOMPARE(o.at<QLineEdit>("Title")->text(), QStringLiteral("前回の波形"));
    QCOMPARE(o.at<QComboBox>("SetupCombo_0")->currentText(), QStringLiteral("500m"));
    QCOMPARE(o.at<QComboBox>("SetupCombo_1")->currentText(), QStringLiteral("2 "));
    QCOMPARE(o.at<QComboBox>("SetupCombo_2")->currentText(), QStringLiteral("50m"));
    QCOMPARE(o.at<QLineEdit>("SetupOffset_0")->text(), QStringLiteral("1"));
    QCOMPARE(o.at<QLineEdit>("SetupOffset_1")->text(), QStringLiteral("-0.4"));
    QCOMPARE(o.at<QLineEdit>("Delay")->text(), QStringLiteral("1m"));
    QCOMPARE(o.at<QComboBox>("SetupCombo_0")->count(), 31);
    QCOMPARE(o.at<QComboBox>("SetupCombo_0")->itemText(6), QStringLiteral("500m"));
    QCOMPARE(o.at<QComboBox>("SetupCombo_1")->count(), 15);
    QCOMPARE(o.at<QComboBox>("SetupCombo_2")->itemText(14), QStringLiteral("2m"));
    QCOMPARE(o.at<QPlainTextEdit>("Text1")->toPlainText().split('\n').size(), 12);
    QCOMPARE(o.at<QPushButton>("Command1_0")->text(), QStringLiteral("Date && Time"));
    const auto* length = o.at<QLabel>("DataLength");
    QCOMPARE(length->palette().color(QPalette::Window), QColor(0, 0, 192));
    QCOMPARE(length->palette().color(QPalette::WindowText), QColor(Qt::white));
}

void TestSetupDialog::equSamplingFollowsTheLength_data()
{
    QTest::addColumn<int>("lastIndex");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("enabled");

    QTest::newRow("5120 samples") << 5119 << "Data : 5120/Ch" << true;
    QTest::newRow("6001 samples") << 6000 << "Data : 6001/Ch" << true;
    QTest::newRow("6002 samples") << 6001 << "Data : 6002/Ch" << false;
    QTest::newRow("long record") << 102399 << "Data : 102400/Ch" << false;
}

void TestSetupDialog::equSamplingFollowsTheLength()
{
    QFETCH(int, lastIndex);
    QFETCH(QString, caption);
    QFETCH(bool, enabled);

    Opened o(withField(&WaveRecord::EquSampling, kTrue, lastIndex));
    QCOMPARE(o.at<QLabel>("DataLength")->text(), caption);
    auto* check = o.at<QCheckBox>("EquSamplingCheck");
    QCOMPARE(check->isEnabled(), enabled);
    QCOMPARE(check->isChecked(), enabled);
    // Cleared as soon as the dialog opens, and Cancel does not bring it back.
    const int16_t expected = enabled ? kTrue : kFalse;
    QCOMPARE(o.record.EquSampling, expected);
    o.press(2);
    QCOMPARE(o.record.EquSampling, expected);
}

void TestSetupDialog::protectionModes_data()
{
    QTest::addColumn<int>("locked");
    QTest::addColumn<QString>("comment");
    QTest::addColumn<QColor>("background");

    QTest::newRow("unlocked") << int(kFalse) << "パラメーター設定は慎重に！" << QColor(255, 30, 30);
    QTest::newRow("locked") << int(kTrue) << "主要ﾊﾟﾗﾒｰﾀｰは保護されています！" << QColor(0, 0, 192);
}

void TestSetupDialog::protectionModes()
{
    QFETCH(int, locked);
    QFETCH(QString, comment);
    QFETCH(QColor, background);

    Opened o(withField(&WaveRecord::ParamsLocked, int16_t(locked)));
    const auto* label = o.at<QLabel>("Comment");
    QCOMPARE(label->text(), comment);
    QCOMPARE(label->palette().color(QPalette::Window), background);
    QCOMPARE(label->palette().color(QPalette::WindowText), QColor(Qt::white));
    QCOMPARE(o.at("Command1_3")->isVisible(), !locked);
    for (const char* name : {"SetupCombo_0", "SetupCombo_1", "SetupCombo_2", "SetupOffset_0", "SetupOffset_1",
                             "Delay", "EquSamplingCheck"})
        QVERIFY2(o.at(name)->isEnabled() == !locked, name);
    for (const char* name : {"Title", "Command1_0", "Command1_1", "Command1_2"})
        QVERIFY2(o.at(name)->isEnabled(), name);
}

void TestSetupDialog::lockedOkStoresTitleWithReReadValues()
{
    WaveRecord start = withField(&WaveRecord::ParamsLocked, kTrue);
    start.EquSampling = kTrue;
    Opened o(start);
    auto* title = o.at<QLineEdit>("Title");
    title->selectAll();
    title->insert(QStringLiteral("新しい題"));
    o.press(1);

    QCOMPARE(o.dialog.result(), int(QDialog::Accepted));
    start.Title = "新しい題";
    QVERIFY(o.record == start);
}

void TestSetupDialog::okStoresWhatWasTyped()
{
    Opened o;
    auto* sweep = o.at<QComboBox>("SetupCombo_0")->lineEdit();
    sweep->selectAll();
    QTest::keyClicks(sweep, QStringLiteral("2u"));
    auto* offset = o.at<QLineEdit>("SetupOffset_1");
    offset->selectAll();
    QTest::keyClicks(offset, QStringLiteral("-0.4"));
    o.at<QLineEdit>("SetupOffset_0")->setText(QStringLiteral("0.5"));
    o.at<QComboBox>("SetupCombo_1")->setCurrentIndex(7);   // "500m"
    o.at<QCheckBox>("EquSamplingCheck")->setChecked(true);
    o.press(1);

    QVERIFY(!o.dialog.isVisible());
    QCOMPARE(o.record.SecondsPerDiv, 2e-6f);
    QCOMPARE(o.record.Ch2Offset, -10.0f);
    QCOMPARE(o.record.Ch1Offset, 12.5f);
    QCOMPARE(o.record.Ch1VoltsPerDiv, 0.5f);
    QCOMPARE(o.record.EquSampling, kTrue);
    QCOMPARE(o.record.ParamsLocked, kFalse);
    QCOMPARE(o.record.Samples(1, 7), int16_t(42));
}

void TestSetupDialog::closingWithoutOkStoresNothing_data()
{
    QTest::addColumn<int>("how");
    QTest::newRow("cancel") << 0;
    QTest::newRow("escape") << 1;
    QTest::newRow("close box") << 2;
    QTest::newRow("index out of range") << 3;
}

void TestSetupDialog::closingWithoutOkStoresNothing()
{
    QFETCH(int, how);

    Opened o;
    auto* title = o.at<QLineEdit>("Title");
    title->setText(QStringLiteral("捨てる"));
    o.at<QLineEdit>("SetupOffset_0")->setText(QStringLiteral("3"));
    o.at<QComboBox>("SetupCombo_0")->setEditText(QStringLiteral("1u"));
    switch (how) {
    case 0: o.press(2); break;
    case 1: QTest::keyClick(title, Qt::Key_Escape); break;
    case 2: o.dialog.close(); break;
    default: o.dialog.Command1_Click(9); break;
    }
    QVERIFY(!o.dialog.isVisible());
    QCOMPARE(o.dialog.result(), int(QDialog::Rejected));
    QVERIFY(o.record == sampleRecord());
}

void TestSetupDialog::enterDoesNotPressOk()
{
    Opened o;
    auto* title = o.at<QLineEdit>("Title");
    title->setText(QStringLiteral("途中"));
    QTest::keyClick(title, Qt::Key_Return);
    QTest::keyClick(o.at<QComboBox>("SetupCombo_0")->lineEdit(), Qt::Key_Enter);
    QVERIFY(o.dialog.isVisible());
    QVERIFY(o.record == sampleRecord());
    // A typed text is a value, not a new list entry.
    QCOMPARE(o.at<QComboBox>("SetupCombo_0")->count(), 31);
}

void TestSetupDialog::confirm_data()
{
    QTest::addColumn<QMessageBox::StandardButton>("answer");
    QTest::newRow("no") << QMessageBox::No;
    QTest::newRow("yes") << QMessageBox::Yes;
}

void TestSetupDialog::confirm()
{
    QFETCH(QMessageBox::StandardButton, answer);
    const bool yes = answer == QMessageBox::Yes;

    Opened o;
    o.prompts.answers.push_back(answer);
    o.at<QLineEdit>("SetupOffset_0")->setText(QStringLiteral("2"));
    o.press(3);

    QCOMPARE(o.prompts.asked.size(), 1);
    const auto& asked = o.prompts.asked.first();
    QCOMPARE(asked.caption, QStringLiteral("パラメーター確定の確認"));
    QCOMPARE(asked.text, QStringLiteral("時間・電圧・位置のパラメーターを確定し保護します。\nよろしいですか？"));
    QCOMPARE(asked.icon, QMessageBox::NoIcon);
    QCOMPARE(asked.defaultButton, QMessageBox::No);
    QCOMPARE(o.dialog.isVisible(), !yes);
    QCOMPARE(o.record.ParamsLocked, yes ? kTrue : kFalse);
    QCOMPARE(o.record.Ch1Offset, yes ? 50.0f : 25.0f);
}

void TestSetupDialog::dateAndTime_data()
{
    QTest::addColumn<QMessageBox::StandardButton>("answer");
    QTest::addColumn<QString>("shown");

    QTest::newRow("no") << QMessageBox::No << "前回の波形";
    QTest::newRow("yes") << QMessageBox::Yes << "5-Dec-2026 22:05:05";
}

void TestSetupDialog::dateAndTime()
{
    QFETCH(QMessageBox::StandardButton, answer);
    QFETCH(QString, shown);

    Opened o;
    o.prompts.answers.push_back(answer);
    o.press(0);

    QCOMPARE(o.prompts.beeps, 1);
    QCOMPARE(o.prompts.asked.size(), 1);
    QCOMPARE(o.prompts.asked.first().text, QStringLiteral("タイトル枠へ現在の日付と時間を設定します。\nよろしいですか？"));
    QCOMPARE(o.prompts.asked.first().icon, QMessageBox::Warning);
    QCOMPARE(o.prompts.asked.first().defaultButton, QMessageBox::No);
    QVERIFY(o.dialog.isVisible());
    QCOMPARE(o.at<QLineEdit>("Title")->text(), shown);
    o.press(2);
    QVERIFY(o.record == sampleRecord());
}

void TestSetupDialog::freshCaptureWarning_data()
{
    QTest::addColumn<int>("fresh");
    QTest::newRow("fresh capture") << int(kTrue);
    QTest::newRow("no capture") << int(kFalse);
}

void TestSetupDialog::freshCaptureWarning()
{
    QFETCH(int, fresh);
    const int warnings = fresh == kTrue ? 1 : 0;

    WaveRecord record = withField(&WaveRecord::FreshCapture, int16_t(fresh));
    ScriptedPrompts prompts;
    // Two openings: each warns once, however often it is repainted.
    for (int opening = 1; opening <= 2; ++opening) {
        SetupDialog dialog(record, prompts);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        for (int i = 0; i < 3; ++i) {
            dialog.repaint();
            QCoreApplication::processEvents();
        }
        QCOMPARE(prompts.asked.size(), warnings * opening);
        dialog.Command1_Click(2);
    }
    QCOMPARE(int(record.FreshCapture), fresh);
    if (warnings == 0)
        return;
    const auto& asked = prompts.asked.first();
    QCOMPARE(asked.caption, QString());   // the application's title
    QCOMPARE(asked.text, QStringLiteral("波形の新規取り込み直後です！\n\n時間軸・オフセット等は正確に設定してください！！"));
    QCOMPARE(asked.icon, QMessageBox::Warning);
    QCOMPARE(asked.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
}

QTEST_MAIN(TestSetupDialog)
#include "test_setup_dialog.moc"
