#include "support/ModalHelper.h"
#include "support/ShownText.h"
#include "support/ScriptedPrintDialog.h"
#include "app/AcquisitionController.h"
#include "app/MainWindow.h"
#include "link/InstrumentLink.h"
#include "sim/SimulatedInstrument.h"
#include "support/ScriptedPrompts.h"
#include "wave/widgets/WaveDisplay.h"
#include "core/WaveRecord.h"
#include "wave/widgets/WaveWindow.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <memory>

namespace {

// A main window loaded in a fresh working directory against the simulated instrument,
// with every outside part scripted.
struct Fixture {
    QTemporaryDir dir;
    SimulatedInstrument simulator;
    WaveRecord record;
    EnvSettings settings;
    ScriptedPrompts prompts;
    ScriptedPrintDialog printDialog;
    QStringList helpOpened;
    int endCalls = 0;
    std::unique_ptr<MainWindow> window;

    // settingsFile: bytes written to MV_UTL.ENV before the load; none: no file.
    // missingDevice: a name in the working directory opened instead of the simulator.
    explicit Fixture(std::optional<std::string> settingsFile = {}, SimOptions simOptions = {},
                     const QString& missingDevice = {})
    {
        QDir::setCurrent(dir.path());
        if (settingsFile)
            std::ofstream(dir.filePath("MV_UTL.ENV").toStdString(), std::ios::binary) << *settingsFile;
        MainWindowParts parts;
        parts.prompts = &prompts;
        parts.printDialog = &printDialog;
        parts.devicePath = missingDevice.isEmpty() ? simulator.start(simOptions) : dir.filePath(missingDevice);
        parts.appDir = QStringLiteral("/app dir");
        parts.help.fileExists = [](const QString&) { return true; };
        parts.help.open = [this](const QString& path) {
            helpOpened << path;
            return true;
        };
        parts.endProgram = [this] { ++endCalls; };
        window = std::make_unique<MainWindow>(record, settings, std::move(parts));
    }

    // Waits until the link has no job, so the next command is not refused.
    bool linkIdle() const { return QTest::qWaitFor([this] { return !window->link()->isBusy(); }, 5000); }
    WaveDisplay* display() const { return window->display(); }
    QPushButton* button(Command c) const { return window->findChild<QPushButton*>(QStringLiteral("Command1_%1").arg(int(c))); }
    QString label(const char* name) const { return window->findChild<QLabel*>(QLatin1String(name))->text(); }
};

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QDir::setCurrent(QDir::tempPath()); }
    void controls_data();
    void controls();
    void loadSteps();
    void startProblemsAreShown();
    void identityLabels_data();
    void identityLabels();
    void dispatchByIndex_data();
    void dispatchByIndex();
    void printKey();
    void loadQuestionCancelled();
    void fileLoadRefreshesTheView();
    void buttonsDuringInstrumentLoad();
    void instrumentLoadWithoutChannels();
    void setupRefreshesWithoutRedraw();
    void optionsCloseReopensPort_data();
    void optionsCloseReopensPort();
};

void TestMainWindow::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("tooltip");
    const QStringList commands{"RUN",    "掃引",           "STOP",   "掃引停止",
                               "Single", "単掃引&データー取込", "ID Read", "MIRAVO 製品情報取得",
                               "Setup",  "取込んだ波形の条件設定", "Save", "ファイルへの保存",
                               "Help",   "ヘルプの表示",     "About",  "このプログラムについて",
                               "Print",  "印刷（PキーでもOK）", "Option", "オプション設定",
                               "Load",   "データー読込＆取込", "EXIT",   "終了"};
    for (int i = 0; i < 12; ++i) {
        const QString name = QStringLiteral("Command1_%1").arg(i);
        QTest::newRow(qPrintable(name)) << name << commands[2 * i] << commands[2 * i + 1];
    }
}

void TestMainWindow::controls()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QString, tooltip);
    Fixture f;
    auto* control = f.window->findChild<QPushButton*>(name);
    QVERIFY2(control, qPrintable(name));
    QCOMPARE(control->text(), caption);
    QCOMPARE(control->toolTip(), tooltip);
    // Once the port is open every control is usable.
    QTRY_VERIFY(control->isEnabled());
}

void TestMainWindow::loadSteps()
{
    Fixture f;
    QCOMPARE(f.window->objectName(), QStringLiteral("frmMain"));
    QCOMPARE(f.window->windowTitle(), QStringLiteral("MIRAVO Link Tool"));
    QCOMPARE(f.label("TitleLabel"), QStringLiteral("MIRAVO Link Tool"));
    QCOMPARE(f.record.LastIndex, 5119);
    QCOMPARE(f.record.Ch1On, int16_t(1));
    QCOMPARE(f.record.Ch2On, int16_t(1));
    QCOMPARE(f.display()->waveWindow()->toolTip(), QStringLiteral("左クリックで基点と計測開始　右クリックで解除"));
    QVERIFY(!f.window->isVisible());
    // The settings file is created in the working directory.
    QVERIFY(QFile::exists(f.dir.filePath("MV_UTL.ENV")));
    QVERIFY(f.linkIdle());
    QVERIFY(f.window->link()->state().open);
    QVERIFY2(f.label("PortStatus").contains(QStringLiteral("9600,n,8,1")), qPrintable(f.label("PortStatus")));
    QVERIFY(f.prompts.asked.isEmpty());
}

// A damaged settings file and a port that will not open: both told, the window usable.
// The port's name is shown as the text it is.
void TestMainWindow::startProblemsAreShown()
{
    Fixture f(std::string(10, '\x01'), {}, QStringLiteral("<b>ttyS9</b>"));
    QCOMPARE(f.prompts.asked.size(), 1);
    QVERIFY2(f.prompts.asked[0].text.contains(QStringLiteral("設定ファイル")), qPrintable(f.prompts.asked[0].text));
    QCOMPARE(f.settings, EnvSettings{});
    // The damaged file is left for the user, not overwritten.
    QCOMPARE(std::filesystem::file_size(f.dir.filePath("MV_UTL.ENV").toStdString()), std::uintmax_t(10));
    QVERIFY(f.linkIdle());
    QTRY_COMPARE(f.prompts.asked.size(), 2);
    QCOMPARE(f.prompts.asked[1].icon, QMessageBox::Warning);
    QCOMPARE(shownText(f.window->findChild<QLabel*>("PortStatus")), f.dir.filePath("<b>ttyS9</b>") + "  未接続");
    f.window->Command1_Click(int(Command::Help));
    QCOMPARE(f.helpOpened.size(), 1);
}

// ID Read splits the reply at every comma, trims nothing, and fills and whitens one value
// label per field, the rest staying as they were. The instrument's text is never markup.
void TestMainWindow::identityLabels_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("four fields") << QByteArray("MIRAVO,KT-4410,SN 01,1.00") << QStringList{"MIRAVO", "KT-4410", "SN 01", "1.00"};
    QTest::newRow("one field") << QByteArray(" KT-4410 ") << QStringList{" KT-4410 "};
    QTest::newRow("two fields, the first empty") << QByteArray(",KT-4410") << QStringList{"", "KT-4410"};
    QTest::newRow("five fields") << QByteArray("a,b,c,d,e") << QStringList{"a", "b", "c", "d"};
    QTest::newRow("image markup") << QByteArray("<img src=/dev/zero>,KT-4410,X,1.00")
                                  << QStringList{"<img src=/dev/zero>", "KT-4410", "X", "1.00"};
    QTest::newRow("bold markup") << QByteArray("<b>x</b>") << QStringList{"<b>x</b>"};
}

void TestMainWindow::identityLabels()
{
    QFETCH(QByteArray, reply);
    QFETCH(QStringList, shown);
    SimOptions options;
    options.identity = reply.toStdString();
    Fixture f({}, options);
    QVERIFY(f.linkIdle());
    QSignalSpy finished(f.window->acquisition(), &AcquisitionController::flowFinished);
    QTest::mouseClick(f.button(Command::IdRead), Qt::LeftButton);
    QVERIFY(finished.wait(5000));
    for (int k = 0; k < 4; ++k) {
        auto* label = f.window->findChild<QLabel*>(QStringLiteral("IDLabel_%1").arg(k));
        const bool filled = k < shown.size();
        QCOMPARE(shownText(label), filled ? shown[k] : QString());
        QCOMPARE(label->autoFillBackground() && label->palette().color(QPalette::Window) == Qt::white, filled);
    }
}

void TestMainWindow::dispatchByIndex_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("effect");
    QTest::newRow("RUN") << 0 << "job Run";
    QTest::newRow("STOP") << 1 << "job Stop";
    QTest::newRow("Single") << 2 << "job SingleSweep";
    QTest::newRow("ID Read") << 3 << "job ReadIdentity";
    QTest::newRow("Setup") << 4 << "dialog frmSetup";
    QTest::newRow("Save") << 5 << "save dialog";
    // Help is looked up beside the program.
    QTest::newRow("Help") << 6 << "help /app dir/help/index.html";
    QTest::newRow("About") << 7 << "dialog frmAbout";
    QTest::newRow("Print") << 8 << "print dialog 印刷の設定";
    QTest::newRow("Option") << 9 << "dialog frmOptions, job ApplySettings";
    QTest::newRow("Load") << 10 << "question 読込先の選択";
    QTest::newRow("below") << -1 << "";
    QTest::newRow("above") << 12 << "";
}

void TestMainWindow::dispatchByIndex()
{
    QFETCH(int, index);
    QFETCH(QString, effect);
    Fixture f;
    QVERIFY(f.linkIdle());
    f.window->show();
    QStringList effects;
    connect(f.window->link(), &InstrumentLink::jobStarted, this, [&](LinkJob job) {
        static const QStringList names{"ApplySettings", "Run", "Stop", "SingleSweep", "ReadIdentity", "Download"};
        effects << QStringLiteral("job ") + names[int(job)];
    });
    const bool opensDialog = effect.startsWith(QStringLiteral("dialog"));
    if (opensDialog) {
        whenModalOpens([&](QWidget* dialog) {
            effects << QStringLiteral("dialog ") + dialog->objectName();
            qobject_cast<QDialog*>(dialog)->reject();
        });
    }
    f.prompts.answers.push_back(QMessageBox::Cancel);
    f.window->Command1_Click(index);
    if (opensDialog)
        QTRY_VERIFY(!effects.isEmpty());
    for (const auto& asked : f.prompts.asked)
        effects << QStringLiteral("question ") + asked.caption;
    for (const auto& dialog : f.prompts.fileDialogs)
        effects << (dialog.save ? QStringLiteral("save dialog") : QStringLiteral("open dialog"));
    for (const QString& path : f.helpOpened)
        effects << QStringLiteral("help ") + path;
    for (const QString& title : f.printDialog.titles)
        effects << QStringLiteral("print dialog ") + title;
    QCOMPARE(effects.join(QStringLiteral(", ")), effect);
    QCOMPARE(f.endCalls, 0);
}

// P in the wave window prints the main window, whatever the modifiers; a held key prints once.
void TestMainWindow::printKey()
{
    Fixture f;
    f.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
    QTest::keyClick(f.display()->waveWindow(), Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
    QKeyEvent held(QEvent::KeyPress, Qt::Key_P, Qt::NoModifier, QStringLiteral("p"), true);
    QApplication::sendEvent(f.display()->waveWindow(), &held);
    QCOMPARE(f.printDialog.titles, QStringList{QStringLiteral("印刷の設定")});
}

// Cancel in the Load question leaves the record, the view and the port as they were.
void TestMainWindow::loadQuestionCancelled()
{
    Fixture f;
    QVERIFY(f.linkIdle());
    QSignalSpy started(f.window->link(), &InstrumentLink::jobStarted);
    f.record.Samples(1, 0) = 42;
    const WaveRecord before = f.record;
    const WaveScale scaleBefore = f.display()->scale();
    const QString timeLabel = f.label("Parameter_0");
    f.prompts.answers.push_back(QMessageBox::Cancel);
    f.window->Command1_Click(int(Command::Load));

    QCOMPARE(f.prompts.asked.size(), 1);
    const ScriptedPrompts::Asked& asked = f.prompts.asked[0];
    QCOMPARE(asked.caption, QStringLiteral("読込先の選択"));
    QCOMPARE(asked.text, QStringLiteral("MIRAVO本体からの読込ですか？"));
    QCOMPARE(asked.icon, QMessageBox::NoIcon);
    QCOMPARE(asked.buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    QCOMPARE(asked.defaultButton, QMessageBox::Yes);
    QVERIFY(f.prompts.fileDialogs.isEmpty());
    QVERIFY(f.record == before);
    QCOMPARE(f.display()->scale(), scaleBefore);
    QCOMPARE(f.label("Parameter_0"), timeLabel);
    QVERIFY(started.isEmpty());
    QVERIFY(f.window->link()->state().open);
}

// A saved file loaded back: the record, channel boxes, time axis and labels follow it.
void TestMainWindow::fileLoadRefreshesTheView()
{
    Fixture f;
    f.record.SecondsPerDiv = 1e-4f;
    f.record.Ch1VoltsPerDiv = 0.5f;
    f.record.Ch2VoltsPerDiv = 1.0f;
    f.record.Samples(2, 5119) = -40;
    const QString path = f.dir.filePath(QStringLiteral("wave.CSV"));
    f.prompts.fileNames.push_back(path);
    f.window->Command1_Click(int(Command::Save));

    f.display()->setFlagValue(WaveDisplay::Flag::Ch2, 0);
    f.display()->setScale({100, 200});
    f.record.Samples(2, 5119) = 99;
    f.prompts.answers.push_back(QMessageBox::No);
    f.prompts.fileNames.push_back(path);
    f.window->Command1_Click(int(Command::Load));

    QCOMPARE(f.record.Samples(2, 5119), int16_t(-40));
    QCOMPARE(f.record.ParamsLocked, kTrue);
    QCOMPARE(f.display()->flagValue(WaveDisplay::Flag::Ch2), 1);
    QCOMPARE(f.display()->scale(), (WaveScale{0, 5119}));
    QCOMPARE(f.label("Parameter_2"), QStringLiteral("CH1 500mV/DIV"));
    QVERIFY2(f.label("Parameter_0").contains(QStringLiteral("100us/DIV")), qPrintable(f.label("Parameter_0")));
}

void TestMainWindow::buttonsDuringInstrumentLoad()
{
    // Paced so that the 5120 bytes of channel 1 take about five seconds.
    SimOptions paced;
    paced.paceBaud = 9600;
    Fixture f({}, paced);
    QVERIFY(f.linkIdle());
    f.window->show();
    f.prompts.answers.push_back(QMessageBox::Yes);
    f.window->Command1_Click(int(Command::Load));
    for (int i = 0; i <= 10; ++i)
        QVERIFY2(!f.button(Command(i))->isEnabled(), qPrintable(QString::number(i)));
    QVERIFY(f.button(Command::Exit)->isEnabled());
    QTest::qWait(100);
    QVERIFY(f.window->link()->isBusy());
    // A click that reaches a disabled button does nothing; EXIT ends the program at once
    // and closes the port in the middle of the download.
    f.window->Command1_Click(int(Command::Load));
    QCOMPARE(f.prompts.asked.size(), 1);
    f.button(Command::Exit)->click();
    QCOMPARE(f.endCalls, 1);
    QVERIFY(!f.window->isVisible());
    QVERIFY(!f.window->link()->run());
}

// With no channel checked the flow goes straight to the setup dialog, so the Setup button
// must be usable again by then.
void TestMainWindow::instrumentLoadWithoutChannels()
{
    Fixture f;
    QVERIFY(f.linkIdle());
    f.display()->setFlagValue(WaveDisplay::Flag::Ch1, 0);
    f.display()->setFlagValue(WaveDisplay::Flag::Ch2, 0);
    QSignalSpy started(f.window->link(), &InstrumentLink::jobStarted);
    QString opened;
    whenModalOpens([&](QWidget* dialog) {
        opened = dialog->objectName();
        qobject_cast<QDialog*>(dialog)->reject();
    });
    f.prompts.answers.push_back(QMessageBox::Yes);
    f.window->Command1_Click(int(Command::Load));
    QTRY_COMPARE(opened, QStringLiteral("frmSetup"));
    QVERIFY(started.isEmpty());
    QTRY_VERIFY(f.button(Command::Load)->isEnabled());
}

void TestMainWindow::setupRefreshesWithoutRedraw()
{
    Fixture f;
    f.record.SecondsPerDiv = 1e-4f;
    f.record.Ch1VoltsPerDiv = 0.5f;
    f.record.Ch2VoltsPerDiv = 2.0f;
    whenModalOpens([](QWidget* dialog) { qobject_cast<QDialog*>(dialog)->reject(); });
    f.window->Command1_Click(int(Command::Setup));
    QCOMPARE(f.label("Parameter_2"), QStringLiteral("CH1 500mV/DIV"));
    QCOMPARE(f.label("Parameter_3"), QStringLiteral("CH2 2 V/DIV"));
    // No redraw: the time label keeps its design caption.
    QCOMPARE(f.label("Parameter_0"), QStringLiteral("TimeScale"));
}

void TestMainWindow::optionsCloseReopensPort_data()
{
    QTest::addColumn<QString>("closeWith");
    QTest::addColumn<bool>("stored");
    QTest::newRow("OK") << "cmdOK" << true;
    QTest::newRow("Cancel") << "cmdCancel" << false;
}

void TestMainWindow::optionsCloseReopensPort()
{
    QFETCH(QString, closeWith);
    QFETCH(bool, stored);
    Fixture f;
    QVERIFY(f.linkIdle());
    const std::array<int32_t, 7> before = f.display()->colors();
    QSignalSpy started(f.window->link(), &InstrumentLink::jobStarted);
    QSignalSpy applied(f.window->link(), &InstrumentLink::settingsApplied);
    f.prompts.colors.push_back(QColor(1, 2, 3));
    whenModalOpens([&](QWidget* dialog) {
        dialog->findChild<QPushButton*>("ColorCommand_0")->click();
        dialog->findChild<QPushButton*>(closeWith)->click();
    });
    f.window->Command1_Click(int(Command::Option));
    QCOMPARE(started.size(), 1);
    QCOMPARE(started[0][0].value<LinkJob>(), LinkJob::ApplySettings);
    QTRY_COMPARE(applied.size(), 1);
    QVERIFY(applied[0][0].value<LinkState>().open);
    QCOMPARE(f.settings.Color[0], stored ? 0x030201 : before[0]);
    QCOMPARE(f.display()->colors(), f.settings.Color);
    QVERIFY(f.prompts.asked.isEmpty());
}

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
