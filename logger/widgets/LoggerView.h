#pragma once
// The logging view: the log file, the interval, the number of captures and the channels;
// start and stop; the count, the last status and reconnect attempts; the trend of one
// measurement over the run. Its inputs are kept in the user's configuration.
//
// objectNames: LoggerView, LogFileEdit, LogFileBrowse, LogEvery, LogCount, LogCh1, LogCh2,
// LogStart, LogStop, LogTrendChoice, LogStatus, TrendChart.

#include "analysis/Measurement.h"
#include "logger/LogSession.h"
#include "logger/TrendScene.h"

#include <QColor>
#include <QWidget>
#include <array>
#include <functional>
#include <optional>
#include <vector>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class TrendChart;
class WaveDocument;

class LoggerView : public QWidget {
    Q_OBJECT
public:
    // colours: the CH1 and CH2 trace colours. configFile: the user's configuration (INI);
    // empty: nothing is remembered. referenceForRun: asked at each start, the reference the
    // run's captures are judged against (a reference column in the log), or none.
    LoggerView(LogSession& session, WaveDocument& document, std::array<QColor, 2> colours, QString configFile,
               std::function<std::optional<LogReference>()> referenceForRun, QWidget* parent);

signals:
    // For the main window's status line.
    void statusChanged(const QString& text);

private:
    struct Row {
        double seconds;
        std::vector<std::optional<double>> values; // per channel, per logged measurement
    };

    void startLogging();
    void onRow(qint64 capture, const QString& status, const QStringList& fields);
    void onFinished(bool completed, const QString& failure);
    void showTrend();
    void setStatus(const QString& text);
    // "・R1 と比較: 不合格（不合格 2 回）" after the latest row of a judged run; empty otherwise.
    QString verdictText() const;
    void remember() const;
    void updateControls();

    LogSession& m_session;
    WaveDocument& m_document;
    std::array<QColor, 2> m_colours;
    QString m_configFile;
    std::function<std::optional<LogReference>()> m_referenceForRun;
    QLineEdit* m_file;
    QPushButton* m_browse;
    QDoubleSpinBox* m_every;
    QSpinBox* m_count;
    QCheckBox* m_channel[2];
    QPushButton* m_start;
    QPushButton* m_stop;
    QComboBox* m_trendChoice;
    QLabel* m_status;
    TrendChart* m_chart;
    std::vector<Row> m_rows;
    QList<int> m_runChannels;
    std::optional<QDateTime> m_runStart;
};
