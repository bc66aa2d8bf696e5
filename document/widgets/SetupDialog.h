#pragma once
// frmSetup: the modal dialog in which the user records the acquisition conditions of the
// waveform held in the record, and confirms them to protect them. Every opening is a new
// instance: it loads its controls from the record and keeps nothing afterwards. It only
// reads the record; what OK stores goes to the document when the dialog has closed.

#include "core/WaveRecord.h"
#include "document/SetupValues.h"

#include <QDateTime>
#include <QDialog>
#include <array>
#include <functional>
#include <optional>

class Prompts;
class WaveDocument;
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

    // Loads the controls from record at once. clock gives the current local time for the
    // date-and-time title (the system clock when empty).
    SetupDialog(const WaveRecord& record, Prompts& prompts, QWidget* parent = nullptr, Clock clock = {});

    // The handler of the four buttons by index: 0 date and time, 1 OK, 2 Cancel,
    // 3 confirm. Any other index closes without storing, like Cancel.
    void Command1_Click(int index);

    // After closing: the values OK stored (none otherwise), and whether the confirm button
    // protected them.
    const std::optional<SetupValues>& stored() const { return m_stored; }
    bool confirmed() const { return m_confirmed; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void buildControls();
    void loadFromRecord();
    void showFreshCaptureWarning();
    void putDateTime();
    void storeAndClose();
    QWidget* refusedInput(SetupRefusal::Field field) const;
    void confirmParameters();

    const WaveRecord& m_record;
    Prompts& m_prompts;
    Clock m_clock;
    bool m_warningArmed = false;
    std::optional<SetupValues> m_stored;
    bool m_confirmed = false;

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

// The Setup button's action: the dialog opens over parent (without a loop of its own) on
// the document, which it holds while open; when it closes the document stores what OK
// stored and refreshes, then closed runs. afterCapture: the dialog of a new capture.
void OpenSetupDialog(WaveDocument& document, Prompts& prompts, QWidget* parent, bool afterCapture,
                     std::function<void()> closed = {});
