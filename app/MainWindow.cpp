#include "app/MainWindow.h"

#include "app/AboutDialog.h"
#include "app/AppIcon.h"
#include "app/AppIdentity.h"
#include "files/OptionsDialog.h"
#include "files/Prompts.h"
#include "wave/WaveRecord.h"

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

constexpr char kPendingNote[] = "（準備中）";

bool isInstrumentCommand(int index)
{
    return index >= 0 && index <= 10;
}

} // namespace

MainWindow::MainWindow(WaveRecord& record, EnvSettings& settings, MainWindowParts parts, QWidget* parent)
    : QMainWindow(parent), m_record(record), m_settings(settings), m_parts(std::move(parts))
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(AppIdentity::title());
    setWindowIcon(QIcon(DrawAppIcon(64)));

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(buildTitleRow());
    auto* waveArea = new QLabel(QStringLiteral("波形表示（準備中）"), central);
    waveArea->setAlignment(Qt::AlignCenter);
    waveArea->setMinimumSize(505, 245);
    layout->addWidget(waveArea, 1);
    layout->addWidget(buildCommandRow());
    setCentralWidget(central);
    statusBar()->setObjectName(QStringLiteral("StatusLine"));

    Form_Load();
}

MainWindow::~MainWindow() = default;

QWidget* MainWindow::buildTitleRow()
{
    auto* row = new QWidget(this);
    auto* title = new QLabel(AppIdentity::title(), row);
    title->setObjectName(QStringLiteral("TitleLabel"));
    title->setToolTip(AppIdentity::credit());
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
    ApplySettings();
    m_record.LastIndex = 5119;
    m_record.Ch1On = 1;
    m_record.Ch2On = 1;
    updateCommandStates();
}

void MainWindow::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    Form_Unload();
    event->accept();
}

void MainWindow::ApplySettings()
{
}

void MainWindow::updateCommandStates()
{
    for (int i = 0; i < kCommandCount; ++i) {
        const bool ready = true;
        QString tooltip = QString::fromUtf8(kCommandTexts[i].tooltip);
        if (!ready)
            tooltip += QString::fromUtf8(kPendingNote);
        m_command1[i]->setToolTip(tooltip);
        m_command1[i]->setEnabled(ready && !(m_loadRunning && isInstrumentCommand(i)));
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

void MainWindow::showOptions()
{
    {
        OptionsDialog dialog(m_settings, m_settingsPath, *m_parts.prompts, this);
        dialog.exec();
    }
    ApplySettings();
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
}

void MainWindow::exitProgram()
{
    close();
    if (m_parts.endProgram)
        m_parts.endProgram();
}

void MainWindow::showProblem(const QString& text)
{
    m_parts.prompts->tell(this, QString(), text);
}
