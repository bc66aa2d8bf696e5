// Load, Single and ID Read from the window's side, end to end: the controller, the
// instrument link through QSerialPort, the simulated instrument on a pseudo-terminal,
// the setup dialog filled in by script, the parameter refresh and the drawn picture.

#include "app/AcquisitionController.h"
#include "app/AcquisitionProgress.h"
#include "app/SetupDialog.h"
#include "files/EngNumber.h"
#include "link/InstrumentLink.h"
#include "sim/SimWaveform.h"
#include "sim/SimulatedInstrument.h"
#include "support/ScriptedPrompts.h"
#include "wave/WaveDisplay.h"
#include "wave/WaveReferencePainter.h"
#include "wave/WaveWindow.h"

#include <QApplication>
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

using namespace std::chrono_literals;
using Flow = AcquisitionController::Flow;
using Outcome = AcquisitionController::Outcome;

Q_DECLARE_METATYPE(BlockFault)

namespace {

constexpr uint32_t kSeed = 7;
const QString kBusyLight = QStringLiteral("background-color: rgb(200, 0, 0);");
const LinkTimeouts kShortTimeouts{400ms, 400ms, 400ms};

// The values the user types into the setup dialog after every capture.
struct SetupScript {
    QString sweep = QStringLiteral("1m");
    QString volts1 = QStringLiteral("500m");
    QString volts2 = QStringLiteral("2");
    QString offset1 = QStringLiteral("1");      // 25 counts
    QString offset2 = QStringLiteral("-0.4");   // -10 counts
    QString title = QStringLiteral("E2E");
};

// A main window in miniature: the wave display, the twelve buttons, the identity labels,
// the progress panel, and the link to a simulated instrument.
class Rig {
public:
    explicit Rig(SimOptions options = {}, LinkTimeouts timeouts = {}) : link(nullptr, timeouts)
    {
        auto* layout = new QVBoxLayout(&window);
        display = new WaveDisplay(record, &window);
        layout->addWidget(display);
        auto* row = new QHBoxLayout;
        for (int i = 0; i < 12; ++i) {
            buttons[i] = new QPushButton(QStringLiteral("b%1").arg(i), &window);
            buttons[i]->setObjectName(QStringLiteral("Command1_%1").arg(i));
            row->addWidget(buttons[i]);
        }
        layout->addLayout(row);
        AcquisitionParts parts;
        for (int k = 0; k < 4; ++k) {
            idLabels[k] = new QLabel(&window);
            layout->addWidget(idLabels[k]);
            parts.idLabels[k] = idLabels[k];
        }
        progress = new AcquisitionProgress(&window);
        layout->addWidget(progress);

        parts.record = &record;
        parts.link = &link;
        parts.display = display;
        parts.prompts = &prompts;
        parts.window = &window;
        parts.singleButton = buttons[2];
        parts.loadButton = buttons[10];
        parts.progress = progress;
        parts.setLoadRunning = [this](bool running) {
            loadRunning = running;
            for (int i = 0; i <= 10; ++i)
                buttons[i]->setEnabled(!running);
        };
        parts.pressSetup = [this] { pressSetup(); };
        controller = new AcquisitionController(parts, &window);
        QObject::connect(buttons[2], &QPushButton::clicked, controller, &AcquisitionController::SingleSweep);
        QObject::connect(buttons[3], &QPushButton::clicked, controller, &AcquisitionController::ReadIdentity);

        options.seed = kSeed;
        QString error;
        device = sim.start(options, &error);
        QVERIFY2(!device.isEmpty(), qPrintable(error));
        QSignalSpy applied(&link, &InstrumentLink::settingsApplied);
        QVERIFY(link.applySettings(EnvSettings{}, device));
        QVERIFY(applied.wait(5000));
        QVERIFY(link.state().open);
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

    // Starts a flow and waits for its end; returns the outcome.
    Outcome runFlow(Flow flow)
    {
        QSignalSpy finished(controller, &AcquisitionController::flowFinished);
        bool started = false;
        switch (flow) {
        case Flow::Load: started = controller->LoadFromInstrument(); break;
        case Flow::Single: started = controller->SingleSweep(); break;
        default: started = controller->ReadIdentity(); break;
        }
        if (!QTest::qWaitFor([&] { return !finished.isEmpty(); }, 30000))
            qFatal("flow did not finish");
        Q_UNUSED(started);
        return finished.first().at(1).value<Outcome>();
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
    QString device;
    AcquisitionController* controller = nullptr;

    SetupScript script;
    bool loadRunning = false;
    int setupPresses = 0;
    bool loadRunningAtSetup = false;

private:
    void pressSetup()
    {
        ++setupPresses;
        loadRunningAtSetup = loadRunning;
        const bool warn = record.FreshCapture == kTrue;
        const qsizetype asked = prompts.asked.size();
        QTimer::singleShot(0, &window, [this, warn, asked] { fillSetup(warn, asked); });
        {
            SetupDialog dialog(record, prompts, &window);
            dialog.exec();
        }
        display->RefreshParameters();
    }

    void fillSetup(bool warn, qsizetype asked)
    {
        auto* dialog = qobject_cast<SetupDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            QTimer::singleShot(10, &window, [this, warn, asked] { fillSetup(warn, asked); });
            return;
        }
        // The fresh-capture warning comes with the first paint; answer it first.
        if (warn && !QTest::qWaitFor([&] { return prompts.asked.size() > asked; }, 5000))
            qWarning("no fresh-capture warning");
        dialog->findChild<QComboBox*>("SetupCombo_0")->setEditText(script.sweep);
        dialog->findChild<QComboBox*>("SetupCombo_1")->setEditText(script.volts1);
        dialog->findChild<QComboBox*>("SetupCombo_2")->setEditText(script.volts2);
        dialog->findChild<QLineEdit*>("SetupOffset_0")->setText(script.offset1);
        dialog->findChild<QLineEdit*>("SetupOffset_1")->setText(script.offset2);
        dialog->findChild<QLineEdit*>("Title")->setText(script.title);
        dialog->findChild<QPushButton*>("Command1_1")->click();
    }
};

// The record as a capture of capture number `capture` should leave it once the scripted
// setup values are stored and the offsets removed.
void expectCapture(const WaveRecord& record, int points, int capture)
{
    QCOMPARE(record.LastIndex, points - 1);
    QCOMPARE(record.FreshCapture, kFalse);
    QCOMPARE(record.ParamsLocked, kFalse);
    QCOMPARE(record.Ch1On, int16_t(1));
    QCOMPARE(record.Ch2On, int16_t(1));
    QCOMPARE(record.SecondsPerDiv, 1e-3f);
    QCOMPARE(record.Ch1Offset, 25.0f);
    QCOMPARE(record.Ch2Offset, -10.0f);
    QCOMPARE(record.Title, std::string("E2E"));
    const float perSample = 1e-3f / (points > 30000 ? 10000.0f : 500.0f);
    QVERIFY2(qFuzzyCompare(record.SecondsPerSample, perSample), qPrintable(QString::number(record.SecondsPerSample)));
    for (int channel = 1; channel <= 2; ++channel) {
        const std::string raw = SimWaveform(channel, 0, points, kSeed, capture);
        const int offset = channel == 1 ? 25 : -10;
        for (int i = 0; i < points; ++i) {
            if (record.Samples(channel, i) != SignedByte(uint8_t(raw[std::size_t(i)])) - offset)
                QFAIL(qPrintable(QStringLiteral("channel %1 sample %2").arg(channel).arg(i)));
        }
    }
}

// The picture must be the record drawn by the one-call-per-sample painter.
void expectPicture(const Rig& rig)
{
    DisplayFlags flags;
    flags.Ch1 = rig.display->flagValue(WaveDisplay::Flag::Ch1);
    flags.Ch2 = rig.display->flagValue(WaveDisplay::Flag::Ch2);
    flags.Base = rig.display->flagValue(WaveDisplay::Flag::Base);
    flags.Grid = rig.display->flagValue(WaveDisplay::Flag::Grid);
    flags.Line = rig.display->flagValue(WaveDisplay::Flag::Line);
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

// A record that a capture must not touch unless it completes.
void fillPreviousRecord(Rig& rig)
{
    rig.record.Title = "前の波形";
    rig.record.SecondsPerDiv = 2e-3f;
    rig.record.Ch1VoltsPerDiv = 1.0f;
    rig.record.Ch2VoltsPerDiv = 1.0f;
    rig.record.LastIndex = 5119;
    rig.record.ParamsLocked = kTrue;
    for (int i = 0; i < 5120; ++i) {
        rig.record.Samples(1, i) = int16_t((i % 100) - 50);
        rig.record.Samples(2, i) = int16_t((i / 256) % 2 ? 40 : -40);
    }
    rig.display->FitTimeAxis();
    rig.display->RefreshParameters();
    rig.display->RedrawWave();
}

} // namespace

class TestAcquisitionFlow : public QObject {
    Q_OBJECT
private slots:
    void loadFromInstrumentLongRecord();
    void singleSweepNormalRecord();
    void noChannelCheckedSendsNothing();
    void setupWaitsForAnOpenDialog();
    void cancelLeavesEverythingAsItWas_data();
    void cancelLeavesEverythingAsItWas();
    void faultsAreReportedAndChangeNothing_data();
    void faultsAreReportedAndChangeNothing();
    void secondCommandIsRefusedWhileOneRuns();
    void identityFillsTheLabels();
};

void TestAcquisitionFlow::loadFromInstrumentLongRecord()
{
    Rig rig;
    rig.setFlags(1, 1, 1);
    // What the window shows while each channel transfers.
    QList<bool> redWhileTransferring;
    QList<bool> disabledWhileTransferring;
    QObject::connect(&rig.link, &InstrumentLink::downloadProgress, &rig.window, [&](int, qint64, qint64) {
        redWhileTransferring << (rig.buttons[10]->styleSheet() == kBusyLight);
        disabledWhileTransferring << (!rig.buttons[0]->isEnabled() && !rig.buttons[4]->isEnabled() &&
                                      rig.buttons[11]->isEnabled() && rig.progress->isVisible());
    });
    QSignalSpy busy(rig.controller, &AcquisitionController::busyChanged);

    QCOMPARE(rig.runFlow(Flow::Load), Outcome::Done);

    QVERIFY(!redWhileTransferring.isEmpty());
    QVERIFY(!redWhileTransferring.contains(false));
    QVERIFY(!disabledWhileTransferring.contains(false));
    QCOMPARE(rig.buttons[10]->styleSheet(), QString());
    QCOMPARE(rig.setupPresses, 1);
    QVERIFY(!rig.loadRunningAtSetup);
    QVERIFY(rig.buttons[4]->isEnabled());
    QVERIFY(!rig.progress->isVisible());
    QCOMPARE(busy.size(), 2);
    QCOMPARE(rig.prompts.asked.size(), 1);   // the fresh-capture warning only
    QCOMPARE(rig.display->flagValue(WaveDisplay::Flag::Length), 1);
    expectCapture(rig.record, 102400, 0);
    expectPicture(rig);
}

void TestAcquisitionFlow::singleSweepNormalRecord()
{
    SimOptions options;
    options.sweepTime = 200ms;
    Rig rig(options);
    rig.setFlags(1, 1, 0);
    rig.buttons[2]->setStyleSheet(QStringLiteral("background-color: rgb(0, 128, 0);"));
    bool redDuringSweep = false;
    QObject::connect(&rig.link, &InstrumentLink::jobStarted, &rig.window, [&](LinkJob job) {
        if (job == LinkJob::SingleSweep)
            redDuringSweep = rig.buttons[2]->styleSheet() == kBusyLight && 
                            rig.progress->findChild<QProgressBar*>("ProgressBar")->maximum() == 0;
    });

    QTest::mouseClick(rig.buttons[2], Qt::LeftButton);
    QSignalSpy finished(rig.controller, &AcquisitionController::flowFinished);
    QVERIFY(finished.wait(30000));

    QCOMPARE(finished.first().at(1).value<Outcome>(), Outcome::Done);
    QVERIFY(redDuringSweep);
    QCOMPARE(rig.buttons[2]->styleSheet(), QStringLiteral("background-color: rgb(0, 128, 0);"));
    QCOMPARE(rig.setupPresses, 1);
    QCOMPARE(rig.display->flagValue(WaveDisplay::Flag::Length), 0);
    // WSGL made the instrument's first capture.
    expectCapture(rig.record, 5120, 1);
    expectPicture(rig);
}

void TestAcquisitionFlow::noChannelCheckedSendsNothing()
{
    Rig rig;
    fillPreviousRecord(rig);
    rig.setFlags(0, 0, 0);
    const WaveRecord before = rig.record;
    QSignalSpy jobs(&rig.link, &InstrumentLink::jobStarted);
    rig.script.title = QStringLiteral("前の波形");
    rig.script.sweep = QStringLiteral("2m");
    rig.script.volts1 = rig.script.volts2 = QStringLiteral("1");
    rig.script.offset1 = rig.script.offset2 = QStringLiteral("0");

    QCOMPARE(rig.runFlow(Flow::Load), Outcome::Done);
    QCOMPARE(jobs.size(), 0);
    QCOMPARE(rig.setupPresses, 1);
    QVERIFY(rig.record == before);
}

// The buttons stay usable during a single sweep: a dialog the user opened meanwhile is
// not covered by the setup dialog; that follows when it has closed.
void TestAcquisitionFlow::setupWaitsForAnOpenDialog()
{
    SimOptions options;
    options.sweepTime = 200ms;
    Rig rig(options);
    rig.setFlags(1, 0, 0);
    QDialog other(&rig.window);
    int pressesWhileOpen = -1;
    QObject::connect(&rig.link, &InstrumentLink::jobStarted, &rig.window, [&](LinkJob job) {
        if (job == LinkJob::SingleSweep)
            QTimer::singleShot(0, &other, [&] { other.exec(); });
    });
    QObject::connect(&rig.link, &InstrumentLink::channelDownloaded, &rig.window, [&] {
        QTimer::singleShot(300, &other, [&] {
            pressesWhileOpen = rig.setupPresses;
            other.accept();
        });
    });

    QCOMPARE(rig.runFlow(Flow::Single), Outcome::Done);
    QCOMPARE(pressesWhileOpen, 0);
    QCOMPARE(rig.setupPresses, 1);
    QCOMPARE(rig.record.FreshCapture, kFalse);
}

void TestAcquisitionFlow::cancelLeavesEverythingAsItWas_data()
{
    QTest::addColumn<Flow>("flow");
    QTest::addColumn<int>("cancelInChannel");   // 0: during the sweep's status poll
    QTest::addColumn<bool>("byEscape");

    QTest::newRow("load, channel 2, cancel button") << Flow::Load << 2 << false;
    QTest::newRow("load, channel 1, Esc") << Flow::Load << 1 << true;
    QTest::newRow("single, status poll, Esc") << Flow::Single << 0 << true;
    QTest::newRow("single, channel 2, cancel button") << Flow::Single << 2 << false;
}

void TestAcquisitionFlow::cancelLeavesEverythingAsItWas()
{
    QFETCH(Flow, flow);
    QFETCH(int, cancelInChannel);
    QFETCH(bool, byEscape);

    SimOptions options;
    options.paceBaud = 57600;                      // about 0.9 s a channel
    options.sweepTime = cancelInChannel == 0 ? 60s : 100ms;
    Rig rig(options);
    fillPreviousRecord(rig);
    rig.setFlags(1, 1, 0);
    const WaveRecord before = rig.record;
    const QImage picture = rig.picture();
    rig.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&rig.window));

    auto pressCancel = [&] {
        if (byEscape)
            QTest::keyClick(rig.display->waveWindow(), Qt::Key_Escape);
        else
            rig.progress->findChild<QPushButton*>("CancelButton")->click();
    };
    bool cancelled = false;
    QObject::connect(&rig.link, &InstrumentLink::downloadProgress, &rig.window,
                     [&](int channel, qint64 received, qint64) {
                         if (!cancelled && channel == cancelInChannel && received > 0) {
                             cancelled = true;
                             pressCancel();
                         }
                     });
    QObject::connect(&rig.link, &InstrumentLink::jobStarted, &rig.window, [&](LinkJob job) {
        if (job == LinkJob::SingleSweep && cancelInChannel == 0)
            QTimer::singleShot(300, &rig.window, [&] {
                cancelled = true;
                pressCancel();
            });
    });

    QCOMPARE(rig.runFlow(flow), Outcome::Cancelled);
    QVERIFY(cancelled);
    QVERIFY(rig.record == before);
    QCOMPARE(rig.picture(), picture);
    QCOMPARE(rig.setupPresses, 0);
    QCOMPARE(rig.prompts.asked.size(), 0);
    QVERIFY(!rig.progress->isVisible());
    QCOMPARE(rig.buttons[2]->styleSheet(), QString());
    QCOMPARE(rig.buttons[10]->styleSheet(), QString());
    for (int i = 0; i <= 11; ++i)
        QVERIFY(rig.buttons[i]->isEnabled());
    QVERIFY(!rig.controller->isBusy());

    // The line is usable again at once.
    rig.sim.setFaults(SimFaults{});
    QCOMPARE(rig.runFlow(Flow::Identity), Outcome::Done);
}

void TestAcquisitionFlow::faultsAreReportedAndChangeNothing_data()
{
    QTest::addColumn<int>("inChannel");
    QTest::addColumn<BlockFault>("block");
    QTest::addColumn<int>("answerLines");
    QTest::addColumn<int>("nakLines");

    QTest::newRow("short block in channel 2") << 2 << BlockFault::Short << -1 << 0;
    QTest::newRow("over-long block in channel 1") << 1 << BlockFault::Long << -1 << 0;
    QTest::newRow("count not a number in channel 2") << 2 << BlockFault::BadCount << -1 << 0;
    QTest::newRow("hang-up in channel 2") << 2 << BlockFault::HangUp << -1 << 0;
    QTest::newRow("silent instrument in channel 2") << 2 << BlockFault::None << 0 << 0;
    QTest::newRow("every line refused") << 1 << BlockFault::None << -1 << 1000;
}

void TestAcquisitionFlow::faultsAreReportedAndChangeNothing()
{
    QFETCH(int, inChannel);
    QFETCH(BlockFault, block);
    QFETCH(int, answerLines);
    QFETCH(int, nakLines);

    Rig rig({}, kShortTimeouts);
    fillPreviousRecord(rig);
    rig.setFlags(1, 1, 1);
    const WaveRecord before = rig.record;
    const QImage picture = rig.picture();
    SimFaults faults;
    faults.block = block;
    faults.answerLines = answerLines;
    faults.nakLines = nakLines;
    if (inChannel == 1)
        rig.sim.setFaults(faults);
    else
        QObject::connect(&rig.link, &InstrumentLink::channelDownloaded, &rig.window,
                         [&](int channel) { if (channel == 1) rig.sim.setFaults(faults); });

    QCOMPARE(rig.runFlow(Flow::Load), Outcome::Failed);
    QCOMPARE(rig.prompts.asked.size(), 1);
    const auto& told = rig.prompts.asked.first();
    QCOMPARE(told.icon, QMessageBox::Warning);
    QVERIFY2(told.text.startsWith(QStringLiteral("CH%1 の波形を取り込めませんでした。\n").arg(inChannel)),
             qPrintable(told.text));
    QVERIFY2(told.text.endsWith(QStringLiteral("波形と設定は取り込み前のままです。")), qPrintable(told.text));
    // The link's own reason sits between the two.
    QVERIFY2(told.text.count(QLatin1Char('\n')) >= 3, qPrintable(told.text));
    QVERIFY(rig.record == before);
    QCOMPARE(rig.picture(), picture);
    QCOMPARE(rig.setupPresses, 0);
    QCOMPARE(rig.buttons[10]->styleSheet(), QString());
    QVERIFY(rig.buttons[10]->isEnabled());
    QVERIFY(!rig.controller->isBusy());
}

void TestAcquisitionFlow::secondCommandIsRefusedWhileOneRuns()
{
    SimOptions options;
    options.sweepTime = 60s;
    Rig rig(options);
    QSignalSpy busy(rig.controller, &AcquisitionController::busyChanged);
    QVERIFY(rig.controller->SingleSweep());
    QCOMPARE(busy.size(), 1);
    QCOMPARE(busy.first().at(0).toBool(), true);

    QSignalSpy finished(rig.controller, &AcquisitionController::flowFinished);
    QVERIFY(!rig.controller->LoadFromInstrument());
    QVERIFY(!rig.controller->ReadIdentity());
    QCOMPARE(finished.size(), 2);
    QCOMPARE(finished.at(0).at(1).value<Outcome>(), Outcome::Refused);
    QCOMPARE(rig.prompts.asked.size(), 2);
    QVERIFY(!rig.loadRunning);
    QCOMPARE(rig.controller->flow(), Flow::Single);

    rig.controller->cancel();
    QVERIFY(QTest::qWaitFor([&] { return !rig.controller->isBusy(); }, 5000));
    QCOMPARE(busy.last().at(0).toBool(), false);
}

void TestAcquisitionFlow::identityFillsTheLabels()
{
    Rig rig;
    rig.idLabels[3]->setText(QStringLiteral("old"));
    QTest::mouseClick(rig.buttons[3], Qt::LeftButton);
    QSignalSpy finished(rig.controller, &AcquisitionController::flowFinished);
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.first().at(1).value<Outcome>(), Outcome::Done);
    const QStringList expected{"MIRAVO", "KT-4410", "SIM00007", "1.00"};
    for (int k = 0; k < 4; ++k) {
        QCOMPARE(rig.idLabels[k]->text(), expected[k]);
        QVERIFY(rig.idLabels[k]->autoFillBackground());
        QCOMPARE(rig.idLabels[k]->palette().color(QPalette::Window), QColor(Qt::white));
    }
    QCOMPARE(rig.setupPresses, 0);
}

QTEST_MAIN(TestAcquisitionFlow)
#include "test_acquisition_flow.moc"
