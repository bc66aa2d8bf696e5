#include "app/MainWindow.h"

#include "app/AnalysisViews.h"
#include "analysis/widgets/AnalysisGroup.h"
#include "logger/LogSession.h"
#include "wave/WavePainter.h"
#include "core/AppIdentity.h"
#include "document/ProgramCore.h"
#include "document/ReferenceSet.h"
#include "document/widgets/AcquisitionProgress.h"
#include "document/widgets/SetupDialog.h"
#include "files/WaveFileStore.h"
#include "files/widgets/WaveFileCommands.h"
#include "link/InstrumentLink.h"
#include "print/PrintCommand.h"
#include "ui/AboutDialog.h"
#include "ui/AppIcon.h"
#include "options/DoctorWindow.h"
#include "options/OptionsDialog.h"
#include "ui/HelpWindow.h"
#include "ui/Prompts.h"
#include "wave/widgets/WaveDisplay.h"
#include "wave/widgets/WaveWindow.h"

#include <QCloseEvent>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
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

const QString kBusyLightStyle = QStringLiteral("background-color: rgb(200, 0, 0);");

// Red while on; off gives the button back the style it had before.
void setBusyLight(QPushButton* button, QString& savedStyle, bool on)
{
    const bool lit = button->styleSheet() == kBusyLightStyle;
    if (on && !lit) {
        savedStyle = button->styleSheet();
        button->setStyleSheet(kBusyLightStyle);
    } else if (!on && lit) {
        button->setStyleSheet(savedStyle);
    }
}

} // namespace

MainWindow::MainWindow(ProgramCore& core, MainWindowServices services, QWidget* parent)
    : QMainWindow(parent), m_core(core), m_document(core.document()), m_settings(core.settings()),
      m_services(std::move(services)), m_link(&core.link()), m_acquisition(&core.flow())
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QString::fromUtf8(AppIdentity::kTitle));
    setWindowIcon(QIcon(DrawAppIcon(64)));

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(buildTitleRow());
    m_display = new WaveDisplay(m_document, central);
    layout->addWidget(m_display, 1);
    // The references lie under the live traces; each capture is judged against the chosen one.
    m_references = new ReferenceSet(this);
    m_references->useConfiguration(m_services.portMemoryFile);
    m_display->setOverlaySource([this](const WaveScene& scene) {
        return m_references->overlay(scene, m_document.record(), m_document.displayFlags());
    });
    connect(m_references, &ReferenceSet::changed, m_display, &WaveDisplay::RedrawWave);
    AnalysisGroup* analysis =
        AddAnalysisViews(*this, m_document, *m_display, *m_references, *m_services.prompts, m_services.portMemoryFile);
    // Logging opens the port it was started on again after a lost line, as ApplySettings does.
    m_logging = new LogSession(m_document, *m_link, *m_acquisition, [this] {
        m_core.applyLineSettings(m_services.devicePath.isEmpty() ? m_device : m_services.devicePath);
        return true;
    }, this);
    AddLoggerView(*analysis, *this, *m_logging, m_document, *m_references, {SlotColor(m_settings.Color[0]), SlotColor(m_settings.Color[1])},
                  m_services.portMemoryFile, [this](const QString& text) { statusBar()->showMessage(text); });
    connect(m_logging, &LogSession::stateChanged, this, &MainWindow::updateCommandStates);
    layout->addWidget(new AcquisitionProgress(*m_acquisition, central));
    layout->addWidget(buildCommandRow());
    setCentralWidget(central);
    statusBar()->setObjectName(QStringLiteral("StatusLine"));
    m_portStatus = new QLabel(statusBar());
    m_portStatus->setObjectName(QStringLiteral("PortStatus"));
    m_portStatus->setTextFormat(Qt::PlainText);   // the device is a file name the user gave
    statusBar()->addPermanentWidget(m_portStatus);
    connect(m_display, &WaveDisplay::printRequested, this, &MainWindow::print);

    connect(m_acquisition, &AcquisitionFlow::finished, this, [this](AcquisitionFlow::Flow flow, AcquisitionFlow::Outcome outcome) {
        const bool captured = flow == AcquisitionFlow::Flow::Load || flow == AcquisitionFlow::Flow::Single;
        if (captured && outcome == AcquisitionFlow::Outcome::Done)
            if (const QString verdict = m_references->verdict(m_document.record()); !verdict.isEmpty())
                statusBar()->showMessage(verdict);
    });

    connect(m_link, &InstrumentLink::stateChanged, this, &MainWindow::showPortState);
    connect(m_link, &InstrumentLink::jobFailed, this, [this](LinkJob job, const QString& message) {
        if (job == LinkJob::ApplySettings)
            showConnectionProblem(message);
    });
    connect(m_link, &InstrumentLink::jobStarted, this, &MainWindow::updateCommandStates);
    connect(m_link, &InstrumentLink::jobFinished, this, &MainWindow::updateCommandStates);
    connect(m_link, &InstrumentLink::commEvent, this, [this](int code, const QString& text) {
        statusBar()->showMessage(QStringLiteral("通信エラー %1: %2").arg(code).arg(text));
    });
    connect(m_link, &InstrumentLink::warning, this,
            [this](const QString& text) { statusBar()->showMessage(text); });

    connect(m_acquisition, &AcquisitionFlow::stageChanged, this, &MainWindow::updateCommandStates);
    connect(m_acquisition, &AcquisitionFlow::identityRead, this, &MainWindow::showIdentity);
    connect(m_acquisition, &AcquisitionFlow::failed, this, &MainWindow::showNotice);
    connect(m_acquisition, &AcquisitionFlow::refused, this, [this](const QString& message) { statusBar()->showMessage(message); });
    connect(m_acquisition, &AcquisitionFlow::setupRequested, this, [this] {
        OpenSetupDialog(m_document, *m_services.prompts, this, true, [this] { m_acquisition->setupClosed(); });
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
    const std::filesystem::path startDir(QDir::currentPath().toStdU16String());
    m_settingsPath = SettingsPathFor(startDir, std::filesystem::path(m_services.configDir.toStdU16String()));
    if (m_settingsPath.parent_path() != startDir) {
        // A failure shows as the settings file that could not be written.
        std::error_code ignored;
        std::filesystem::create_directories(m_settingsPath.parent_path(), ignored);
    }
    SettingsReadResult read = ReadSettings(m_settingsPath);
    m_settings = read.settings;
    if (!read.problems.empty())
        showProblem(QString::fromStdString(SettingsProblemsText(read)));
    if (!m_services.portMemoryFile.isEmpty())
        useRememberedDevice(RememberedDevice(m_services.portMemoryFile));
    ApplySettings();
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
    m_display->setColors(m_settings.Color);
    if (!m_unloaded)
        m_core.applyLineSettings(m_services.devicePath.isEmpty() ? m_device : m_services.devicePath);
    updateCommandStates();
}

void MainWindow::showPortState(const LinkState& state)
{
    m_portStatus->setText(state.open ? QStringLiteral("%1  %2").arg(state.portName, state.settingsText)
                                     : QStringLiteral("%1  未接続").arg(state.portName));
}

void MainWindow::updateCommandStates()
{
    using Stage = AcquisitionFlow::Stage;
    const Stage stage = m_acquisition->stage();
    const bool loading = m_acquisition->flow() == AcquisitionFlow::Flow::Load && stage == Stage::Downloading;
    // The line carries one exchange at a time; STOP may still end a single sweep's wait.
    const bool logging = m_logging->state() != LogSession::State::Idle;
    const bool exchange = !m_acquisition->isIdle() || logging;
    for (int i = 0; i < kCommandCount; ++i) {
        const auto command = Command(i);
        bool locked = (loading && i <= int(Command::Load)) || (logging && command == Command::Load);
        if (command == Command::Run || command == Command::Single || command == Command::IdRead)
            locked = locked || exchange;
        else if (command == Command::Stop)
            locked = locked || (exchange && stage != Stage::Sweeping);
        m_command1[i]->setEnabled(!locked);
    }
    setBusyLight(m_command1[int(Command::Single)], m_buttonStyle[0], stage == Stage::Sweeping);
    setBusyLight(m_command1[int(Command::Load)], m_buttonStyle[1], stage == Stage::Downloading);
}

void MainWindow::showIdentity(const QStringList& fields)
{
    const qsizetype shown = std::min<qsizetype>(fields.size(), 4);
    for (qsizetype k = 0; k < shown; ++k) {
        QLabel* label = m_idLabel[std::size_t(k)];
        QPalette palette = label->palette();
        palette.setColor(QPalette::Window, Qt::white);
        label->setPalette(palette);
        label->setAutoFillBackground(true);
        // The reply's line end stays on the last field; a label shows it as nothing.
        QString text = fields.at(k);
        while (text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r')))
            text.chop(1);
        label->setText(text);
    }
}

void MainWindow::Command1_Click(int index)
{
    if (index < 0 || index >= kCommandCount || !m_command1[index]->isEnabled())
        return;
    switch (static_cast<Command>(index)) {
    case Command::Run:
        m_acquisition->run();
        break;
    case Command::Stop:
        m_acquisition->stop();
        break;
    case Command::Single:
        m_acquisition->SingleSweep();
        break;
    case Command::IdRead:
        m_acquisition->ReadIdentity();
        break;
    case Command::Setup:
        OpenSetupDialog(m_document, *m_services.prompts, this, false);
        break;
    case Command::Save: {
        // A capture that arrives while the file dialog is open waits: the file is the
        // record as it was when Save was pressed.
        const WaveDocument::Hold hold(m_document);
        SaveWaveFile(this, *m_services.prompts, m_document.record());
        break;
    }
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

void MainWindow::print()
{
    const WaveDocument::Hold hold(m_document);
    m_print->PrintMainWindow(this, *m_services.prompts, *m_services.printDialog);
}

void MainWindow::showOptions(std::optional<DoctorFound> preset)
{
    {
        const WaveDocument::Hold hold(m_document);
        OptionsDialog dialog(m_settings, m_settingsPath, *m_services.prompts, this);
        const QString remembered = m_services.portMemoryFile.isEmpty() ? QString() : RememberedDevice(m_services.portMemoryFile);
        dialog.offerDevices(m_services.serialPorts, remembered);
        dialog.offerDoctor([this](QWidget* parent, const EnvSettings& edited, const QString& chosen) {
            return runDoctor(parent, edited, m_services.devicePath.isEmpty() ? chosen : m_services.devicePath);
        });
        if (preset)
            dialog.useLineSettings(*preset);
        if (dialog.exec() == QDialog::Accepted && !m_services.portMemoryFile.isEmpty()) {
            const QString chosen = dialog.chosenDevice();
            if (chosen != remembered && !RememberDevice(m_services.portMemoryFile, chosen))
                showProblem(QStringLiteral("選んだデバイスを記憶できませんでした。\n%1").arg(m_services.portMemoryFile));
            useRememberedDevice(chosen);
        }
    }
    ApplySettings();
    m_display->RedrawWave();
}

void MainWindow::showAbout()
{
    // A capture's setup dialog follows the version window, not over it.
    const WaveDocument::Hold hold(m_document);
    AboutDialog dialog(*m_services.prompts, this);
    dialog.exec();
}

void MainWindow::startHelp()
{
    // The browser may give up after this returns.
    const QString problem = StartHelp(m_services.appDir, m_services.help, [window = QPointer(this)](const QString& guide) {
        if (!window)
            return;
        if (!window->m_helpWindow)
            window->m_helpWindow = new HelpWindow(window);
        window->m_helpWindow->showGuide(guide);
    });
    if (!problem.isEmpty())
        showProblem(problem);
}

void MainWindow::loadData()
{
    {
        const WaveDocument::Hold hold(m_document);
        const QMessageBox::StandardButton answer = m_services.prompts->ask(
            this, QStringLiteral("読込先の選択"), QStringLiteral("MIRAVO本体からの読込ですか？"), QMessageBox::NoIcon,
            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
        if (answer == QMessageBox::Cancel)
            return;
        if (answer == QMessageBox::No) {
            // Read into a copy: the document takes the file whole, or nothing changes.
            WaveRecord loaded = m_document.record();
            QString note;
            if (LoadWaveFile(this, *m_services.prompts, loaded, &note)) {
                m_document.applyFile(loaded);
                statusBar()->showMessage(note);
            }
            // Redrawn whether or not a file was taken: a Setup since the last redraw shows now.
            m_display->RedrawWave();
            return;
        }
    }
    m_acquisition->LoadFromInstrument();
}

void MainWindow::openWaveFile(const QString& path)
{
    WaveRecord loaded = m_document.record();
    const WaveFileLoaded read = ReadStartWaveFile(path, loaded);
    if (read.failure.isEmpty()) {
        m_document.applyFile(loaded);
        statusBar()->showMessage(read.note);
    } else if (isVisible()) {
        showProblem(read.failure);
    } else {
        // Told over the window once it is up, not over the splash or nowhere.
        m_startProblem = read.failure;
    }
}

void MainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!m_startProblem.isEmpty())
        QTimer::singleShot(0, this, [this] { showProblem(std::exchange(m_startProblem, QString())); });
}

void MainWindow::exitProgram()
{
    // The port closes and any exchange ends here, even one still waiting for the instrument.
    m_link->shutdown();
    close();
    if (m_services.endProgram)
        m_services.endProgram();
}

// The device chosen in the options dialog, while it is present; else the settings' port,
// and the status line says why. A device given on the command line wins for this run.
void MainWindow::useRememberedDevice(const QString& remembered)
{
    if (!m_services.devicePath.isEmpty())
        return;
    const StartPort start =
        ChooseStartPort(remembered, m_services.serialPorts ? m_services.serialPorts() : std::vector<SerialPortEntry>{});
    m_device = start.device;
    statusBar()->showMessage(start.message);
}

void MainWindow::showConnectionProblem(const QString& text)
{
    if (m_logging->state() != LogSession::State::Idle) {
        showNotice(text);
        return;
    }
    if (!m_services.prompts->tellOrAct(this, QString(), text, QStringLiteral("診断")))
        return;
    if (const std::optional<DoctorFound> found =
            runDoctor(this, m_settings, m_services.devicePath.isEmpty() ? m_device : m_services.devicePath))
        showOptions(found);
}

std::optional<DoctorFound> MainWindow::runDoctor(QWidget* parent, const EnvSettings& settings, const QString& device)
{
    return RunDoctorWindow(*m_link, settings, device, m_services.serialPorts, parent);
}

void MainWindow::showProblem(const QString& text)
{
    m_services.prompts->tell(this, QString(), text);
}

void MainWindow::showNotice(const QString& text)
{
    // While logging, a failed capture or reopening is a row of the log and a line in the
    // status line: nobody may be there to close a message box every few seconds.
    if (m_logging->state() != LogSession::State::Idle)
        statusBar()->showMessage(text);
    else
        showProblem(text);
}
