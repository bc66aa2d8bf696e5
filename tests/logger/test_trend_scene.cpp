// The trend chart's envelope draws the same pixels as a line through every row, with the
// line broken at failed rows.

#include "logger/TrendScene.h"

#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QTest>

namespace {

constexpr int kWidth = 240;
constexpr int kHeight = 120;

QImage blank()
{
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

// One line per pair of neighbouring rows that both have a value, positions rounded as
// the chart rounds them.
QImage reference(const std::vector<TrendPoint>& points, double seconds, TrendRange range)
{
    QImage image = blank();
    QPainter painter(&image);
    const auto x = [&](double s) { return std::clamp(int(std::lround(s * (kWidth - 1) / seconds)), 0, kWidth - 1); };
    const auto y = [&](double v) {
        return std::clamp(int(std::lround((range.high - v) * (kHeight - 1) / (range.high - range.low))), 0, kHeight - 1);
    };
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (!points[i].value)
            continue;
        const QPoint here(x(points[i].seconds), y(*points[i].value));
        painter.drawPoint(here);
        if (i + 1 < points.size() && points[i + 1].value)
            painter.drawLine(here, QPoint(x(points[i + 1].seconds), y(*points[i + 1].value)));
    }
    return image;
}

QImage envelope(const std::vector<TrendPoint>& points, double seconds, TrendRange range)
{
    QImage image = blank();
    QPainter painter(&image);
    for (const TrendLine& l : TrendLines(points, seconds, range, kWidth, kHeight))
        painter.drawLine(l.x1, l.y1, l.x2, l.y2);
    return image;
}

} // namespace

class TestTrendScene : public QObject {
    Q_OBJECT

private slots:
    void samePixels_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("failEvery"); // 0: no failed rows
        QTest::newRow("fewer rows than columns") << 50 << 0;
        QTest::newRow("100 000 rows") << 100000 << 0;
        QTest::newRow("failed rows break the line") << 3000 << 400;
        QTest::newRow("sparse with gaps") << 80 << 7;
    }
    void samePixels()
    {
        QFETCH(int, rows);
        QFETCH(int, failEvery);
        QRandomGenerator random(7);
        std::vector<TrendPoint> points;
        double value = 0;
        for (int i = 0; i < rows; ++i) {
            value += random.bounded(2.0) - 1.0;
            const bool failed = failEvery && i % failEvery == failEvery - 1;
            points.push_back({i * 10.0, failed ? std::nullopt : std::optional<double>(value)});
        }
        const double seconds = (rows - 1) * 10.0;
        const auto range = TrendValueRange(points);
        QVERIFY(range);
        QCOMPARE(envelope(points, seconds, *range), reference(points, seconds, *range));
    }

    void flatAndEmpty()
    {
        const std::vector<TrendPoint> flat{{0, 2.0}, {1, 2.0}};
        const auto range = TrendValueRange(flat);
        QVERIFY(range && range->low < 2.0 && range->high > 2.0);
        const std::vector<TrendPoint> failed{{0, std::nullopt}, {1, std::nullopt}};
        QVERIFY(!TrendValueRange(failed));
        QVERIFY(TrendLines(failed, 1, {0, 1}, kWidth, kHeight).empty());
    }
};

QTEST_MAIN(TestTrendScene)
#include "test_trend_scene.moc"
