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

WaveRecord sampleRecord(int16_t WaveRecord::*field = nullptr, int16_t value = 0, int32_t lastIndex = 5119)
{
    WaveRecord record;
    record.Title = "前回の波形";
    record.SecondsPerDiv = 0.5f;
    record.DelaySeconds = 1e-3f;
    record.Ch1VoltsPerDiv = 2.0f;
    record.Ch2VoltsPerDiv = 0.05f;
    record.Ch1Offset = 25.0f;
    record.Ch2Offset = -10.0f;
    record.LastIndex = lastIndex;
    record.Samples(1, 7) = 42;
    if (field)
        record.*field = value;
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
    T* at(const QString& name)
    {
        T* widget = dialog.findChild<T*>(name);
        if (!widget)
            qFatal("no control %s", qPrintable(name));
        return widget;
    }
    QLineEdit* edit(const QString& name)
    {
        auto* combo = qobject_cast<QComboBox*>(at(name));
        return combo ? combo->lineEdit() : at<QLineEdit>(name);
    }
    void type(const QString& name, const QString& text)
    {
        edit(name)->selectAll();
        edit(name)->insert(text);
    }
    void press(int index) { QTest::mouseClick(at<QPushButton>(QStringLiteral("Command1_%1").arg(index)), Qt::LeftButton); }

    static QDateTime clock() { return QDateTime(QDate(2026, 12, 5), QTime(9, 5, 5)); }

    WaveRecord record;
    ScriptedPrompts prompts;
    SetupDialog dialog;
};

} // namespace

class TestSetupDialog : public QObject {
    Q_OBJECT
private slots:
    void opening_data();
    void opening();
    void waysOut_data();
    void waysOut();
    void questions_data();
    void questions();
};

void TestSetupDialog::opening_data()
{
    QTest::addColumn<int>("lastIndex");
    QTest::addColumn<bool>("locked");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("equKept");   // short enough for equivalent sampling
    QTest::addColumn<bool>("fresh");     // FreshCapture: just taken from the instrument

    QTest::newRow("5120 samples, unlocked, fresh") << 5119 << false << "Data : 5120/Ch" << true << true;
    QTest::newRow("6001 samples, locked") << 6000 << true << "Data : 6001/Ch" << true << false;
    QTest::newRow("6002 samples, unlocked") << 6001 << false << "Data : 6002/Ch" << false << false;
}

void TestSetupDialog::opening()
{
    QFETCH(int, lastIndex);
    QFETCH(bool, locked);
    QFETCH(QString, caption);
    QFETCH(bool, equKept);
    QFETCH(bool, fresh);

    WaveRecord start = sampleRecord(&WaveRecord::EquSampling, kTrue, lastIndex);
    start.ParamsLocked = locked ? kTrue : kFalse;
    start.FreshCapture = fresh ? kTrue : kFalse;
    Opened o(start);
    QCOMPARE(o.dialog.windowTitle(), QStringLiteral("セットアップ情報"));
    QStringList shown;
    for (const char* name : {"Title", "SetupCombo_0", "SetupCombo_1", "SetupCombo_2", "SetupOffset_0", "SetupOffset_1", "Delay"})
        shown << o.edit(name)->text();
    // 0.5 s as "500m"; offsets of 25 and -10 counts as 1 and -0.4 divisions.
    QCOMPARE(shown, (QStringList{"前回の波形", "500m", "2 ", "50m", "1", "-0.4", "1m"}));
    QCOMPARE(o.at<QComboBox>("SetupCombo_0")->count(), 31);
    QCOMPARE(o.at<QComboBox>("SetupCombo_2")->count(), 15);
    QCOMPARE(o.at<QPlainTextEdit>("Text1")->toPlainText().split('\n').size(), 12);
    QCOMPARE(o.at<QPushButton>("Command1_0")->text(), QStringLiteral("Date && Time"));
    QCOMPARE(o.at<QLabel>("DataLength")->text(), caption);

    const QColor blue(0, 0, 192);
    QCOMPARE(o.at<QLabel>("Comment")->text(), locked ? QStringLiteral("主要ﾊﾟﾗﾒｰﾀｰは保護されています！")
                                                     : QStringLiteral("パラメーター設定は慎重に！"));
    for (const auto& [name, colour] : {std::pair{"Comment", locked ? blue : QColor(255, 30, 30)}, {"DataLength", blue}}) {
        QCOMPARE(o.at(name)->palette().color(QPalette::Window), colour);
        QCOMPARE(o.at(name)->palette().color(QPalette::WindowText), QColor(Qt::white));
    }
    QCOMPARE(o.at("Command1_3")->isVisible(), !locked);
    for (const char* name : {"SetupCombo_0", "SetupCombo_1", "SetupCombo_2", "SetupOffset_0", "SetupOffset_1", "Delay"})
        QVERIFY2(o.at(name)->isEnabled() == !locked, name);
    for (const char* name : {"Title", "Command1_0", "Command1_1", "Command1_2"})
        QVERIFY2(o.at(name)->isEnabled(), name);
    QCOMPARE(o.at<QCheckBox>("EquSamplingCheck")->isChecked(), equKept);
    QCOMPARE(o.at("EquSamplingCheck")->isEnabled(), equKept && !locked);

    // The fresh-capture warning: once per opening, however often it is repainted.
    for (int i = 0; i < 3; ++i) {
        o.dialog.repaint();
        QCoreApplication::processEvents();
    }
    QCOMPARE(o.prompts.asked.size(), fresh ? 1 : 0);
    if (fresh) {
        const auto& asked = o.prompts.asked.first();
        QCOMPARE(asked.caption, QString());   // the application's title
        QCOMPARE(asked.text, QStringLiteral("波形の新規取り込み直後です！\n\n時間軸・オフセット等は正確に設定してください！！"));
        QCOMPARE(asked.icon, QMessageBox::Warning);
        QCOMPARE(asked.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    }

    // Locked, OK stores the edited title with the values re-read from the boxes. A record
    // too long for equivalent sampling loses the flag at once, even when cancelled.
    if (locked) {
        o.type("Title", "新しい題");
        start.Title = "新しい題";
    }
    o.press(locked ? 1 : 2);
    start.EquSampling = equKept ? kTrue : kFalse;
    QVERIFY(o.record == start);

    SetupDialog again(o.record, o.prompts);
    again.show();
    QVERIFY(QTest::qWaitForWindowExposed(&again));
    QCoreApplication::processEvents();
    QCOMPARE(o.prompts.asked.size(), fresh ? 2 : 0);
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
    o.type("Title", "新しい題");
    o.type("SetupCombo_0", "2u");
    o.type("SetupCombo_1", "５００ｍ");   // as a Japanese input method gives it
    o.type("SetupOffset_0", "-0.4");
    o.type("SetupOffset_1", "1");
    o.at<QCheckBox>("EquSamplingCheck")->setChecked(true);
    if (ok)
        o.press(1);
    else if (how == "cancel")
        o.press(2);
    else if (how == "escape")
        QTest::keyClick(o.edit("Title"), Qt::Key_Escape);
    else if (how == "close box")
        o.dialog.close();
    else if (how == "index out of range")
        o.dialog.Command1_Click(9);
    else {
        QTest::keyClick(o.edit("Title"), Qt::Key_Return);
        QTest::keyClick(o.edit("SetupCombo_0"), Qt::Key_Enter);
    }
    QCOMPARE(o.dialog.isVisible(), how == "enter");
    QCOMPARE(o.dialog.result(), int(ok ? QDialog::Accepted : QDialog::Rejected));
    WaveRecord expected = sampleRecord();
    if (ok) {
        expected.Title = "新しい題";
        expected.SecondsPerDiv = 2e-6f;
        expected.Ch1VoltsPerDiv = 0.5f;
        expected.Ch1Offset = -10.0f;
        expected.Ch2Offset = 25.0f;
        expected.EquSampling = kTrue;
    }
    QVERIFY(o.record == expected);
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
    o.prompts.answers.push_back(answer);
    o.type("SetupOffset_0", "2");
    o.press(button);

    QCOMPARE(o.prompts.asked.size(), 1);
    const auto& asked = o.prompts.asked.first();
    QCOMPARE(asked.caption, date ? QString() : QStringLiteral("パラメーター確定の確認"));
    QCOMPARE(asked.text, date ? QStringLiteral("タイトル枠へ現在の日付と時間を設定します。\nよろしいですか？")
                              : QStringLiteral("時間・電圧・位置のパラメーターを確定し保護します。\nよろしいですか？"));
    QCOMPARE(asked.icon, date ? QMessageBox::Warning : QMessageBox::NoIcon);
    QCOMPARE(asked.defaultButton, QMessageBox::No);
    QCOMPARE(o.prompts.beeps, date ? 1 : 0);
    QCOMPARE(o.edit("Title")->text(), title);
    QCOMPARE(o.dialog.isVisible(), !closes);
    if (!closes)
        o.press(2);
    WaveRecord expected = sampleRecord(&WaveRecord::ParamsLocked, closes ? kTrue : kFalse);
    if (closes)
        expected.Ch1Offset = 50.0f;
    QVERIFY(o.record == expected);
}

QTEST_MAIN(TestSetupDialog)
#include "test_setup_dialog.moc"
