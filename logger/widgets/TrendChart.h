#pragma once
// The trend chart: one measurement of a logging run against time, the value range on the
// left, the time since the start below. A failed capture breaks the line and is marked
// under it, so the time the instrument was lost shows as a gap.

#include "logger/TrendScene.h"

#include <QColor>
#include <QString>
#include <QWidget>
#include <vector>

class TrendChart : public QWidget {
    Q_OBJECT
public:
    explicit TrendChart(QWidget* parent = nullptr);

    // The points in time order, the unit of their values ("V", "Hz", "%") and the colour.
    void setTrend(std::vector<TrendPoint> points, const QString& unit, const QColor& colour);
    void addPoint(const TrendPoint& point);
    void clear();

    QSize sizeHint() const override { return {480, 200}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<TrendPoint> m_points;
    QString m_unit;
    QColor m_colour = Qt::blue;
};
