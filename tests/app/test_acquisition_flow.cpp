// Load, Single and ID Read from the window's side, end to end: the controller, the
// instrument link through QSerialPort, the simulated instrument on a pseudo-terminal,
// the setup dialog filled in by script, the parameter refresh and the drawn picture.

#include "app/AcquisitionController.h"
#include "app/AcquisitionProgress.h"
#include "app/SetupDialog.h"
#include "core/EngNumber.h"
#include "link/InstrumentLink.h"
#include "link/LinkError.h"
#include "sim/SimWaveform.h"
#include "sim/SimulatedInstrument.h"
#include "support/ScriptedPrompts.h"
#include "wave/widgets/WaveDisplay.h"
#include "wave/WaveReferencePainter.h"
#include "wave/widgets/WaveWindow.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

using namespace std::chrono_literals;
using Flow = AcquisitionController::Flow;
using Outcome = AcquisitionController::Outcome;

namespace {

constexpr uint32_t kSeed = 7;
const QString kBusyLight = QStringLiteral("background-color: rgb(200, 0, 0);");
const LinkTimeouts kShortTimeouts{400ms, 400ms, 400ms};

// A main window in miniature: the wave display, the twelve buttons, the identity labels,
// the progress panel, and the link to a simulated instrument.
class Rig {
public:
    explicit Rig(std::chrono::milliseconds sweepTime = 300ms, int paceBaud = 0, LinkTimeouts timeouts = {})
        : link(nullptr, timeouts)
    {
        auto* layout = new QVBoxLayout(&window);
        display = new WaveDisplay(record, &window);
        layout->addWidget(display);
        auto* row = new QHBoxLayout;
        layout->addLayout(row);
        for (int i = 0; i < 12; ++i)
            row->addWidget(buttons[i] = new QPushButton(QString::number(i), &window));
        for (QLabel*& label : idLabels)
            layout->addWidget(label = new QLabel(&window));
        layout->addWidget(progress = new AcquisitionProgress(&window));

        const auto setLoadRunning = [this](bool running) {
            for (int i = 0; i <= 10; ++i)
                buttons[i]->setEnabled(!running);
        };
        controller = new AcquisitionController({&record, &link, display, &prompts, &window, buttons[2], buttons[10],
                                                idLabels, progress, setLoadRunning, [this] { pressSetup(); }},
                                               &window);
        SimOptions options;
        options.seed = kSeed;
        options.sweepTime = sweepTime;
        options.paceBaud = paceBaud;
        QString error;
        const QString device = sim.start(options, &error);
        QVERIFY2(!device.isEmpty(), qPrintable(error));
        QSignalSpy applied(&link, &InstrumentLink::settingsApplied);
        QVERIFY(link.applySettings(EnvSettings{}, device));
        QVERIFY(applied.wait(5000));
        window.resize(900, 600);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }

    void setFlags(int ch1, int ch2, int length)
    {
        display->setFlagValue(WaveDisplay::Flag::Ch1, ch1);
        display->setFlagValue(WaveDisplay::Flag::Ch2, ch2);
        display->setFlagValue(WaveDisplay::Flag::Length, length);
    }

    bool start(Flow flow)
    {
        if (flow == Flow::Load)
            return controller->LoadFromInstrument();
        return flow == Flow::Single ? controller->SingleSweep() : controller->ReadIdentity();
    }

    // Starts a flow and waits for its end; returns the outcome.
    Outcome runFlow(Flow flow)
    {
        QSignalSpy finished(controller, &AcquisitionController::flowFinished);
        start(flow);
        const auto ended = [&] {
            return std::find_if(finished.cbegin(), finished.cend(),
                                [&](const QList<QVariant>& args) { return args.at(0).value<Flow>() == flow; });
        };
        if (!QTest::qWaitFor([&] { return ended() != finished.cend(); }, 30000))
            qFatal("flow did not finish");
        return ended()->at(1).value<Outcome>();
    }

    QImage picture() const { return display->waveWindow()->image(); }

    WaveRecord record;
    ScriptedPrompts prompts;
    QWidget window;
    WaveDisplay* display = nullptr;
    std::array<QPushButton*, 12> buttons{};
    std::array<QLabel*, 4> idLabels{};
    AcquisitionProgress* progress = nullptr;
    InstrumentLink link;
    SimulatedInstrument sim;
    AcquisitionController* controller = nullptr;
    int setupPresses = 0;
    bool buttonsOnAtSetup = false;

private:
    // The window's Setup button: the dialog, then the parameter refresh.
    void pressSetup()
    {
        ++setupPresses;
        buttonsOnAtSetup = buttons[0]->isEnabled();
        SetupDialog dialog(record, prompts, &window);
        QTimer::singleShot(0, &dialog, [this, &dialog, fresh = record.FreshCapture == kTrue, asked = prompts.asked.size()] {
            fillSetup(&dialog, fresh, asked);
        });
        dialog.exec();
        display->RefreshParameters();
    }

    // After a capture the user answers the warning and enters the conditions; otherwise
    // closes the dialog.
    void fillSetup(SetupDialog* dialog, bool fresh, qsizetype asked)
    {
        if (!fresh) {
            dialog->Command1_Click(2);
            return;
        }
        if (!QTest::qWaitFor([&] { return prompts.asked.size() > asked; }, 5000))
            qWarning("no fresh-capture warning");
        dialog->findChild<QComboBox*>("SetupCombo_0")->setEditText("1m");
        dialog->findChild<QComboBox*>("SetupCombo_1")->setEditText("500m");
        dialog->findChild<QComboBox*>("SetupCombo_2")->setEditText("2");
        dialog->findChild<QLineEdit*>("SetupOffset_0")->setText("1");
        dialog->findChild<QLineEdit*>("SetupOffset_1")->setText("-0.4");
        dialog->findChild<QLineEdit*>("Title")->setText("E2E");
        dialog->Command1_Click(1);
    }
};

// The record a capture should leave once the scripted setup values are stored and the
// offsets removed from the raw samples.
void expectCapture(const WaveRecord& record, int points, int capture)
{
    WaveRecord expected;
    expected.Title = "E2E";
    expected.SecondsPerDiv = 1e-3f;
    expected.Ch1VoltsPerDiv = 0.5f;
    expected.Ch2VoltsPerDiv = 2.0f;
    expected.Ch1Offset = 25.0f;
    expected.Ch2Offset = -10.0f;
    expected.LastIndex = points - 1;
    for (int channel = 1; channel <= 2; ++channel) {
        const std::string raw = SimWaveform(channel, 0, points, kSeed, capture);
        for (int i = 0; i < points; ++i)
            expected.Samples(channel, i) = int16_t(SignedByte(uint8_t(raw[std::size_t(i)])) - expected.offset(channel));
    }
    // 500 samples a division in a normal record, 10000 in a long one.
    QVERIFY(qFuzzyCompare(record.SecondsPerSample, 1e-3f / (points > 30000 ? 10000.0f : 500.0f)));
    expected.SecondsPerSample = record.SecondsPerSample;
    QVERIFY2(record == expected, "the record differs from the capture with the scripted setup");
}

// The picture must be the record drawn by the one-call-per-sample painter.
void expectPicture(const Rig& rig)
{
    const auto flag = [&](WaveDisplay::Flag which) { return rig.display->flagValue(which); };
    using F = WaveDisplay::Flag;
    const DisplayFlags flags{flag(F::Ch1), flag(F::Ch2), flag(F::Base), flag(F::Grid), flag(F::Line)};
    const WaveScale scale = rig.display->scale();
    QCOMPARE(scale.ScaleLeft, 0.0f);
    QCOMPARE(scale.ScaleWidth, float(rig.record.LastIndex));
    const std::optional<WaveScene> scene = ComputeWaveScene(rig.record, scale, flags);
    QVERIFY(scene);
    QImage expected(rig.picture().size(), QImage::Format_RGB32);
    PaintWaveSceneReference(expected, *scene, rig.display->colors());
    QCOMPARE(rig.picture().convertToFormat(QImage::Format_RGB32), expected);
    const QColor trace1 = SlotColor(rig.display->colors()[kCh1TraceColor]);
    int traced = 0;
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x)
            traced += QColor(expected.pixel(x, y)) == trace1;
    QVERIFY(traced > expected.width());
}

// Shows a record that a capture must not touch unless it completes; returns it.
WaveRecord showPreviousRecord(Rig& rig)
{
    rig.record.Title = "前の波形";
    rig.record.SecondsPerDiv = 2e-3f;
    rig.record.Ch1VoltsPerDiv = 1.0f;
    rig.record.Ch2VoltsPerDiv = 1.0f;
    rig.record.ParamsLocked = kTrue;
    for (int i = 0; i < 5120; ++i) {
        rig.record.Samples(1, i) = int16_t((i % 100) - 50);
        rig.record.Samples(2, i) = int16_t((i / 256) % 2 ? 40 : -40);
    }
    rig.display->FitTimeAxis();
    rig.display->RefreshParameters();
    rig.display->RedrawWave();
    return rig.record;
}

// After a cancel or a failure: record, picture and window as before the command.
void expectUntouched(const Rig& rig, const WaveRecord& before, const QImage& picture)
{
    QVERIFY(rig.record == before);
    QCOMPARE(rig.picture(), picture);
    QCOMPARE(rig.setupPresses, 0);
    QVERIFY(!rig.progress->isVisible());
    QCOMPARE(rig.buttons[2]->styleSheet(), QString());
    QCOMPARE(rig.buttons[10]->styleSheet(), QString());
    for (const QPushButton* button : rig.buttons)
        QVERIFY(button->isEnabled());
    QVERIFY(!rig.controller->isBusy());
}

} // namespace

class TestAcquisitionFlow : public QObject {
    Q_OBJECT
private slots:
    void capture_data();
    void capture();
    void noChannelCheckedSendsNothing();
    void interruptionChangesNothing_data();
    void interruptionChangesNothing();
};

void TestAcquisitionFlow::capture_data()
{
    QTest::addColumn<Flow>("flow");
    QTest::addColumn<int>("length");    // the LONG check box
    QTest::addColumn<int>("capture");   // the instrument's capture the samples come from

    QTest::newRow("Load, both channels, long") << Flow::Load << 1 << 0;
    QTest::newRow("Single, both channels, normal") << Flow::Single << 0 << 1;   // WSGL made a new one
}

void TestAcquisitionFlow::capture()
{
    QFETCH(Flow, flow);
    QFETCH(int, length);
    QFETCH(int, capture);
    const bool load = flow == Flow::Load;

    Rig rig(200ms);
    rig.setFlags(1, 1, length);
    const QString green = QStringLiteral("background-color: rgb(0, 128, 0);");
    rig.buttons[2]->setStyleSheet(green);
    // What the window shows while the sweep runs and while each channel transfers.
    bool sweepShown = false;
    QList<bool> transferShown;
    // The buttons stay usable during a single sweep: a dialog the user opens meanwhile is not
    // covered by the setup dialog, which follows when it has closed.
    QDialog other(&rig.window);
    int pressesWhileOpen = -1;
    QObject::connect(&rig.link, &InstrumentLink::jobStarted, &rig.window, [&](LinkJob job) {
        if (job != LinkJob::SingleSweep)
            return;
        sweepShown = rig.buttons[2]->styleSheet() == kBusyLight &&
                     rig.progress->findChild<QProgressBar*>("ProgressBar")->maximum() == 0;
        QTimer::singleShot(0, &other, [&] { other.exec(); });
    });
    QObject::connect(&rig.link, &InstrumentLink::channelDownloaded, &rig.window, [&](int channel) {
        if (channel == 2 && other.isVisible())
            QTimer::singleShot(300, &other, [&] {
                pressesWhileOpen = rig.setupPresses;
                other.accept();
            });
    });
    QObject::connect(&rig.link, &InstrumentLink::downloadProgress, &rig.window, [&] {
        // Load turns buttons 0 to 10 off; Single leaves them on.
        transferShown << (rig.buttons[10]->styleSheet() == kBusyLight && rig.progress->isVisible() &&
                          rig.buttons[0]->isEnabled() != load && rig.buttons[4]->isEnabled() != load &&
                          rig.buttons[11]->isEnabled());
    });
    QSignalSpy busy(rig.controller, &AcquisitionController::busyChanged);

    QCOMPARE(rig.runFlow(flow), Outcome::Done);
    QCOMPARE(sweepShown, !load);
    QCOMPARE(pressesWhileOpen, load ? -1 : 0);
    QVERIFY(!transferShown.isEmpty() && !transferShown.contains(false));
    QCOMPARE(rig.buttons[2]->styleSheet(), green);
    QCOMPARE(rig.buttons[10]->styleSheet(), QString());
    // Setup comes after the buttons are on again.
    QCOMPARE(rig.setupPresses, 1);
    QVERIFY(rig.buttonsOnAtSetup);
    QVERIFY(!rig.progress->isVisible());
    QCOMPARE(busy.size(), 2);
    QCOMPARE(rig.prompts.asked.size(), 1);   // the fresh-capture warning only
    expectCapture(rig.record, length ? 102400 : 5120, capture);
    expectPicture(rig);
}

void TestAcquisitionFlow::noChannelCheckedSendsNothing()
{
    Rig rig;
    rig.setFlags(0, 0, 0);
    const WaveRecord before = showPreviousRecord(rig);
    QSignalSpy jobs(&rig.link, &InstrumentLink::jobStarted);

    QCOMPARE(rig.runFlow(Flow::Load), Outcome::Done);
    QCOMPARE(jobs.size(), 0);
    QCOMPARE(rig.setupPresses, 1);
    QVERIFY(rig.record == before);
}

void TestAcquisitionFlow::interruptionChangesNothing_data()
{
    QTest::addColumn<Flow>("flow");
    QTest::addColumn<int>("channel");      // where it happens; 0: during the sweep's status poll
    QTest::addColumn<QString>("what");     // the user's cancel or the instrument's fault
    QTest::addColumn<QString>("reason");   // the link's words in the message; none for a cancel

    // In channel 2, channel 1 has arrived and must not be applied on its own.
    QTest::newRow("cancel button in channel 2") << Flow::Load << 2 << "cancel button" << QString();
    QTest::newRow("Esc in channel 1") << Flow::Load << 1 << "Esc" << QString();
    QTest::newRow("Esc in the sweep's status poll") << Flow::Single << 0 << "Esc" << QString();
    QTest::newRow("short block in channel 2") << Flow::Load << 2 << "short block" << LinkMessage::blockStalled();
    QTest::newRow("hang-up in channel 2") << Flow::Load << 2 << "hang-up" << LinkMessage::portLost();
    QTest::newRow("every line refused in channel 1") << Flow::Load << 1 << "refused" << LinkMessage::noHeader();
}

void TestAcquisitionFlow::interruptionChangesNothing()
{
    QFETCH(Flow, flow);
    QFETCH(int, channel);
    QFETCH(QString, what);
    QFETCH(QString, reason);
    const bool cancel = reason.isEmpty();

    // About 0.9 s a channel, so that a cancel lands inside it; a sweep that does not end.
    Rig rig(channel == 0 ? 60s : 100ms, 57600, kShortTimeouts);
    rig.setFlags(1, 1, 0);
    const WaveRecord before = showPreviousRecord(rig);
    const QImage picture = rig.picture();
    rig.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&rig.window));

    SimFaults faults;
    faults.block = what == "short block" ? BlockFault::Short : what == "hang-up" ? BlockFault::HangUp : BlockFault::None;
    faults.nakLines = what == "refused" ? 1000 : 0;
    bool done = false;
    const auto interrupt = [&] {
        if (std::exchange(done, true))
            return;
        if (!cancel) {
            rig.sim.setFaults(faults);
            return;
        }
        // No second command is taken while one runs.
        for (const Flow second : {Flow::Load, Flow::Single, Flow::Identity})
            QVERIFY(second == flow || !rig.start(second));
        if (what == "Esc")
            QTest::keyClick(rig.display->waveWindow(), Qt::Key_Escape);
        else
            rig.progress->findChild<QPushButton*>("CancelButton")->click();
    };
    if (!cancel && channel == 1)
        interrupt();
    QObject::connect(&rig.link, &InstrumentLink::channelDownloaded, &rig.window, [&](int arrived) {
        if (!cancel && arrived == channel - 1)
            interrupt();
    });
    QObject::connect(&rig.link, &InstrumentLink::downloadProgress, &rig.window, [&](int arriving, qint64 received) {
        if (cancel && arriving == channel && received > 0)
            interrupt();
    });
    QObject::connect(&rig.link, &InstrumentLink::jobStarted, &rig.window, [&](LinkJob job) {
        if (job == LinkJob::SingleSweep && channel == 0)
            QTimer::singleShot(300, &rig.window, interrupt);
    });

    QCOMPARE(rig.runFlow(flow), cancel ? Outcome::Cancelled : Outcome::Failed);
    QVERIFY(done);
    expectUntouched(rig, before, picture);
    if (cancel) {
        QCOMPARE(rig.prompts.asked.size(), 2);
        QCOMPARE(rig.prompts.asked.last().text, QStringLiteral("測定器と通信中です。\n終わってからもう一度操作してください。"));
        // The line is usable again at once.
        QCOMPARE(rig.runFlow(Flow::Identity), Outcome::Done);
        return;
    }
    QCOMPARE(rig.prompts.asked.size(), 1);
    QCOMPARE(rig.prompts.asked.first().icon, QMessageBox::Warning);
    QCOMPARE(rig.prompts.asked.first().text, QStringLiteral("CH%1 の波形を取り込めませんでした。\n%2\n\n波形と設定は取り込み前のままです。")
                                                 .arg(channel)
                                                 .arg(reason));
}

QTEST_MAIN(TestAcquisitionFlow)
#include "test_acquisition_flow.moc"
