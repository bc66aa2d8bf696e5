#pragma once
// The busy panel of an instrument exchange: what is going on, a progress bar with the
// bytes received and the time left, and a cancel button (Esc presses it too while the
// panel is shown). It follows the acquisition flow by itself and is hidden while no
// exchange runs.

#include <QWidget>
#include <optional>

class AcquisitionFlow;
struct TransferProgress;
class QLabel;
class QProgressBar;
class QPushButton;

class AcquisitionProgress : public QWidget {
    Q_OBJECT
public:
    explicit AcquisitionProgress(AcquisitionFlow& flow, QWidget* parent = nullptr);

private:
    // A wait for the instrument without a measure of progress (the single sweep, the
    // identity query): what is awaited and a busy bar without an end.
    void showWaiting(const QString& what);
    // A waveform transfer: bytes over all channels of the capture, and the time left.
    void showTransfer(const TransferProgress& progress);
    // The rest of an earlier transfer being read off, with the time left; endDraining()
    // puts back what the panel showed before.
    void showDraining(qint64 msLeft);
    void endDraining();

    struct Shown {
        QString text;
        int minimum = 0;
        int maximum = 0;
        int value = 0;
        QString format;
        bool hidden = true;
    };

    QLabel* m_text;
    QProgressBar* m_bar;
    QPushButton* m_cancel;
    std::optional<Shown> m_beforeDraining;
};
