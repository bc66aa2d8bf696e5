#pragma once
// frmMain: the program's working window. It holds the title, the instrument identity
// labels, the waveform display and the twelve command buttons (Command1), runs the
// load steps when it is created and dispatches each button by its index.

#include "app/CommandTable.h"
#include "ui/HelpLauncher.h"
#include "core/EnvSettings.h"
#include "link/LineDoctor.h"
#include "link/LinkTypes.h"
#include "link/SerialPorts.h"

#include <QMainWindow>
#include <QStringList>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>

class AcquisitionFlow;
class HelpWindow;
class InstrumentLink;
class PrintCommand;
class ProgramCore;
class PrintDialogRunner;
class Prompts;
class QLabel;
class QPushButton;
class LogSession;
class ReferenceSet;
class WaveDisplay;
class WaveDocument;

// What the window uses from outside; tests replace each part.
struct MainWindowServices {
    Prompts* prompts = nullptr;
    PrintDialogRunner* printDialog = nullptr;
    HelpPlatform help;
    QString appDir;                    // where the help is looked up
    QString devicePath;                // opened for this run instead of any other port when set
    SerialPortLister serialPorts;      // the devices present, offered by the options dialog
    QString portMemoryFile;            // the user's configuration: the device chosen there, the open views; empty: nothing remembered
    std::function<void()> endProgram;  // ends the program at once (EXIT)
    QString configDir;                 // MV_UTL.ENV's folder when the working directory has none; empty: that directory
};

class MainWindow final : public QMainWindow {
    Q_OBJECT
public:
    // core holds the program's document, settings, link and flow and outlives the window.
    // The load steps run here: the window is ready but not shown when this returns.
    MainWindow(ProgramCore& core, MainWindowServices services, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Click on Command1(index); any index outside 0..11 does nothing.
    void Command1_Click(int index);
    // Opens a waveform file named at start as Load from a file opens the chosen one; one
    // that cannot be read is told once the window is shown.
    void openWaveFile(const QString& path);

    // Copies the colours to the display and configures the line from the settings; while
    // an instrument command or its capture's setup is under way, the line waits for its end.
    void ApplySettings();

    const std::filesystem::path& SettingsPath() const { return m_settingsPath; }

    WaveDisplay* display() const { return m_display; }
    InstrumentLink* link() const { return m_link; }
    AcquisitionFlow* acquisition() const { return m_acquisition; }
    ReferenceSet* references() const { return m_references; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QWidget* buildTitleRow();
    QWidget* buildCommandRow();
    void Form_Load();
    void Form_Unload();
    void updateCommandStates();
    void showIdentity(const QStringList& fields);
    // preset: line settings the connection doctor found, already selected when it opens.
    void showOptions(std::optional<DoctorFound> preset = std::nullopt);
    // A port that could not be opened: the message offers the connection doctor.
    void showConnectionProblem(const QString& text);
    std::optional<DoctorFound> runDoctor(QWidget* parent, const EnvSettings& settings, const QString& device);
    void showAbout();
    void startHelp();
    void loadData();
    void print();
    void exitProgram();
    void showProblem(const QString& text);
    // A failure of an exchange: a message box, or the status line while logging.
    void showNotice(const QString& text);
    void useRememberedDevice(const QString& remembered);
    void showPortState(const LinkState& state);

    ProgramCore& m_core;
    WaveDocument& m_document;
    EnvSettings& m_settings;
    MainWindowServices m_services;
    std::filesystem::path m_settingsPath;
    std::array<QPushButton*, kCommandCount> m_command1{};
    std::array<QLabel*, 8> m_idLabel{};
    WaveDisplay* m_display = nullptr;
    InstrumentLink* m_link = nullptr;
    AcquisitionFlow* m_acquisition = nullptr;
    ReferenceSet* m_references = nullptr;
    LogSession* m_logging = nullptr;
    std::unique_ptr<PrintCommand> m_print;
    QLabel* m_portStatus = nullptr;
    HelpWindow* m_helpWindow = nullptr;   // made the first time no browser shows the guide
    QString m_device;             // the chosen device in use when no devicePath is given
    QString m_buttonStyle[2];     // Single and Load, as they were before their busy light
    QString m_startProblem;       // a file named at start that could not be read, told once shown
    bool m_unloaded = false;
};
