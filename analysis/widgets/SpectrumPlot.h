#pragma once
// One channel's spectrum drawn as dBV against Hz: the grid with its values, the levels as
// a per-column envelope in the channel's trace colour, the peaks numbered from the
// highest, and a cross-hair on the level at the pointer's column, whose frequency and
// level it announces. Where there is no spectrum it shows why instead.

#include "analysis/Spectrum.h"
#include "analysis/SpectrumEnvelope.h"

#include <QWidget>

#include <optional>

class SpectrumPlot : public QWidget {
    Q_OBJECT
public:
    explicit SpectrumPlot(QWidget* parent = nullptr);

    QSize sizeHint() const override { return {640, 260}; }

    void setSpectrum(const Spectrum& spectrum);
    // No spectrum: the reason is shown in its place.
    void setMessage(const QString& message);
    void setAxis(FrequencyAxis axis);
    void setColors(QColor trace, QColor background, QColor grid);

signals:
    // What the cross-hair reads ("12.500kHz　-3.0 dBV"); empty when the pointer leaves.
    void readoutChanged(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QRect plotArea() const;
    void layOut();
    void readAt(int x);
    void setReadout(const QString& text);

    std::optional<Spectrum> m_spectrum;
    QString m_message;
    FrequencyAxis m_axis = FrequencyAxis::Linear;
    QColor m_trace = Qt::yellow;
    QColor m_background = Qt::black;
    QColor m_grid = Qt::darkGray;
    // Laid out for the plot area's size: the scales and the strokes.
    std::optional<FrequencyScale> m_frequencies;
    std::optional<LevelScale> m_levels;
    std::vector<QLine> m_strokes;
    std::optional<QPoint> m_pointer;   // the cross-hair's centre, in widget coordinates
    QString m_readout;
};
