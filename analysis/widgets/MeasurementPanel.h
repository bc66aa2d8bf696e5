#pragma once
// The measurement panel: a window of its own with a row for each automatic measurement
// and, for each channel that is on, its value and the statistics of that value over the
// records since the last Reset (mean, minimum, maximum, standard deviation, count), headed
// in the channel's trace colour. It measures the whole record, or the samples between the
// cursor measurement's reference and its pointer while one runs, and follows every change
// of the record, the cursor and the channel boxes. A new record (a capture or a file)
// joins the statistics once its parameters are refreshed. Copy puts the table on the
// clipboard as tab-separated text.
//
// objectNames: MeasurementPanel, MeasurementTable, MeasurementRange, MeasurementReset,
// MeasurementCopy.

#include "analysis/Measurement.h"
#include "analysis/MeasurementStatistics.h"
#include "analysis/SampleWindow.h"

#include <QWidget>

#include <array>
#include <optional>

class QLabel;
class QTableWidget;
class QTimer;
class ReferenceSet;
class WaveDisplay;
class WaveDocument;

class MeasurementPanel : public QWidget {
    Q_OBJECT
public:
    // The document and the display must outlive the panel; parent is the main window.
    MeasurementPanel(WaveDocument& document, WaveDisplay& display, QWidget* parent);

    // Adds the rows of the deviation from the chosen reference (maximum, RMS, points outside
    // the tolerance) over the whole record; the set must outlive the panel.
    void showDeviations(const ReferenceSet& references);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void scheduleUpdate();
    void updateTable();
    void updateHeaders();
    void updateDeviations();
    void addRecordToStatistics();
    // The samples between the cursor measurement's reference and pointer, while one runs.
    std::optional<SampleWindow> cursorWindow() const;
    std::array<ChannelMeasurements, 2> measureChannels(SampleWindow window) const;
    // The table as tab-separated lines: the header, then one line per measurement.
    QString tableText() const;
    bool channelOn(int channel) const;

    WaveDocument& m_document;
    WaveDisplay& m_display;
    QTableWidget* m_table;
    QLabel* m_range;
    QTimer* m_update;
    MeasurementStatistics m_statistics;
    const ReferenceSet* m_references = nullptr;
    bool m_newRecord = false;   // samples changed; they join the statistics at the next refresh
};
