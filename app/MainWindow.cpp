#include "app/MainWindow.h"

#include "ui/AboutDialog.h"
#include "app/AcquisitionController.h"
#include "app/AcquisitionProgress.h"
#include "ui/AppIcon.h"
#include "core/AppIdentity.h"
#include "print/PrintCommand.h"
#include "app/SetupDialog.h"
#include "ui/OptionsDialog.h"
#include "ui/Prompts.h"
#include "files/widgets/WaveFileCommands.h"
#include "link/InstrumentLink.h"
#include "wave/widgets/WaveDisplay.h"
#include "core/WaveRecord.h"
#include "wave/widgets/WaveWindow.h"

#include <QCloseEvent>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

namespace {

// Captions and tooltips of IDLabel 0..7: four value labels, then their fixed captions.
struct IdLabelText {
    const char* caption;
    const char* tooltip;
};
constexpr std::array<IdLabelText, 8> kIdLabels{{
    {"", "製造メーカー"},
    {"", "モデル名"},
    {"", "シリアル番号"},
    {"", "ﾌｧｰﾑｳｴｱ ﾊﾞｰｼﾞｮﾝ"},
    {"Maker :", "製造メーカー"},
    {"Model :", "モデル名"},
    {"SerNo.:", "製造番号"},
    {"F Ver.:", "ﾌｧｰﾑｳｴｱﾊﾞｰｼﾞｮﾝ"},
}};

// Buttons 0 to 10, off while a Load from the instrument runs.
bool isLockedDuringLoad(int index)
{
    return index >= 0 && index <= 10;
}

// RUN, STOP, Single and ID Read start an exchange; one runs at a time on the line.
bool startsExchange(int index)
{
    return index >= 0 && index <= 3;
}

} // namespace

MainWindow::MainWindow(WaveRecord& record, EnvSettings& settings, MainWindowParts parts, QWidget* parent)
    : QMainWindow(parent), m_record(record), m_settings(settings), m_parts(std::move(parts))
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QString::fromUtf8(AppIdentity::kTitle));
    setWindowIcon(QIcon(DrawAppIcon(64)));

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(buildTitleRow());
    m_display = new WaveDisplay(m_record, central);
    layout->addWidget(m_display, 1);
    m_progress = new AcquisitionProgress(central);
    layout->addWidget(m_progress);
    layout->addWidget(buildCommandRow());
    setCentralWidget(central);
    statusBar()->setObjectName(QStringLiteral("StatusLine"));
    m_portStatus = new QLabel(statusBar());
    m_portStatus->setObjectName(QStringLiteral("PortStatus"));
    m_portStatus->setTextFormat(Qt::PlainText);   // the device is a file name the user gave
    statusBar()->addPermanentWidget(m_portStatus);
    connect(m_display, &WaveDisplay::printRequested, this, &MainWindow::print);

    m_link = new InstrumentLink(this);
    connect(m_link, &InstrumentLink::settingsApplied, this, &MainWindow::onSettingsApplied);
    connect(m_link, &InstrumentLink::jobFailed, this, &MainWindow::onJobFailed);
    connect(m_link, &InstrumentLink::jobFinished, this, &MainWindow::onJobFinished);
    connect(m_link, &InstrumentLink::commEvent, this, [this](int code, const QString& text) {
        statusBar()->showMessage(QStringLiteral("通信エラー %1: %2").arg(code).arg(text));
    });
    connect(m_link, &InstrumentLink::warning, this,
            [this](const QString& text) { statusBar()->showMessage(text); });

    AcquisitionParts acquisition;
    acquisition.record = &m_record;
    acquisition.link = m_link;
    acquisition.display = m_display;
    acquisition.prompts = m_parts.prompts;
    acquisition.window = this;
    acquisition.singleButton = m_command1[static_cast<int>(Command::Single)];
    acquisition.loadButton = m_command1[static_cast<int>(Command::Load)];
    std::copy_n(m_idLabel.begin(), 4, acquisition.idLabels.begin());
    acquisition.progress = m_progress;
    acquisition.setLoadRunning = [this](bool running) { setLoadRunning(running); };
    acquisition.pressSetup = [this] { Command1_Click(static_cast<int>(Command::Setup)); };
    m_acquisition = new AcquisitionController(std::move(acquisition), this);
    connect(m_acquisition, &AcquisitionController::busyChanged, this, [this](bool busy) {
        m_lineBusy = busy;
        updateCommandStates();
    });

    Form_Load();
}

MainWindow::~MainWindow() = default;

QWidget* MainWindow::buildTitleRow()
{
    auto* row = new QWidget(this);
    auto* title = new QLabel(QString::fromUtf8(AppIdentity::kTitle), row);
    title->setObjectName(QStringLiteral("TitleLabel"));
    title->setTextFormat(Qt::PlainText);
    title->setToolTip(QString::fromUtf8(AppIdentity::kCredit));
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.8);
    titleFont.setBold(true);
    title->setFont(titleFont);

    auto* ids = new QGridLayout;
    ids->setHorizontalSpacing(6);
    ids->setVerticalSpacing(2);
    for (int i = 0; i < 8; ++i) {
        auto* label = new QLabel(QString::fromUtf8(kIdLabels[i].caption), row);
        label->setObjectName(QStringLiteral("IDLabel_%1").arg(i));
        // The instrument's reply is text, never markup: "<img src=...>" must not load anything.
        label->setTextFormat(Qt::PlainText);
        label->setToolTip(QString::fromUtf8(kIdLabels[i].tooltip));
        m_idLabel[i] = label;
    }
    // Two columns of "caption value" pairs: maker and model, then serial and firmware.
    for (int k = 0; k < 4; ++k) {
        const int r = k % 2;
        const int c = (k / 2) * 2;
        m_idLabel[k]->setMinimumWidth(140);
        m_idLabel[k]->setFrameShape(QFrame::StyledPanel);
        ids->addWidget(m_idLabel[4 + k], r, c, Qt::AlignRight);
        ids->addWidget(m_idLabel[k], r, c + 1);
    }
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(title);
    layout->addStretch();
    layout->addLayout(ids);
    return row;
}

QWidget* MainWindow::buildCommandRow()
{
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < kCommandCount; ++i) {
        auto* button = new QPushButton(QString::fromUtf8(kCommandTexts[i].caption), row);
        button->setObjectName(QStringLiteral("Command1_%1").arg(i));
        button->setToolTip(QString::fromUtf8(kCommandTexts[i].tooltip));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
        m_command1[i] = button;
        layout->addWidget(button);
    }
    return row;
}

void MainWindow::Form_Load()
{
    m_startDir = std::filesystem::path(QDir::currentPath().toStdU16String());
    m_settingsPath = SettingsPathFor(m_startDir);
    SettingsReadResult read = ReadSettings(m_settingsPath);
    m_settings = read.settings;
    for (const std::string& problem : read.problems)
        showProblem(QString::fromStdString(problem));
    if (!m_parts.portMemoryFile.isEmpty())
        useRememberedDevice(RememberedDevice(m_parts.portMemoryFile));
    ApplySettings();
    m_record.LastIndex = 5119;
    m_record.Ch1On = 1;
    m_record.Ch2On = 1;
    m_display->waveWindow()->setToolTip(QStringLiteral("左クリックで基点と計測開始　右クリックで解除"));
    m_print = std::make_unique<PrintCommand>();
    updateCommandStates();
}

void MainWindow::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    m_print->RestoreStartPrinter();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    Form_Unload();
    event->accept();
}

void MainWindow::ApplySettings()
{
    // The line is configured on the link's thread; a job still running there (the
    // options dialog can close during a single sweep's wait) gets the settings after it.
    m_applyPending = !m_link->applySettings(m_settings, m_parts.devicePath.isEmpty() ? m_device : m_parts.devicePath);
    m_display->setColors(m_settings.Color);
}

void MainWindow::onSettingsApplied(const LinkState& state)
{
    m_portStatus->setText(state.open ? QStringLiteral("%1  %2").arg(state.portName, state.settingsText)
                                     : QStringLiteral("%1  未接続").arg(state.portName));
}

void MainWindow::onJobFailed(LinkJob job, const QString& message)
{
    // The acquisition flows report their own failures.
    if (job == LinkJob::ApplySettings || job == LinkJob::Run || job == LinkJob::Stop)
        showProblem(message);
}

void MainWindow::onJobFinished(LinkJob, JobResult)
{
    if (m_applyPending && !m_unloaded)
        ApplySettings();
}

void MainWindow::updateCommandStates()
{
    for (int i = 0; i < kCommandCount; ++i) {
        const bool locked = (m_loadRunning && isLockedDuringLoad(i)) || (m_lineBusy && startsExchange(i));
        m_command1[i]->setEnabled(!locked);
    }
}

void MainWindow::setLoadRunning(bool running)
{
    m_loadRunning = running;
    updateCommandStates();
}

void MainWindow::Command1_Click(int index)
{
    if (index < 0 || index >= kCommandCount || !m_command1[index]->isEnabled())
        return;
    switch (static_cast<Command>(index)) {
    case Command::Run:
    case Command::Stop:
        sendSweepCommand(static_cast<Command>(index));
        break;
    case Command::Single:
        m_acquisition->SingleSweep();
        break;
    case Command::IdRead:
        m_acquisition->ReadIdentity();
        break;
    case Command::Setup:
        showSetup();
        break;
    case Command::Save:
        SaveWaveFile(this, *m_parts.prompts, m_record);
        break;
    case Command::Print:
        print();
        break;
    case Command::Help:
        startHelp();
        break;
    case Command::About:
        showAbout();
        break;
    case Command::Option:
        showOptions();
        break;
    case Command::Load:
        loadData();
        break;
    case Command::Exit:
        exitProgram();
        break;
    default:
        break;
    }
}

void MainWindow::sendSweepCommand(Command command)
{
    const bool accepted = command == Command::Run ? m_link->run() : m_link->stop();
    if (!accepted)
        statusBar()->showMessage(QStringLiteral("通信中のため %1 を送れませんでした。").arg(
            QString::fromUtf8(kCommandTexts[static_cast<int>(command)].caption)));
}

void MainWindow::showSetup()
{
    {
        SetupDialog dialog(m_record, *m_parts.prompts, this);
        dialog.exec();
    }
    m_display->RefreshParameters();
}

void MainWindow::print()
{
    m_print->PrintMainWindow(this, *m_parts.prompts, *m_parts.printDialog);
}

void MainWindow::showOptions()
{
    {
        OptionsDialog dialog(m_settings, m_settingsPath, *m_parts.prompts, this);
        const QString remembered = m_parts.portMemoryFile.isEmpty() ? QString() : RememberedDevice(m_parts.portMemoryFile);
        dialog.offerDevices(m_parts.serialPorts, remembered);
        if (dialog.exec() == QDialog::Accepted && !m_parts.portMemoryFile.isEmpty()) {
            const QString chosen = dialog.chosenDevice();
            if (chosen != remembered && !RememberDevice(m_parts.portMemoryFile, chosen))
                showProblem(QStringLiteral("選んだデバイスを記憶できませんでした。\n%1").arg(m_parts.portMemoryFile));
            useRememberedDevice(chosen);
        }
    }
    ApplySettings();
    m_display->RedrawWave();
}

void MainWindow::showAbout()
{
    AboutDialog dialog(*m_parts.prompts, this);
    dialog.exec();
}

void MainWindow::startHelp()
{
    const QString problem = StartHelp(m_parts.appDir, m_parts.help);
    if (!problem.isEmpty())
        showProblem(problem);
}

void MainWindow::loadData()
{
    const QMessageBox::StandardButton answer = m_parts.prompts->ask(
        this, QStringLiteral("読込先の選択"), QStringLiteral("MIRAVO本体からの読込ですか？"), QMessageBox::NoIcon,
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    if (answer == QMessageBox::Cancel)
        return;
    if (answer == QMessageBox::No) {
        loadFromFile();
        m_display->RedrawWave();
        return;
    }
    // The flow redraws when its capture, the setup dialog and the refresh are done.
    m_acquisition->LoadFromInstrument();
}

void MainWindow::loadFromFile()
{
    if (!LoadWaveFile(this, *m_parts.prompts, m_record))
        return;
    m_display->setFlagValue(WaveDisplay::Flag::Ch1, m_record.Ch1On != 0 ? 1 : 0);
    m_display->setFlagValue(WaveDisplay::Flag::Ch2, m_record.Ch2On != 0 ? 1 : 0);
    m_display->FitTimeAxis();
    m_display->RefreshParameters();
}

void MainWindow::exitProgram()
{
    // The port closes and any exchange ends here, even one still waiting for the instrument.
    m_link->shutdown();
    close();
    if (m_parts.endProgram)
        m_parts.endProgram();
}

// The device chosen in the options dialog, while it is present; else the settings' port,
// and the status line says why. A device given on the command line wins for this run.
void MainWindow::useRememberedDevice(const QString& remembered)
{
    if (!m_parts.devicePath.isEmpty())
        return;
    const StartPort start =
        ChooseStartPort(remembered, m_parts.serialPorts ? m_parts.serialPorts() : std::vector<SerialPortEntry>{});
    m_device = start.device;
    statusBar()->showMessage(start.message);
}

void MainWindow::showProblem(const QString& text)
{
    m_parts.prompts->tell(this, QString(), text);
}
