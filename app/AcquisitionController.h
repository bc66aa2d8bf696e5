#pragma once
// The window side of the instrument's acquisition commands: Load from the instrument,
// Single and ID Read. It posts jobs to the instrument link, follows them through its
// signals, paints the busy lights, shows the progress, and applies a capture to the
// record only when every requested channel has arrived; a failure or a cancel leaves the
// record, the view and the picture as they were. Then it presses Setup and redraws.

#include "app/AcquisitionCapture.h"
#include "link/LinkTypes.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <array>
#include <functional>
#include <optional>

class AcquisitionProgress;
class InstrumentLink;
class Prompts;
class QLabel;
class QPushButton;
class QWidget;
class WaveDisplay;
struct WaveRecord;

// The pieces of the main window the flows act on. Every pointer but progress is needed.
struct AcquisitionParts {
    WaveRecord* record = nullptr;
    InstrumentLink* link = nullptr;
    WaveDisplay* display = nullptr;
    Prompts* prompts = nullptr;
    QWidget* window = nullptr;               // parent of the messages
    QPushButton* singleButton = nullptr;     // Command1_2: red while its sweep runs
    QPushButton* loadButton = nullptr;       // Command1_10: red while a channel transfers
    std::array<QLabel*, 4> idLabels{};       // IDLabel_0..IDLabel_3
    AcquisitionProgress* progress = nullptr; // shown while the line is busy; may be null
    std::function<void(bool)> setLoadRunning; // buttons 0..10 off while a Load runs
    std::function<void()> pressSetup;         // Command1_Click(4): the dialog, then RefreshParameters
};

class AcquisitionController : public QObject {
    Q_OBJECT
public:
    enum class Flow { None, Load, Single, Identity };
    Q_ENUM(Flow)
    enum class Outcome { Done, Failed, Cancelled, Refused };
    Q_ENUM(Outcome)

    explicit AcquisitionController(AcquisitionParts parts, QObject* parent = nullptr);

    // Load answered Yes: buttons 0 to 10 off, each checked channel downloaded, buttons on,
    // Setup pressed, RedrawWave. With no channel checked nothing is sent.
    // False (with a message) when the line is busy.
    bool LoadFromInstrument();
    // "WSGL", the status poll until the sweep has finished, then as a Load without
    // disabling the buttons.
    bool SingleSweep();
    // "*IDN?" into the identity labels, each filled one turned white.
    bool ReadIdentity();

    // Ends the running exchange; the record stays as it was.
    void cancel();

    // A flow runs, or the link runs any job (also RUN or STOP posted by the window).
    bool isBusy() const;
    Flow flow() const { return m_flow; }

signals:
    // The window greys the instrument commands while busy, so none is started over another.
    void busyChanged(bool busy);
    // After the flow's last step (for Done: after Setup and the redraw).
    void flowFinished(AcquisitionController::Flow flow, AcquisitionController::Outcome outcome);

private:
    bool begin(Flow flow);
    bool post(bool accepted);
    void startCapture();
    void downloadNext();
    void finishCapture();
    void end(Outcome outcome, const QString& message = {});
    void onJobFinished(LinkJob job, JobResult result);
    void onProgress(int channel, qint64 received, qint64 total);
    void onChannel(int channel, const QByteArray& bytes);
    void onIdentity(const QStringList& fields);
    void paintBusy(QPushButton* button);
    void restoreBusy(QPushButton* button);
    void whenNoModalDialog(std::function<void()> step);
    void updateBusy();
    QString failureText(LinkJob job, const QString& reason) const;

    AcquisitionParts m_parts;
    Flow m_flow = Flow::None;
    std::optional<CaptureBytes> m_capture;
    int m_channelIndex = 0;
    QString m_failure;
    QElapsedTimer m_transferClock;
    QString m_savedStyle[2];   // Single, Load
    bool m_busyShown = false;
};
