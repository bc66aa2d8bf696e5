#pragma once
// frmOptions: edits the seven display colours and the six serial-line settings.
// OK stores the edited values in the settings and writes the settings file; Cancel and
// the close box discard them. The caller applies the settings again after every close.

#include "core/EnvSettings.h"
#include "link/LineDoctor.h"
#include "link/SerialPorts.h"

#include <QColor>
#include <QDialog>
#include <array>
#include <filesystem>
#include <functional>
#include <optional>

class OptionsPreview;
class Prompts;
class QComboBox;
class QLabel;
class QPushButton;
class QTabWidget;
class QTreeWidget;

// Colours of the settings are red + 256*green + 65536*blue.
QColor ColorFromBgr(int32_t bgr);
int32_t BgrFromColor(const QColor& color);

class OptionsDialog final : public QDialog {
    Q_OBJECT
public:
    // settings is edited in place on OK; settingsPath is where OK writes them.
    OptionsDialog(EnvSettings& settings, std::filesystem::path settingsPath, Prompts& prompts,
                  QWidget* parent = nullptr);

    void ColorCommand_Click(int index);
    void ColorStand_Click();
    void COMStand_Click();
    void cmdOK_Click();
    void cmdCancel_Click();

    // The serial devices offered beside the settings' two ports, and the device in use
    // (empty: the settings' port). "再検索" asks the lister again.
    void offerDevices(SerialPortLister lister, const QString& chosen);
    // The device chosen in the list; empty for the settings' port.
    QString chosenDevice() const;

    // Runs the connection doctor on the serial fields as edited and the chosen device;
    // returns the line settings to use, if any.
    using Doctor = std::function<std::optional<DoctorFound>(QWidget* parent, const EnvSettings& edited, const QString& device)>;
    // Enables "診断" on the serial tab.
    void offerDoctor(Doctor doctor);
    // Selects the speed and delimiter found and shows the serial tab; OK stores them.
    void useLineSettings(const DoctorFound& found);

private:
    QWidget* buildColorTab();
    QWidget* buildLineTab();
    void setSwatch(int index, int32_t bgr);
    void DrawPreview();
    void fillDevices(const QString& chosen);
    // The device list back on its first row, the settings' port 1 or 2.
    void useSettingsPort();
    void COMDoctor_Click();

    EnvSettings& m_settings;
    std::filesystem::path m_settingsPath;
    Prompts& m_prompts;
    std::array<int32_t, 7> m_swatches{};
    std::array<QLabel*, 7> m_envColor{};
    std::array<QComboBox*, 6> m_envCom{};
    OptionsPreview* m_preview = nullptr;
    QTreeWidget* m_portDevices = nullptr;
    SerialPortLister m_lister;
    Doctor m_doctor;
    QTabWidget* m_tabs = nullptr;
    QPushButton* m_doctorButton = nullptr;
};
