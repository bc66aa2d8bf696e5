#pragma once
// 接続の診断: runs the link's connection doctor on a port and shows each step as it ends,
// with its result, the advice, and the speed and delimiter the instrument answered with.
// "この設定を使う" closes it with those (chosen()); the caller fills the options fields.
// The diagnosis itself is the link's (LineDoctor); this window only shows it.

#include "core/EnvSettings.h"
#include "link/LineDoctor.h"

#include <QDialog>
#include <optional>

class InstrumentLink;
class QLabel;
class QListWidget;
class QPushButton;

// Shows the window modally; the line settings found when "この設定を使う" was pressed.
std::optional<DoctorFound> RunDoctorWindow(InstrumentLink& link, const EnvSettings& settings, const QString& device,
                                           SerialPortLister lister, QWidget* parent);

class DoctorWindow final : public QDialog {
    Q_OBJECT
public:
    // Starts at once on the port settings and device name (empty: the settings' port).
    DoctorWindow(InstrumentLink& link, const EnvSettings& settings, const QString& device, SerialPortLister lister,
                 QWidget* parent = nullptr);

    // The line settings found, once "この設定を使う" was pressed.
    std::optional<DoctorFound> chosen() const { return m_chosen; }

    void reject() override; // also 中止: the running diagnosis ends, the port is reopened

private:
    void addStep(const DoctorStepReport& report);
    void showDiagnosis(const Diagnosis& diagnosis);
    void finished();

    InstrumentLink& m_link;
    QListWidget* m_steps = nullptr;
    QLabel* m_trying = nullptr;
    QLabel* m_advice = nullptr;
    QPushButton* m_use = nullptr;
    QPushButton* m_close = nullptr;
    std::optional<DoctorFound> m_found;
    std::optional<DoctorFound> m_chosen;
    bool m_running = false;
};
