// The P key of the wave window reaches the print command, whatever the modifiers; other
// keys do not.

#include "app/PrintCommand.h"
#include "app/PrintDialogRunner.h"
#include "support/ScriptedPrompts.h"
#include "wave/WaveDisplay.h"
#include "wave/WaveRecord.h"
#include "wave/WaveWindow.h"

#include <QtTest>

namespace {

// Counts the dialogs opened and cancels each one.
class CancellingPrintDialog final : public PrintDialogRunner {
public:
    int opened = 0;
    bool run(QWidget*, QPrinter&, const QString&) override
    {
        ++opened;
        return false;
    }
};

} // namespace

class TestPrintKey : public QObject {
    Q_OBJECT
private slots:
    void keyInWaveWindow_data();
    void keyInWaveWindow();
};

void TestPrintKey::keyInWaveWindow_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<int>("prints");

    QTest::newRow("P") << int(Qt::Key_P) << Qt::KeyboardModifiers() << 1;
    QTest::newRow("Shift+P") << int(Qt::Key_P) << Qt::KeyboardModifiers(Qt::ShiftModifier) << 1;
    QTest::newRow("Ctrl+P") << int(Qt::Key_P) << Qt::KeyboardModifiers(Qt::ControlModifier) << 1;
    QTest::newRow("Alt+P") << int(Qt::Key_P) << Qt::KeyboardModifiers(Qt::AltModifier) << 1;
    QTest::newRow("Ctrl+Shift+Alt+P")
        << int(Qt::Key_P) << (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier) << 1;
    QTest::newRow("O") << int(Qt::Key_O) << Qt::KeyboardModifiers() << 0;
    QTest::newRow("Space") << int(Qt::Key_Space) << Qt::KeyboardModifiers() << 0;
}

void TestPrintKey::keyInWaveWindow()
{
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(int, prints);

    WaveRecord record;
    WaveDisplay display(record);
    display.show();
    QVERIFY(QTest::qWaitForWindowExposed(&display));

    PrintCommand command;
    ScriptedPrompts prompts;
    CancellingPrintDialog dialog;
    connect(&display, &WaveDisplay::printRequested, this,
            [&] { command.PrintMainWindow(&display, prompts, dialog); });

    QTest::keyClick(display.waveWindow(), Qt::Key(key), modifiers);

    QCOMPARE(dialog.opened, prints);
    QCOMPARE(command.PrinterBuffer().isNull(), prints == 0);
    QVERIFY(prompts.asked.isEmpty());
}

QTEST_MAIN(TestPrintKey)
#include "test_print_key.moc"
