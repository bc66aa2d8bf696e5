#pragma once
// The spectrum window: for each channel its spectrum (SpectrumPlot), its ten highest peaks
// and its THD, over the whole record or, while a cursor measurement runs, the samples
// between its reference and its pointer, with the window function and the frequency axis
// chosen at the top. It follows the document, the cursor and the colours by itself while
// it is shown; the chosen window and axis are kept in the user's configuration file.
//
// objectNames: SpectrumPanel, SpectrumWindowChooser, SpectrumAxisChooser, SpectrumRange,
// SpectrumPlot_1, SpectrumPlot_2, SpectrumPeaks_1, SpectrumPeaks_2, SpectrumThd_1,
// SpectrumThd_2, SpectrumReadout_1, SpectrumReadout_2.

#include "analysis/SpectrumScale.h"
#include "analysis/SpectrumWindow.h"

#include <QWidget>

#include <array>
#include <optional>

class QComboBox;
class QLabel;
class QTableWidget;
class SpectrumPlot;
class WaveDisplay;
class WaveDocument;

class SpectrumView : public QWidget {
    Q_OBJECT
public:
    // The document and the display must outlive the view; configFile is the QSettings (INI)
    // file of the user's choices, none kept when empty; parent is the main window.
    SpectrumView(WaveDocument& document, WaveDisplay& display, const QString& configFile, QWidget* parent);

    WindowKind windowKind() const;
    FrequencyAxis axis() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    struct ChannelPart {
        SpectrumPlot* plot = nullptr;
        QTableWidget* peaks = nullptr;
        QLabel* thd = nullptr;
        QLabel* readout = nullptr;
    };

    QWidget* buildChannel(int channel);
    void applyColors();
    void scheduleRefresh();
    void refresh();
    void remember();

    WaveDocument& m_document;
    WaveDisplay& m_display;
    QString m_configFile;
    QComboBox* m_windowChooser = nullptr;
    QComboBox* m_axisChooser = nullptr;
    QLabel* m_range = nullptr;
    std::array<ChannelPart, 2> m_channels;
    bool m_refreshPending = false;
};
