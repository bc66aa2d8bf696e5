// The program's own dialogs and message boxes as the user meets them on a desktop whose
// language is English: each caption as the window system receives it, and Qt's own
// button texts in Japanese.

#include "app/MainWindow.h"
#include "document/ProgramCore.h"
#include "link/InstrumentLink.h"
#include "sim/SimulatedInstrument.h"
#include "support/ModalHelper.h"
#include "support/ScriptedPrintDialog.h"
#include "support/ShownText.h"
#include "ui/ApplicationSetup.h"
#include "ui/Prompts.h"

#include <QAbstractButton>
#include <QDialog>
#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

namespace {

// The caption the window system gets. Qt's platforms append " — " and the application's
// display name to every title but that name itself, which QWindow::title() does not show;
// without a display name of its own the application's name stands in and nothing is added.
QString titleBarText(QWidget* window)
{
    const QString title = window->windowHandle()->title();
    const QString name = QGuiApplication::applicationDisplayName();
    if (name == QCoreApplication::applicationName() || title == name)
        return title;
    return title + QStringLiteral(" — ") + name;
}

// buttons: of a message box, as shown; * the default.
struct CaptionCase { int command; QString caption; QStringList buttons; };

} // namespace

class TestWindowCaptions : public QObject {
    Q_OBJECT
private slots:
    void captions_data()
    {
        QTest::addColumn<CaptionCase>("c");
        QTest::newRow("Option") << CaptionCase{int(Command::Option), "MIRAVO Link Tool Options", {}};
        QTest::newRow("Setup") << CaptionCase{int(Command::Setup), "セットアップ情報", {}};
        QTest::newRow("About") << CaptionCase{int(Command::About), "MIRAVO Link Toolのﾊﾞｰｼﾞｮﾝ情報", {}};
        QTest::newRow("Load question") << CaptionCase{int(Command::Load), "読込先の選択", QStringList{"はい(Y)*", "いいえ(N)", "キャンセル"}};
    }
    void captions()
    {
        QFETCH(CaptionCase, c);
        auto& [command, caption, buttons] = c;
        QTemporaryDir dir;
        QDir::setCurrent(dir.path());
        SimulatedInstrument simulator;
        ProgramCore core;
        QtPrompts prompts;
        ScriptedPrintDialog printDialog;
        MainWindow window(core, {.prompts = &prompts, .printDialog = &printDialog, .help = {}, .appDir = {},
                                               .devicePath = simulator.start({}), .serialPorts = {}, .portMemoryFile = {},
                                               .endProgram = [] {}, .configDir = {}});
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_VERIFY(!window.link()->isBusy());

        QString shown;
        QStringList shownButtons;
        whenModalOpens([&](QWidget* modal) {
            shown = titleBarText(modal);
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                for (QMessageBox::StandardButton b : {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel})
                    if (QAbstractButton* button = box->button(b))
                        shownButtons << shownText(button) + (button == box->defaultButton() ? "*" : "");
                box->button(QMessageBox::Cancel)->click();
            } else {
                qobject_cast<QDialog*>(modal)->reject();
            }
        });
        QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("Command1_%1").arg(command)), Qt::LeftButton);
        QTRY_COMPARE(shown, caption);   // the setup dialog opens without a loop of its own
        QCOMPARE(shownButtons, buttons);
        QDir::setCurrent(QDir::tempPath());
    }
};

int main(int argc, char* argv[])
{
    qputenv("LC_ALL", "en_US.UTF-8");
    qputenv("LANGUAGE", "en_US");
    QApplication app(argc, argv);
    if (!SetUpApplication(app)) {
        qCritical("Qt's Japanese texts (qtbase_ja) are not installed");
        return 1;
    }
    TestWindowCaptions test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_window_captions.moc"
