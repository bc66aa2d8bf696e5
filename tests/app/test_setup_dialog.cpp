// frmSetup driven as a user would: controls found by name, questions answered by script.

#include "app/SetupDialog.h"
#include "support/ScriptedPrompts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
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
    record.LastIndex = 5119;
    record.Samples(1, 7) = 42;
    return record;
}

template <typename T>
T* child(QWidget& dialog, const QString& name)
{
    T* widget = dialog.findChild<T*>(name);
    if (!widget)
        qFatal("no control %s", qPrintable(name));
    return widget;
}

QPushButton* button(QWidget& dialog, int index)
{
    return child<QPushButton>(dialog, QStringLiteral("Command1_%1").arg(index));
}

void showAndPaint(QDialog& dialog)
{
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCoreApplication::processEvents();
}

const QDateTime kNow(QDate(2026, 12, 5), QTime(22, 5, 5));

} // namespace

class TestSetupDialog : public QObject {
    Q_OBJECT
private slots:
    void controlsCarryTheirTexts_data();
    void controlsCarryTheirTexts();
    void listsAndGuidance();
    void opensWithTheRecordsValues();
    void equSamplingFollowsTheLength_data();
    void equSamplingFollowsTheLength();
    void protectionModes_data();
    void protectionModes();
    void lockedOkStoresTitleWithReReadValues();
    void okStoresWhatWasTyped_data();
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

void TestSetupDialog::controlsCarryTheirTexts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("tip");

    QTest::newRow("sweep") << "SetupCombo_0" << "" << "掃引速度";
    QTest::newRow("ch1 volts") << "SetupCombo_1" << "" << "CH1 電圧レンジ";
    QTest::newRow("ch2 volts") << "SetupCombo_2" << "" << "CH2 電圧レンジ";
    QTest::newRow("delay") << "Delay" << "" << "遅延時間";
    QTest::newRow("title") << "Title" << "" << "タイトル欄";
    QTest::newRow("ch1 offset") << "SetupOffset_0" << "" << "CH1 オフセット";
    QTest::newRow("ch2 offset") << "SetupOffset_1" << "" << "CH2 オフセット";
    QTest::newRow("equ sampling") << "EquSamplingCheck" << "等価サンプリング" << "等価ｻﾝﾌﾟﾘﾝｸﾞ波形はチェックを！";
    QTest::newRow("date and time") << "Command1_0" << "Date && Time" << "タイトルとして日付と時間を代入します";
    QTest::newRow("ok") << "Command1_1" << "OK" << "確認＆終了";
    QTest::newRow("cancel") << "Command1_2" << "Cancel" << "設定破棄＆終了";
    QTest::newRow("confirm") << "Command1_3" << "設定確定" << "確定すると、設定値は保護され変更出来ません！";
    QTest::newRow("frame 1") << "Frame1_0" << " Ch 1 " << "";
    QTest::newRow("frame 2") << "Frame1_1" << " Ch 2 " << "";
    QTest::newRow("label sweep unit") << "Label1_0" << "sec/DIV" << "";
    QTest::newRow("label delay unit") << "Label1_1" << "sec" << "";
    QTest::newRow("label title") << "Label1_2" << "Ｔｉｔｌｅ" << "";
    QTest::newRow("label sweep") << "Label1_3" << "Sweep" << "";
    QTest::newRow("label delay") << "Label1_4" << "Delay" << "";
    QTest::newRow("label ch1 scale") << "Label1_5" << "V Scale" << "";
    QTest::newRow("label ch2 offset unit") << "Label1_12" << "DIV" << "";
}

void TestSetupDialog::controlsCarryTheirTexts()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QString, tip);

    WaveRecord record = sampleRecord();
    ScriptedPrompts prompts;
    SetupDialog dialog(record, prompts);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("セットアップ情報"));
    QWidget* widget = child<QWidget>(dialog, name);
    QCOMPARE(widget->toolTip(), tip);
    if (auto* b = qobject_cast<QAbstractButton*>(widget))
        QCOMPARE(b->text(), caption);
    else if (auto* l = qobject_cast<QLabel*>(widget))
        QCOMPARE(l->text(), caption);
    else if (auto* g = qobject_cast<QGroupBox*>(widget))
        QCOMPARE(g->title(), caption);
}

void TestSetupDialog::listsAndGuidance()
{
    WaveRecord record = sampleRecord();
    ScriptedPrompts prompts;
    SetupDialog dialog(record, prompts);

    auto entries = [&](int index) {
        QStringList list;
        auto* combo = child<QComboBox>(dialog, QStringLiteral("SetupCombo_%1").arg(index));
        for (int i = 0; i < combo->count(); ++i)
            list << combo->itemText(i);
        return list;
    };
    const QStringList sweep = entries(0);
    QCOMPARE(sweep.size(), 31);
    QCOMPARE(sweep.mid(4, 4), (QStringList{"2", "1", "500m", "200m"}));
    QCOMPARE(sweep.last(), QStringLiteral("5n"));
    const QStringList volts = entries(1);
    QCOMPARE(volts.size(), 15);
    QCOMPARE(volts.first(), QStringLiteral("100"));
    QCOMPARE(volts.last(), QStringLiteral("2m"));
    QCOMPARE(entries(2), volts);

    const QStringList guidance = child<QPlainTextEdit>(dialog, QStringLiteral("Text1"))->toPlainText().split('\n');
    QCOMPARE(guidance.size(), 12);
    QCOMPARE(guidance[0], QStringLiteral("ファイルからデーターを読み込ん"));
    QCOMPARE(guidance[5], QString());
    QCOMPARE(guidance[11], QStringLiteral("  k: ｷﾛ   M: ﾒｶﾞ   G: ｷﾞｶﾞ"));
}

void TestSetupDialog::opensWithTheRecordsValues()
{
    WaveRecord record = sampleRecord();
    ScriptedPrompts prompts;
    SetupDialog dialog(record, prompts);
    QCOMPARE(child<QLineEdit>(dialog, "Title")->text(), QStringLiteral("前回の波形"));
    QCOMPARE(child<QComboBox>(dialog, "SetupCombo_0")->currentText(), QStringLiteral("500m"));
    QCOMPARE(child<QComboBox>(dialog, "SetupCombo_1")->currentText(), QStringLiteral("2 "));
    QCOMPARE(child<QComboBox>(dialog, "SetupCombo_2")->currentText(), QStringLiteral("50m"));
    QCOMPARE(child<QLineEdit>(dialog, "SetupOffset_0")->text(), QStringLiteral("1"));
    QCOMPARE(child<QLineEdit>(dialog, "SetupOffset_1")->text(), QStringLiteral("-0.4"));
    QCOMPARE(child<QLineEdit>(dialog, "Delay")->text(), QStringLiteral("1m"));
    const auto* length = child<QLabel>(dialog, "DataLength");
    QCOMPARE(length->text(), QStringLiteral("Data : 5120/Ch"));
    QCOMPARE(length->palette().color(QPalette::Window), QColor(0, 0, 192));
    QCOMPARE(length->palette().color(QPalette::WindowText), QColor(Qt::white));
}

void TestSetupDialog::equSamplingFollowsTheLength_data()
{
    QTest::addColumn<int>("lastIndex");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<int>("afterCancel");

    QTest::newRow("5120 samples") << 5119 << true << int(kTrue);
    QTest::newRow("6001 samples") << 6000 << true << int(kTrue);
    QTest::newRow("6002 samples") << 6001 << false << int(kFalse);
    QTest::newRow("long record") << 102399 << false << int(kFalse);
}

void TestSetupDialog::equSamplingFollowsTheLength()
{
    QFETCH(int, lastIndex);
    QFETCH(bool, enabled);
    QFETCH(int, afterCancel);

    WaveRecord record = sampleRecord();
    record.LastIndex = lastIndex;
    record.EquSampling = kTrue;
    ScriptedPrompts prompts;
    SetupDialog dialog(record, prompts);
    auto* check = child<QCheckBox>(dialog, "EquSamplingCheck");
    QCOMPARE(check->isEnabled(), enabled);
    QCOMPARE(check->isChecked(), enabled);
    // Cleared as soon as the dialog opens, before any button.
    QCOMPARE(int(record.EquSampling), afterCancel);
    dialog.Command1_Click(2);
    QCOMPARE(int(record.EquSampling), afterCancel);
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

    WaveRecord record = sampleRecord();
    record.ParamsLocked = int16_t(locked);
    ScriptedPrompts prompts;
    SetupDialog dialog(record, prompts);
    showAndPaint(dialog);

    const auto* label = child<QLabel>(dialog, "Comment");
    QCOMPARE(label->text(), comment);
    QCOMPARE(label->palette().color(QPalette::Window), background);
    QCOMPARE(label->palette().color(QPalette::WindowText), QColor(Qt::white));
    QCOMPARE(button(dialog, 3)->isVisible(), !locked);
    for (const char* name : {"SetupCombo_0", "SetupCombo_1", "SetupCombo_2", "SetupOffset_0", "SetupOffset_1",
                             "Delay", "EquSamplingCheck"})
        QVERIFY2(child<QWidget>(dialog, name)->isEnabled() == !locked, name);
    for (const char* name : {"Title", "Command1_0", "Command1_1", "Command1_2"})
        QVERIFY2(child<QWidget>(dialog, name)->isEnabled(), name);
}

void TestSetupDialog::lockedOkStoresTitleWithReReadValues()
{
    WaveRecord record = sampleRecord();
    record.ParamsLocked = kTrue;
    record.EquSampling = kTrue;
    ScriptedPrompts prompts;
    SetupDialog dialog(record, prompts);
    showAndPaint(dialog);
    auto* title = child<QLineEdit>(dialog, "Title");
    title->selectAll();
    title->insert(QStringLiteral("新しい題"));
    QTest::mouseClick(button(dialog, 1), Qt::LeftButton);

    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    WaveRecord expected = sampleRecord();
    expected.Title = "新しい題";
    expected.ParamsLocked = kTrue;
    expected.EquSampling = kTrue;
    QCOMPARE(record.Title, expected.Title);
    QVERIFY(record == expected);
}

void TestSetupDialog::okStoresWhatWasTyped_data()
{
    QTest::addColumn<QString>("sweep");
    QTest::addColumn<QString>("offset");
    QTest::addColumn<float>("secondsPerDiv");
    QTest::addColumn<float>("counts");

    QTest::newRow("2u, one division") << "2u" << "1" << 2e-6f << 25.0f;
    QTest::newRow("list entry, -0.4 division") << "500m" << "-0.4" << 0.5f << -10.0f;
    QTest::newRow("full width, exponent") << "１ｍ" << "2E-1" << 1e-3f << 5.0f;
    QTest::newRow("not a number") << "fast" << "up" << 0.0f << 0.0f;
}

void TestSetupDialog::okStoresWhatWasTyped()
{
    QFETCH(QString, sweep);
    QFETCH(QString, offset);
    QFETCH(float, secondsPerDiv);
    QFETCH(float, counts);

    WaveRecord record = sampleRecord();
    ScriptedPrompts prompts;
    SetupDialog dialog(record, prompts);
    showAndPaint(dialog);
    auto* sweepBox = child<QComboBox>(dialog, "SetupCombo_0");
    sweepBox->lineEdit()->selectAll();
    sweepBox->lineEdit()->insert(sweep);
    auto* offsetBox = child<QLineEdit>(dialog, "SetupOffset_1");
    offsetBox->selectAll();
    offsetBox->insert(offset);
    child<QComboBox>(dialog, "SetupCombo_1")->setCurrentIndex(7);   // "500m"
    child<QCheckBox>(dialog, "EquSamplingCheck")->setChecked(true);
    QTest::mouseClick(button(dialog, 1), Qt::LeftButton);

    QVERIFY(!dialog.isVisible());
    QCOMPARE(record.SecondsPerDiv, secondsPerDiv);
    QCOMPARE(record.Ch2Offset, counts);
    QCOMPARE(record.Ch1VoltsPerDiv, 0.5f);
    QCOMPARE(record.EquSampling, kTrue);
    QCOMPARE(record.Ch1Offset, 25.0f);
    QCOMPARE(record.ParamsLocked, kFalse);
    QCOMPARE(record.Samples(1, 7), int16_t(42));
}

void TestSetupDialog::closingWithoutOkStoresNothing_data()
{
    QTest::addColumn<int>("how");   // 0 Cancel button, 1 Escape, 2 close box, 3 index out of range
    QTest::newRow("cancel") << 0;
    QTest::newRow("escape") << 1;
    QTest::newRow("close box") << 2;
    QTest::newRow("unknown index") << 3;
}

void TestSetupDialog::closingWithoutOkStoresNothing()
{
    QFETCH(int, how);

    WaveRecord record = sampleRecord();
    ScriptedPrompts prompts;
    SetupDialog dialog(record, prompts);
    showAndPaint(dialog);
    auto* title = child<QLineEdit>(dialog, "Title");
    title->setText(QStringLiteral("捨てる"));
    child<QLineEdit>(dialog, "SetupOffset_0")->setText(QStringLiteral("3"));
    child<QComboBox>(dialog, "SetupCombo_0")->setEditText(QStringLiteral("1u"));
    switch (how) {
    case 0: QTest::mouseClick(button(dialog, 2), Qt::LeftButton); break;
    case 1: QTest::keyClick(title, Qt::Key_Escape); break;
    case 2: dialog.close(); break;
    default: dialog.Command1_Click(9); break;
    }
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(record == sampleRecord());
}

void TestSetupDialog::enterDoesNotPressOk()
{
    WaveRecord record = sampleRecord();
    ScriptedPrompts prompts;
    SetupDialog dialog(record, prompts);
    showAndPaint(dialog);
    auto* title = child<QLineEdit>(dialog, "Title");
    title->setText(QStringLiteral("途中"));
    QTest::keyClick(title, Qt::Key_Return);
    QTest::keyClick(child<QComboBox>(dialog, "SetupCombo_0")->lineEdit(), Qt::Key_Enter);
    QVERIFY(dialog.isVisible());
    QVERIFY(record == sampleRecord());
    QCOMPARE(child<QComboBox>(dialog, "SetupCombo_0")->count(), 31);
    for (int i = 0; i < 4; ++i)
        QVERIFY(!button(dialog, i)->isDefault());
}

void TestSetupDialog::confirm_data()
{
    QTest::addColumn<QMessageBox::StandardButton>("answer");
    QTest::addColumn<bool>("closed");

    QTest::newRow("no") << QMessageBox::No << false;
    QTest::newRow("yes") << QMessageBox::Yes << true;
}

void TestSetupDialog::confirm()
{
    QFETCH(QMessageBox::StandardButton, answer);
    QFETCH(bool, closed);

    WaveRecord record = sampleRecord();
    ScriptedPrompts prompts;
    prompts.answers.push_back(answer);
    SetupDialog dialog(record, prompts);
    showAndPaint(dialog);
    child<QLineEdit>(dialog, "SetupOffset_0")->setText(QStringLiteral("2"));
    QTest::mouseClick(button(dialog, 3), Qt::LeftButton);

    QCOMPARE(prompts.asked.size(), 1);
    const auto& asked = prompts.asked.first();
    QCOMPARE(asked.caption, QStringLiteral("パラメーター確定の確認"));
    QCOMPARE(asked.text, QStringLiteral("時間・電圧・位置のパラメーターを確定し保護します。\nよろしいですか？"));
    QCOMPARE(asked.icon, QMessageBox::NoIcon);
    QCOMPARE(asked.buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(asked.defaultButton, QMessageBox::No);

    QCOMPARE(dialog.isVisible(), !closed);
    QCOMPARE(record.ParamsLocked, closed ? kTrue : kFalse);
    QCOMPARE(record.Ch1Offset, closed ? 50.0f : 25.0f);
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

    WaveRecord record = sampleRecord();
    ScriptedPrompts prompts;
    prompts.answers.push_back(answer);
    SetupDialog dialog(record, prompts, nullptr, [] { return kNow; });
    showAndPaint(dialog);
    QTest::mouseClick(button(dialog, 0), Qt::LeftButton);

    QCOMPARE(prompts.beeps, 1);
    QCOMPARE(prompts.asked.size(), 1);
    QCOMPARE(prompts.asked.first().text, QStringLiteral("タイトル枠へ現在の日付と時間を設定します。\nよろしいですか？"));
    QCOMPARE(prompts.asked.first().icon, QMessageBox::Warning);
    QCOMPARE(prompts.asked.first().defaultButton, QMessageBox::No);
    QVERIFY(dialog.isVisible());
    QCOMPARE(child<QLineEdit>(dialog, "Title")->text(), shown);
    QCOMPARE(record.Title, std::string("前回の波形"));

    QTest::mouseClick(button(dialog, 2), Qt::LeftButton);
    QVERIFY(record == sampleRecord());
}

void TestSetupDialog::freshCaptureWarning_data()
{
    QTest::addColumn<int>("fresh");
    QTest::addColumn<int>("warnings");

    QTest::newRow("fresh capture") << int(kTrue) << 1;
    QTest::newRow("no capture") << int(kFalse) << 0;
}

void TestSetupDialog::freshCaptureWarning()
{
    QFETCH(int, fresh);
    QFETCH(int, warnings);

    WaveRecord record = sampleRecord();
    record.FreshCapture = int16_t(fresh);
    ScriptedPrompts prompts;
    // Two openings: each warns once, however often it is repainted.
    for (int opening = 1; opening <= 2; ++opening) {
        SetupDialog dialog(record, prompts);
        QVERIFY(prompts.asked.size() == warnings * (opening - 1));
        showAndPaint(dialog);
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
