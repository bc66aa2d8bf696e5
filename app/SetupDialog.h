#pragma once
// frmSetup: the modal dialog in which the user records the acquisition conditions of the
// waveform held in the record, and confirms them to protect them. Every opening is a new
// instance: it loads its controls from the record and keeps nothing afterwards.

#include "core/WaveRecord.h"

#include <QDateTime>
#include <QDialog>
#include <array>
#include <functional>

class Prompts;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class SetupDialog : public QDialog {
    Q_OBJECT
public:
    using Clock = std::function<QDateTime()>;

    // Loads the controls from record at once; record.EquSampling is cleared here when the
    // record is too long for equivalent sampling, whatever happens to the dialog later.
    // clock gives the current local time for the date-and-time title (the system clock
    // when empty).
    SetupDialog(WaveRecord& record, Prompts& prompts, QWidget* parent = nullptr, Clock clock = {});

    // The handler of the four buttons by index: 0 date and time, 1 OK, 2 Cancel,
    // 3 confirm. Any other index closes without storing, like Cancel.
    void Command1_Click(int index);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void buildControls();
    void loadFromRecord();
    void showFreshCaptureWarning();
    void putDateTime();
    void storeAndClose();
    void confirmParameters();

    WaveRecord& m_record;
    Prompts& m_prompts;
    Clock m_clock;
    bool m_warningArmed = false;

    QLineEdit* m_title = nullptr;
    std::array<QComboBox*, 3> m_combo{};
    std::array<QLineEdit*, 2> m_offset{};
    QLineEdit* m_delay = nullptr;
    QCheckBox* m_equSampling = nullptr;
    QLabel* m_dataLength = nullptr;
    QLabel* m_comment = nullptr;
    QPlainTextEdit* m_guidance = nullptr;
    std::array<QPushButton*, 4> m_command{};
};
