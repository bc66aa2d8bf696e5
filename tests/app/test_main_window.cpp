// The main window end to end: its load steps and dispatch, and the acquisition flows
// through the instrument link, QSerialPort and the simulated instrument on a
// pseudo-terminal, with the setup dialog filled in by key presses, the document's refresh
// and the drawn picture; dialogs opened while a single sweep waits.

#include "app/MainWindow.h"
#include "core/EngNumber.h"
#include "document/AcquisitionFlow.h"
#include "document/ProgramCore.h"
#include "document/widgets/SetupDialog.h"
#include "link/InstrumentLink.h"
#include "link/LinkError.h"
#include "sim/SimWaveform.h"
#include "sim/SimulatedInstrument.h"
#include "support/ModalHelper.h"
#include "support/PixelCount.h"
#include "support/SampleWaves.h"
#include "support/ShownText.h"
#include "support/ScriptedPrintDialog.h"
#include "support/ScriptedPrompts.h"
#include "support/TypeInto.h"
#include "wave/WaveReferencePainter.h"
#include "wave/widgets/WaveDisplay.h"
#include "wave/widgets/WaveWindow.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTest>
#include <fstream>
#include <memory>

using namespace std::chrono_literals;
using Flow = AcquisitionFlow::Flow;
using Outcome = AcquisitionFlow::Outcome;
using Stage = AcquisitionFlow::Stage;
Q_DECLARE_METATYPE(Command)

namespace {

constexpr uint32_t kSeed = 7;
const QString kBusyLight = QStringLiteral("background-color: rgb(200, 0, 0);");

// A file dialog that stays open until `until` holds, as a user who takes their time.
class SlowPrompts : public ScriptedPrompts {
public:
    std::function<bool()> until = [] { return true; };
    std::optional<SaveName> saveFileName(QWidget* parent, const QString& title, const QString& filter,
                                         int selectedFilter) override
    {
        if (!QTest::qWaitFor(until, 30000))
            qWarning("the file dialog was closed before its moment");
        return ScriptedPrompts::saveFileName(parent, title, filter, selectedFilter);
    }
};

SimOptions simOptions(std::chrono::milliseconds sweepTime = 300ms, int paceBaud = 0, std::optional<std::string> identity = {})
{
    return {.seed = kSeed, .sweepTime = sweepTime, .paceBaud = paceBaud, .faults = {}, .identity = identity};
}

// A main window loaded in a fresh working directory against the simulated instrument,
// with every outside part scripted.
struct Fixture {
    QTemporaryDir dir;
    SimulatedInstrument simulator;
    ProgramCore core;
    WaveDocument& document = core.document();
    EnvSettings& settings = core.settings();
    SlowPrompts prompts;
    ScriptedPrintDialog printDialog;
    QStringList helpOpened;
    bool noBrowser = false;
    int endCalls = 0;
    std::unique_ptr<MainWindow> window;

    // settingsFile: bytes written to MV_UTL.ENV before the load; none: no file.
    // missingDevice: a name in the working directory opened instead of the simulator.
    // configFolder: a folder of the working directory named as the user's configuration.
    explicit Fixture(SimOptions sim = simOptions(), std::optional<std::string> settingsFile = {},
                     const QString& missingDevice = {}, const QString& configFolder = {})
    {
        QDir::setCurrent(dir.path());
        if (settingsFile)
            std::ofstream(dir.filePath("MV_UTL.ENV").toStdString(), std::ios::binary) << *settingsFile;
        MainWindowServices services;
        services.prompts = &prompts;
        services.printDialog = &printDialog;
        services.devicePath = missingDevice.isEmpty() ? simulator.start(sim) : dir.filePath(missingDevice);
        services.appDir = QStringLiteral("/app dir");
        if (!configFolder.isEmpty())
            services.configDir = dir.filePath(configFolder);
        services.help.fileExists = [](const QString&) { return true; };
        services.help.open = [this](const QString& path, const std::function<void()>& failed) {
            helpOpened << path;
            if (noBrowser)
                failed();
        };
        services.endProgram = [this] { ++endCalls; };
        window = std::make_unique<MainWindow>(core, std::move(services));
        window->resize(1000, 700);
    }

    bool shown()
    {
        window->show();
        window->activateWindow();
        return QTest::qWaitForWindowActive(window.get()) && linkIdle();
    }
    bool linkIdle() const { return QTest::qWaitFor([this] { return !window->link()->isBusy(); }, 5000); }
    AcquisitionFlow* flow() const { return window->acquisition(); }
    WaveDisplay* display() const { return window->display(); }
    QPushButton* button(Command c) const { return window->findChild<QPushButton*>(QStringLiteral("Command1_%1").arg(int(c))); }
    QString label(const QString& name) const { return window->findChild<QLabel*>(name)->text(); }
    void click(Command c) { QTest::mouseClick(button(c), Qt::LeftButton); }

    // The setup dialog that is open now, or none.
    SetupDialog* setupDialog() const
    {
        for (SetupDialog* dialog : window->findChildren<SetupDialog*>())
            if (dialog->isVisible())
                return dialog;
        return nullptr;
    }

    // The user answers the fresh-capture warning and types the conditions of the capture.
    void fillCaptureSetup()
    {
        QVERIFY(QTest::qWaitFor([this] { return setupDialog() != nullptr; }, 30000));
        SetupDialog* dialog = setupDialog();
        QTRY_VERIFY(!prompts.asked.isEmpty() && prompts.asked.last().text.startsWith(QStringLiteral("波形の新規取り込み直後です")));
        for (auto [name, text] : {std::pair{"SetupCombo_0", "1m"}, {"SetupCombo_1", "500m"}, {"SetupCombo_2", "2"},
                                  {"SetupOffset_0", "1"}, {"SetupOffset_1", "-0.4"}, {"Title", "E2E"}})
            typeInto(dialog->findChild<QWidget*>(name), text);
        QTest::mouseClick(dialog->findChild<QPushButton*>("Command1_1"), Qt::LeftButton);
    }

    // Starts a flow from its button and waits for its end; returns the outcome.
    Outcome run(Command command, const std::function<void()>& meanwhile = {})
    {
        const Flow started = command == Command::Load ? Flow::Load : command == Command::Single ? Flow::Single : Flow::Identity;
        QSignalSpy finished(flow(), &AcquisitionFlow::finished);
        if (command == Command::Load)
            prompts.answers.push_back(QMessageBox::Yes);
        click(command);
        if (meanwhile)
            meanwhile();
        const auto ended = [&] {
            return std::find_if(finished.cbegin(), finished.cend(),
                                [&](const QList<QVariant>& args) { return args.at(0).value<Flow>() == started; });
        };
        if (!QTest::qWaitFor([&] { return ended() != finished.cend(); }, 60000))
            qFatal("flow did not finish");
        return ended()->at(1).value<Outcome>();
    }

    // A record that a capture must not touch unless it completes, shown.
    void showPreviousRecord(bool locked = true)
    {
        auto record = std::make_unique<WaveRecord>();
        FillSineSquare(*record, 5119);
        record->Title = "前の波形";
        record->SecondsPerDiv = 2e-3f;
        record->Ch1VoltsPerDiv = 1.0f;
        record->Ch2VoltsPerDiv = 1.0f;
        record->ParamsLocked = locked ? kTrue : kFalse;
        document.applyFile(*record);
    }
    QImage picture() const { return display()->waveWindow()->image(); }
};

// The record a capture leaves once the typed setup values are stored and the offsets
// removed from the raw samples.
void expectCapture(const WaveRecord& record, int points, int capture)
{
    auto expected = std::make_unique<WaveRecord>();
    expected->Title = "E2E";
    expected->SecondsPerDiv = 1e-3f;
    expected->Ch1VoltsPerDiv = 0.5f;
    expected->Ch2VoltsPerDiv = 2.0f;
    expected->Ch1Offset = 25.0f;
    expected->Ch2Offset = -10.0f;
    expected->LastIndex = points - 1;
    for (int channel = 1; channel <= 2; ++channel) {
        const std::string raw = SimWaveform(channel, 0, points, kSeed, capture);
        for (int i = 0; i < points; ++i)
            expected->Samples(channel, i) = int16_t(SignedByte(uint8_t(raw[std::size_t(i)])) - expected->offset(channel));
    }
    // 500 samples a division in a normal record, 10000 in a long one.
    QVERIFY(qFuzzyCompare(record.SecondsPerSample, 1e-3f / (points > 30000 ? 10000.0f : 500.0f)));
    expected->SecondsPerSample = record.SecondsPerSample;
    QVERIFY2(record == *expected, "the record differs from the capture with the typed setup");
}

// The picture must be the whole record drawn by the one-call-per-sample painter.
void expectPicture(const Fixture& f)
{
    const WaveRecord& record = f.document.record();
    QCOMPARE(f.document.view(), (WaveScale{0, double(record.LastIndex)}));
    const std::optional<WaveScene> scene = ComputeWaveScene(record, f.document.view(), f.document.displayFlags());
    QVERIFY(scene);
    QImage expected(f.picture().size(), QImage::Format_RGB32);
    PaintWaveSceneReference(expected, *scene, f.display()->colors());
    QCOMPARE(f.picture().convertToFormat(QImage::Format_RGB32), expected);
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QDir::setCurrent(QDir::tempPath()); }
    void start_data()
    {
        QTest::addColumn<bool>("damaged");   // a 10-byte settings file and a port that will not open
        QTest::addColumn<QString>("configFolder");
        QTest::newRow("fresh directory") << false << QString();
        QTest::newRow("fresh directory, a configuration folder named") << false << "config/miravo-link";
        QTest::newRow("damaged file, missing port, a configuration folder named") << true << "config";
    }

    // The example wave is loaded before the window shows. A missing settings file is created,
    // in the configuration folder when one is named (made as needed); a damaged one in the
    // working directory is used, told and left for the user. A port that will not open is
    // told, its name shown as the text it is.
    void start()
    {
        QFETCH(bool, damaged);
        QFETCH(QString, configFolder);
        Fixture f(simOptions(), damaged ? std::optional(std::string(10, '\x01')) : std::nullopt,
                  damaged ? QStringLiteral("<b>ttyS9</b>") : QString(), configFolder);
        QCOMPARE(f.document.record().LastIndex, 5119);
        QVERIFY(!f.window->isVisible());
        QCOMPARE(f.settings, EnvSettings{});
        const QString used = damaged || configFolder.isEmpty() ? f.dir.path() : f.dir.filePath(configFolder);
        QCOMPARE(std::filesystem::file_size((used + "/MV_UTL.ENV").toStdString()), std::uintmax_t(damaged ? 10 : 40));
        QCOMPARE(QFileInfo::exists(f.dir.filePath("MV_UTL.ENV")), damaged || configFolder.isEmpty());
        QVERIFY(f.linkIdle());
        QCOMPARE(f.window->link()->state().open, !damaged);
        QTRY_COMPARE(f.prompts.asked.size(), damaged ? 2 : 0);
        if (!damaged) {
            QVERIFY2(f.label("PortStatus").contains(QStringLiteral("9600,n,8,1")), qPrintable(f.label("PortStatus")));
            return;
        }
        QVERIFY2(f.prompts.asked[0].text.contains(QStringLiteral("設定ファイル")), qPrintable(f.prompts.asked[0].text));
        QCOMPARE(f.prompts.asked[1].icon, QMessageBox::Warning);
        QCOMPARE(shownText(f.window->findChild<QLabel*>("PortStatus")), f.dir.filePath("<b>ttyS9</b>") + "  未接続");
    }

    // Commands that send nothing to the instrument. Help is looked up beside the program, and
    // shown in a window of the program where no browser takes it. Print
    // opens the print dialog from its button and from P in the wave window, whatever the
    // modifiers; a held key prints once. An index outside the command table does nothing. With
    // no channel checked, a Load sends nothing and still opens the setup dialog.
    void commandsThatSendNothing()
    {
        Fixture f;
        QVERIFY(f.shown());
        QSignalSpy started(f.window->link(), &InstrumentLink::jobStarted);
        f.window->Command1_Click(-1);
        f.window->Command1_Click(kCommandCount);
        f.click(Command::Help);
        f.click(Command::Print);
        QTest::keyClick(f.display()->waveWindow(), Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
        QKeyEvent held(QEvent::KeyPress, Qt::Key_P, Qt::NoModifier, QStringLiteral("p"), true);
        QApplication::sendEvent(f.display()->waveWindow(), &held);
        const QString guide = QStringLiteral("/app dir/help/index.html");
        QCOMPARE(f.helpOpened, QStringList{guide});
        QVERIFY(!f.window->findChild<QTextBrowser*>("HelpText"));
        f.noBrowser = true;
        f.click(Command::Help);
        auto* builtIn = f.window->findChild<QTextBrowser*>("HelpText");
        QVERIFY(builtIn && builtIn->isVisible());
        QCOMPARE(builtIn->source(), QUrl::fromLocalFile(guide));
        QCOMPARE(f.printDialog.titles, QStringList(2, QStringLiteral("印刷の設定")));
        QVERIFY(started.isEmpty() && f.prompts.asked.isEmpty() && f.prompts.fileDialogs.isEmpty());
        QCOMPARE(f.endCalls, 0);

        f.document.setFlag(WaveDocument::Flag::Ch1, 0);
        f.document.setFlag(WaveDocument::Flag::Ch2, 0);
        f.prompts.answers.push_back(QMessageBox::Yes);
        f.click(Command::Load);
        QTRY_VERIFY(f.setupDialog() != nullptr);
        QVERIFY(started.isEmpty());
        QVERIFY(f.button(Command::Load)->isEnabled());
    }

    void fileLoadRefreshesTheView_data()
    {
        QTest::addColumn<bool>("namedAtStart");
        QTest::addColumn<bool>("cut");   // the file's last line end is missing
        QTest::newRow("Load button") << false << false;
        QTest::newRow("Load button, last line cut") << false << true;
        QTest::newRow("named at start, last line cut") << true << true;
    }

    // A saved file loaded back, by Load or named on the command line: the record, channel
    // boxes, time axis and labels follow it. One that may have been cut short is loaded
    // and the status line says so.
    void fileLoadRefreshesTheView()
    {
        QFETCH(bool, namedAtStart);
        QFETCH(bool, cut);
        Fixture f;
        QVERIFY(f.shown());
        f.showPreviousRecord();
        const WaveRecord saved = f.document.record();
        const QString path = f.dir.filePath(QStringLiteral("wave.CSV"));
        f.prompts.fileNames.push_back(path);
        f.click(Command::Save);
        if (cut)
            QVERIFY(QFile::resize(path, QFileInfo(path).size() - 2));

        QTest::mouseClick(f.window->findChild<QCheckBox*>("Ch2Flag"), Qt::LeftButton);
        QVERIFY(f.document.step(1, {1, 0}));   // zoomed in
        if (namedAtStart) {
            f.window->openWaveFile(path);
        } else {
            f.prompts.answers.push_back(QMessageBox::No);
            f.prompts.fileNames.push_back(path);
            f.click(Command::Load);
        }

        QCOMPARE(f.document.record().Samples, saved.Samples);
        QCOMPARE(f.document.record().ParamsLocked, kTrue);
        QCOMPARE(f.window->findChild<QCheckBox*>("Ch2Flag")->checkState(), Qt::Checked);
        QCOMPARE(f.document.view(), (WaveScale{0, 5119}));
        QCOMPARE(f.label("Parameter_2"), QStringLiteral("CH1 1 V/DIV"));
        QCOMPARE(f.label("Parameter_0"), QStringLiteral("Time: 2ms/DIV"));
        QCOMPARE(f.window->statusBar()->currentMessage(),
                 cut ? QStringLiteral("波形ファイル「%1」の最後の行に行末がありません。途中で切れているかもしれません。").arg(path)
                     : QString());
    }

    // A file named at start that cannot be read is told once the window is up, as a file
    // that could not be opened; the waveform is the empty one.
    void unreadableStartFile()
    {
        Fixture f;
        const QString path = f.dir.filePath(QStringLiteral("missing.CSV"));
        f.window->openWaveFile(path);
        QVERIFY(f.prompts.asked.isEmpty());
        QVERIFY(f.shown());
        QTRY_COMPARE(f.prompts.asked.size(), 1);
        QVERIFY2(f.prompts.asked[0].text.startsWith(QStringLiteral("波形ファイル「%1」を開けませんでした。\n").arg(path)),
                 qPrintable(f.prompts.asked[0].text));
        QCOMPARE(f.document.record().LastIndex, 5119);
    }

    void setupRefreshesWithoutRedraw_data()
    {
        QTest::addColumn<bool>("loadAfter");     // Load from a file follows
        QTest::addColumn<QString>("fileName");   // what its file dialog gives; empty: cancelled
        QTest::newRow("Setup alone") << false << QString();
        QTest::newRow("then Load, file dialog cancelled") << true << QString();
        QTest::newRow("then Load, file refused") << true << "wave.txt";
    }

    // The labels follow the setup at once; the picture and its time label wait for the next
    // redraw, which Load from a file makes also when it takes no file.
    void setupRefreshesWithoutRedraw()
    {
        QFETCH(bool, loadAfter);
        QFETCH(QString, fileName);
        Fixture f;
        QVERIFY(f.shown());
        f.showPreviousRecord(false);
        f.click(Command::Setup);
        SetupDialog* dialog = f.setupDialog();
        QVERIFY(dialog);
        QTRY_COMPARE(QApplication::activeWindow(), dialog);
        typeInto(dialog->findChild<QWidget*>("SetupCombo_0"), "1m");

        typeInto(dialog->findChild<QWidget*>("SetupCombo_2"), "500m");
        QTest::mouseClick(dialog->findChild<QPushButton*>("Command1_1"), Qt::LeftButton);
        QCOMPARE(f.label("Parameter_3"), QStringLiteral("CH2 500mV/DIV"));
        QCOMPARE(f.document.record().SecondsPerDiv, 1e-3f);
        QVERIFY(!f.document.isHeld());
        if (loadAfter) {
            const WaveRecord before = f.document.record();
            f.prompts.answers.push_back(QMessageBox::No);
            if (!fileName.isEmpty())
                f.prompts.fileNames.push_back(f.dir.filePath(fileName));
            f.click(Command::Load);
            QVERIFY(f.document.record() == before);
            expectPicture(f);
        }
        QCOMPARE(f.label("Parameter_0"), loadAfter ? QStringLiteral("Time: 1ms/DIV") : QStringLiteral("Time: 2ms/DIV"));
    }

    void capture_data()
    {
        QTest::addColumn<Command>("command");
        QTest::addColumn<int>("length");    // the LONG check box

        QTest::newRow("Load, both channels, long") << Command::Load << 1;
        QTest::newRow("Single, both channels, normal") << Command::Single << 0;
    }

    void capture()
    {
        QFETCH(Command, command);
        QFETCH(int, length);
        const bool load = command == Command::Load;

        Fixture f(simOptions(200ms));
        QVERIFY(f.shown());
        f.document.setFlag(WaveDocument::Flag::Length, length);
        const QString green = QStringLiteral("background-color: rgb(0, 128, 0);");
        f.button(Command::Single)->setStyleSheet(green);
        auto* progress = f.window->findChild<QWidget*>("DownloadProgress");
        // What the window shows while the sweep runs and while each channel transfers.
        bool sweepShown = false;
        QList<bool> transferShown;
        connect(f.window->link(), &InstrumentLink::jobStarted, this, [&](LinkJob job) {
            if (job == LinkJob::SingleSweep)
                sweepShown = f.button(Command::Single)->styleSheet() == kBusyLight &&
                             progress->findChild<QProgressBar*>("ProgressBar")->maximum() == 0 &&
                             f.button(Command::Stop)->isEnabled() && !f.button(Command::IdRead)->isEnabled();
        });
        connect(f.window->link(), &InstrumentLink::downloadProgress, this, [&] {
            // Load turns buttons 0 to 10 off; Single leaves Setup on. No second exchange either way.
            transferShown << (f.button(Command::Load)->styleSheet() == kBusyLight && progress->isVisible() &&
                              !f.button(Command::Run)->isEnabled() && !f.button(Command::Stop)->isEnabled() &&
                              !f.button(Command::IdRead)->isEnabled() && f.button(Command::Setup)->isEnabled() != load &&
                              f.button(Command::Exit)->isEnabled());
        });

        // Behind its setup dialog the capture is not drawn yet: it has no time base or offsets.
        const QImage before = f.picture();
        const QString timeBefore = f.label("Parameter_0");
        QImage behindSetup;
        QString timeBehindSetup;
        QCOMPARE(f.run(command, [&] {
            QVERIFY(QTest::qWaitFor([&] { return f.setupDialog() != nullptr; }, 30000));
            behindSetup = f.picture();
            timeBehindSetup = f.label("Parameter_0");
            f.fillCaptureSetup();
        }), Outcome::Done);
        QCOMPARE(behindSetup, before);
        QCOMPARE(timeBehindSetup, timeBefore);
        QCOMPARE(sweepShown, !load);
        QVERIFY(!transferShown.isEmpty() && !transferShown.contains(false));
        QCOMPARE(f.button(Command::Single)->styleSheet(), green);
        QCOMPARE(f.button(Command::Load)->styleSheet(), QString());
        QVERIFY(!progress->isVisible());
        QCOMPARE(f.prompts.asked.size(), load ? 2 : 1);   // the Load question, the fresh-capture warning
        // The samples come from the instrument's first capture, or the one WSGL made.
        expectCapture(f.document.record(), length ? 102400 : 5120, load ? 0 : 1);
        expectPicture(f);
        for (int i = 0; i < kCommandCount; ++i)
            QVERIFY(f.button(Command(i))->isEnabled());
    }

    void dialogDuringSingleWait_data()
    {
        QTest::addColumn<Command>("dialog");
        QTest::newRow("Save") << Command::Save;
        QTest::newRow("Setup, cancelled") << Command::Setup;
        QTest::newRow("Option, a colour chosen") << Command::Option;
    }

    // A dialog opened while the single sweep waits and closed after both channels arrived:
    // the capture waits for it, then its own setup dialog follows with the warning, and what
    // is entered there is applied to the new samples. Save writes the record from before the
    // sweep; the colour chosen in Options reaches the picture, and the port is reopened only
    // once the whole flow has ended.
    void dialogDuringSingleWait()
    {
        QFETCH(Command, dialog);
        Fixture f(simOptions(500ms));
        QVERIFY(f.shown());
        f.showPreviousRecord();
        const QString before = f.dir.filePath("before.CSV");
        const QString during = f.dir.filePath("during.CSV");
        f.prompts.fileNames = {before, during};
        f.click(Command::Save);
        QSignalSpy applied(f.window->link(), &InstrumentLink::settingsApplied);
        bool appliedBeforeSetupClosed = false;
        const auto held = [&] { return f.flow()->stage() == Stage::Holding; };
        f.prompts.until = held;
        f.prompts.colors.push_back(QColor(1, 2, 3));
        if (dialog == Command::Option)
            whenModalOpens([&](QWidget* options) {
                options->findChild<QPushButton*>("ColorCommand_0")->click();
                QVERIFY(QTest::qWaitFor(held, 30000));
                options->findChild<QPushButton*>("cmdOK")->click();
            });

        const Outcome outcome = f.run(Command::Single, [&] {
            f.window->Command1_Click(int(dialog));
            if (dialog == Command::Setup) {
                QVERIFY(QTest::qWaitFor(held, 30000));
                QTest::mouseClick(f.setupDialog()->findChild<QPushButton*>("Command1_2"), Qt::LeftButton);
            }
            QVERIFY(QTest::qWaitFor([&] { return f.setupDialog() != nullptr; }, 30000));
            appliedBeforeSetupClosed = !applied.isEmpty();
            f.fillCaptureSetup();
        });
        QCOMPARE(outcome, Outcome::Done);
        expectCapture(f.document.record(), 5120, 1);
        expectPicture(f);
        if (dialog == Command::Save) {
            QFile a(before), b(during);
            QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
            QCOMPARE(b.readAll(), a.readAll());
        }
        if (dialog == Command::Option) {
            QVERIFY(!appliedBeforeSetupClosed);
            QTRY_COMPARE(applied.size(), 1);
            QVERIFY(applied[0][0].value<LinkState>().open);
            QCOMPARE(f.settings.Color[0], 0x030201);
            QCOMPARE(f.display()->colors(), f.settings.Color);
        }
    }

    void interruptionChangesNothing_data()
    {
        QTest::addColumn<Command>("command");
        QTest::addColumn<int>("channel");      // where it happens; 0: during the sweep's status poll
        QTest::addColumn<QString>("what");     // the user's cancel or the instrument's fault
        QTest::addColumn<QString>("reason");   // the link's words in the message; none for a cancel

        // In channel 2, channel 1 has arrived and must not be applied on its own.
        QTest::newRow("cancel button in channel 2") << Command::Load << 2 << "cancel button" << QString();
        QTest::newRow("Esc in the sweep's status poll") << Command::Single << 0 << "Esc" << QString();
        // The port reopening that Options asks for waits for the STOP, not the other way round.
        QTest::newRow("Options OK, then STOP in the sweep's status poll") << Command::Single << 0 << "Options, STOP" << QString();
        QTest::newRow("short block in channel 2") << Command::Load << 2 << "short block" << LinkMessage::blockStalled();
        QTest::newRow("every line refused in channel 1") << Command::Load << 1 << "refused" << LinkMessage::refused("DTWAVE?", 9);
    }

    void interruptionChangesNothing()
    {
        QFETCH(Command, command);
        QFETCH(int, channel);
        QFETCH(QString, what);
        QFETCH(QString, reason);
        const bool cancel = reason.isEmpty();

        // About 0.9 s a channel, so that a cancel lands inside it; a sweep that does not end.
        Fixture f(simOptions(channel == 0 ? 60s : 100ms, 57600));
        QVERIFY(f.shown());
        f.showPreviousRecord();
        const WaveRecord before = f.document.record();
        const QImage picture = f.picture();
        QSignalSpy jobs(f.window->link(), &InstrumentLink::jobFinished);

        SimFaults faults;
        faults.block = what == "short block" ? BlockFault::Short : BlockFault::None;
        faults.nakLines = what == "refused" ? 1000 : 0;
        bool done = false;
        const auto interrupt = [&] {
            if (std::exchange(done, true))
                return;
            if (!cancel) {
                f.simulator.setFaults(faults);
                return;
            }
            // No second command is taken while one runs.
            QCOMPARE(f.flow()->ReadIdentity(), false);
            if (what == "Esc")
                QTest::keyClick(f.display()->waveWindow(), Qt::Key_Escape);
            else if (what.endsWith("STOP")) {
                if (what.startsWith("Options")) {
                    whenModalOpens([](QWidget* options) { options->findChild<QPushButton*>("cmdOK")->click(); });
                    f.click(Command::Option);
                }
                f.click(Command::Stop);
            }
            else
                QTest::mouseClick(f.window->findChild<QPushButton*>("CancelButton"), Qt::LeftButton);
        };
        if (!cancel && channel == 1)
            interrupt();
        connect(f.window->link(), &InstrumentLink::channelDownloaded, this, [&](int arrived) {
            if (!cancel && arrived == channel - 1)
                interrupt();
        });
        connect(f.window->link(), &InstrumentLink::downloadProgress, this, [&](int arriving, qint64 received) {
            if (cancel && arriving == channel && received > 0)
                interrupt();
        });
        connect(f.window->link(), &InstrumentLink::jobStarted, this, [&](LinkJob job) {
            if (job == LinkJob::SingleSweep && channel == 0)
                QTimer::singleShot(300, f.window.get(), interrupt);
        });

        QCOMPARE(f.run(command), cancel ? Outcome::Cancelled : Outcome::Failed);
        QVERIFY(done);
        QVERIFY(f.document.record() == before);
        QCOMPARE(f.picture(), picture);
        QVERIFY(f.setupDialog() == nullptr);
        QCOMPARE(f.button(Command::Load)->styleSheet(), QString());
        if (what.endsWith("STOP")) {
            // The wait ends, STOP goes out, and only then is the port reopened.
            QList<LinkJob> expected{LinkJob::SingleSweep, LinkJob::Stop};
            if (what.startsWith("Options"))
                expected << LinkJob::ApplySettings;
            QTRY_COMPARE(jobs.size(), expected.size());
            for (qsizetype i = 0; i < jobs.size(); ++i)
                QCOMPARE(jobs[i].at(0).value<LinkJob>(), expected[i]);
            QCOMPARE(jobs[1].at(1).value<JobResult>(), JobResult::Succeeded);
        }
        QTRY_VERIFY(f.flow()->isIdle());
        for (int i = 0; i < kCommandCount; ++i)
            QVERIFY(f.button(Command(i))->isEnabled());
        // One message after the Load question: the refused second command, or the failure.
        QCOMPARE(f.prompts.asked.size(), command == Command::Load ? 2 : 1);
        QCOMPARE(f.prompts.asked.last().icon, QMessageBox::Warning);
        QCOMPARE(f.prompts.asked.last().text,
                 cancel ? QStringLiteral("測定器と通信中です。\n終わってからもう一度操作してください。")
                        : QStringLiteral("CH%1 の波形を取り込めませんでした。\n%2\n\n波形と設定は取り込み前のままです。").arg(channel).arg(reason));
    }

    // EXIT works during a Load, while buttons 0 to 10 are off, and closes the port at once.
    void exitDuringDownload()
    {
        // Paced so that the 5120 bytes of channel 1 take about five seconds.
        Fixture f(simOptions(300ms, 9600));
        QVERIFY(f.shown());
        f.prompts.answers.push_back(QMessageBox::Yes);
        f.click(Command::Load);
        for (int i = 0; i <= 10; ++i)
            QVERIFY2(!f.button(Command(i))->isEnabled(), qPrintable(QString::number(i)));
        QTRY_VERIFY(f.window->link()->isBusy());
        // A click that reaches a disabled button does nothing.
        f.window->Command1_Click(int(Command::Load));
        QCOMPARE(f.prompts.asked.size(), 1);
        f.click(Command::Exit);
        QCOMPARE(f.endCalls, 1);
        QVERIFY(!f.window->isVisible());
        QVERIFY(!f.window->link()->run());
    }

    // ID Read splits the reply at every comma, trims nothing, and fills and whitens one value
    // label per field, the rest staying as they were. The instrument's text is never markup.
    void identityLabels_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("one field") << QByteArray(" KT-4410 ") << QStringList{" KT-4410 "};
        QTest::newRow("five fields, image markup") << QByteArray("<img src=/dev/zero>,KT-4410,X,1.00,e")
                                                 << QStringList{"<img src=/dev/zero>", "KT-4410", "X", "1.00"};
    }

    void identityLabels()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QStringList, shown);
        Fixture f(simOptions(300ms, 0, reply.toStdString()));
        QVERIFY(f.shown());
        QCOMPARE(f.run(Command::IdRead), Outcome::Done);
        for (int k = 0; k < 4; ++k) {
            auto* label = f.window->findChild<QLabel*>(QStringLiteral("IDLabel_%1").arg(k));
            const bool filled = k < shown.size();
            QCOMPARE(shownText(label), filled ? shown[k] : QString());
            QCOMPARE(label->autoFillBackground() && label->palette().color(QPalette::Window) == Qt::white, filled);
        }
        QVERIFY(f.setupDialog() == nullptr);
    }

    // A command refused nine times is told in the status line. After a cancelled Load the
    // instrument goes on sending its block: the next exchange reads it off first, says so in
    // the progress panel, and 中止 ends that wait. A line gone between exchanges is 未接続.
    void statusAndPanelFollowTheLink()
    {
        SimOptions options = simOptions(300ms, 9600); // 5120 bytes take about five seconds
        options.faults.nakLines = 9;
        Fixture f(options);
        QVERIFY(f.shown());
        f.click(Command::Run);
        QTRY_VERIFY(f.window->statusBar()->currentMessage().contains(QStringLiteral("RUN を受け付けませんでした")));

        auto* panel = f.window->findChild<QWidget*>("DownloadProgress");
        auto* cancel = panel->findChild<QPushButton*>("CancelButton");
        QSignalSpy progress(f.window->link(), &InstrumentLink::downloadProgress);
        f.prompts.answers.push_back(QMessageBox::Yes);
        f.click(Command::Load);
        QTRY_VERIFY(progress.size() >= 2);
        QTest::mouseClick(cancel, Qt::LeftButton);
        QTRY_VERIFY(f.flow()->isIdle());
        f.click(Command::IdRead);
        QTRY_VERIFY(shownText(panel->findChild<QLabel*>("ProgressText")).startsWith(QStringLiteral("前回の転送の残りを読み捨てています")));
        QTest::mouseClick(cancel, Qt::LeftButton);
        QTRY_VERIFY(f.flow()->isIdle());
        QVERIFY(panel->isHidden());

        f.simulator.stop();
        QTRY_VERIFY(shownText(f.window->findChild<QLabel*>("PortStatus")).endsWith(QStringLiteral("  未接続")));
    }

    // A capture kept as R1 by Alt+1 from the reference panel opened by Ctrl+R, a tolerance
    // typed there, and the next sweep judged: the verdict in the status line, the marks on
    // the picture and the deviation rows of the measurement panel, against the two records'
    // samples compared here (both at 500 mV/DIV and 2 V/DIV, so a count is 20 mV and 80 mV).
    void referenceVerdict_data()
    {
        QTest::addColumn<QString>("tolerance");
        QTest::addColumn<double>("volts");   // < 0: none
        QTest::newRow("no tolerance: no verdict") << "" << -1.0;
        QTest::newRow("every point inside") << "10" << 10.0;
        QTest::newRow("outside by a count") << "60m" << 0.06;
    }
    void referenceVerdict()
    {
        QFETCH(QString, tolerance);
        QFETCH(double, volts);
        Fixture f;
        QVERIFY(f.shown());
        QCOMPARE(f.run(Command::Load, [&] { f.fillCaptureSetup(); }), Outcome::Done);
        QVERIFY(f.shown());   // back from the setup dialog
        QTest::keyClick(f.window.get(), Qt::Key_R, Qt::ControlModifier);
        auto* panel = f.window->findChild<QWidget*>("ReferencePanel");
        QTRY_VERIFY(panel->isVisible());
        QTest::keyClick(f.window.get(), Qt::Key_1, Qt::AltModifier);
        auto reference = std::make_unique<WaveRecord>(f.document.record());
        auto* box = panel->findChild<QWidget*>("RefTolerance");
        typeInto(box, tolerance);
        if (tolerance.isEmpty())
            QTest::keyClick(box, Qt::Key_Backspace);
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(f.run(Command::Single, [&] { f.fillCaptureSetup(); }), Outcome::Done);
        QVERIFY(f.shown());

        const WaveRecord& live = f.document.record();
        QStringList outside;
        QTest::keyClick(f.window.get(), Qt::Key_M, Qt::ControlModifier);
        auto* table = f.window->findChild<QTableWidget*>("MeasurementTable");
        QTRY_VERIFY(table->isVisible());
        for (int channel : {1, 2}) {
            const double count = channel == 1 ? 0.02 : 0.08;
            int largest = 0;
            int beyond = 0;
            for (int i = 0; i <= live.LastIndex; ++i) {
                const int d = std::abs(live.Samples(channel, i) - reference->Samples(channel, i));
                largest = std::max(largest, d);
                beyond += volts >= 0 && d * count > volts + 1e-9;
            }
            if (beyond > 0)
                outside << QStringLiteral("CH%1 範囲外 %2 点").arg(channel).arg(beyond);
            const int row = table->rowCount() - 3;
            QCOMPARE(table->verticalHeaderItem(row)->text(), QStringLiteral("R1との最大偏差"));
            QCOMPARE(table->item(row, (channel - 1) * 6)->text(),
                     QString::fromStdString(FormatEng(float(largest * count), "##0.000")) + "V");
            QCOMPARE(table->item(row + 2, (channel - 1) * 6)->text(), volts < 0 ? "—" : QString::number(beyond));
        }
        QVERIFY2(volts != 0.06 || !outside.isEmpty(), "the second sweep should differ from the first");
        const QString verdict = volts < 0 ? QString()
                                : outside.isEmpty() ? QStringLiteral("R1 と比較: 合格")
                                                    : QStringLiteral("R1 と比較: 不合格（%1）").arg(outside.join("、"));
        QCOMPARE(f.window->statusBar()->currentMessage().startsWith("R1 と比較") ? f.window->statusBar()->currentMessage() : QString(),
                 verdict);
        QCOMPARE(pixelsOf(f.picture(), 0xFF00FF) > 0, !outside.isEmpty());
        QCOMPARE(shownText(panel->findChild<QLabel*>("RefVerdict")), verdict);
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
