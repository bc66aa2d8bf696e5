#include "analysis/SpectrumEnvelope.h"

#include <QTest>
#include <cmath>
#include <numeric>


struct EnvelopeCase { FrequencyAxis axis; int bins, width; };

class TestSpectrumEnvelope : public QObject {
    Q_OBJECT
private slots:
    // Levels rising with the bin index: the columns must hand every shown bin over once and
    // in order (each column from its first bin to its last, the next going on from there),
    // and each bin sits in the column its frequency maps to. The pointer reads the top of a
    // column's stroke, or the nearest bin between columns that hold one.
    void envelope_data()
    {
        QTest::addColumn<EnvelopeCase>("c");
        QTest::newRow("long record, linear") << EnvelopeCase{FrequencyAxis::Linear, 51201, 640};
        QTest::newRow("long record, log") << EnvelopeCase{FrequencyAxis::Logarithmic, 51201, 640};
        QTest::newRow("fewer bins than columns") << EnvelopeCase{FrequencyAxis::Linear, 300, 997};
        QTest::newRow("few bins, log") << EnvelopeCase{FrequencyAxis::Logarithmic, 9, 400};
        QTest::newRow("narrowest") << EnvelopeCase{FrequencyAxis::Linear, 2561, 2};
    }
    void envelope()
    {
        QFETCH(EnvelopeCase, c);
        auto& [axis, bins, width] = c;
        const double binWidth = 19.53125;
        std::vector<double> levels(static_cast<std::size_t>(bins));
        std::iota(levels.begin(), levels.end(), 0.0);
        const FrequencyScale scale(axis, binWidth, (bins - 1) * binWidth, width);
        const std::vector<EnvelopeColumn> columns = LevelEnvelope(levels, binWidth, scale);

        double expectedFirst = axis == FrequencyAxis::Linear ? 0 : 1;   // no DC on a log axis
        int previousX = -1;
        for (const EnvelopeColumn& c : columns) {
            QVERIFY(c.x > previousX && c.x < width);
            QCOMPARE(c.first, expectedFirst);
            QCOMPARE(c.low, c.first);
            QCOMPARE(c.high, c.last);
            for (double k : {c.first, c.last})
                QVERIFY(std::abs(scale.toX(k * binWidth) - c.x) <= 0.5);
            expectedFirst = c.last + 1;
            previousX = c.x;
        }
        QCOMPARE(expectedFirst, double(bins));
        auto column = columns.begin();
        for (int x = 0; x < width; ++x) {
            const int k = BinAtColumn(levels, binWidth, scale, x);
            if (column != columns.end() && column->x == x)
                QCOMPARE(double(k), (column++)->high);
            else
                QVERIFY2(std::abs(k * binWidth - scale.toFrequency(x)) <= binWidth / 2, qPrintable(QString::number(x)));
        }
        QCOMPARE(columns.front().x, 0);
        QCOMPARE(columns.back().x, width - 1);
        if (bins < width)
            QCOMPARE(int(columns.size()), bins - (axis == FrequencyAxis::Linear ? 0 : 1));
    }

    // 2 MHz sampling of 102400 samples: 19.53 Hz a bin, Nyquist 1 MHz.
    void frequencyAxes()
    {
        const FrequencyScale linear(FrequencyAxis::Linear, 19.53125, 1e6, 801);
        QCOMPARE(linear.toX(0.5e6), 400.0);
        QCOMPARE(linear.toFrequency(200), 0.25e6);
        const std::vector<double> linearGrid = linear.gridLines();
        QCOMPARE(linearGrid.size(), std::size_t(10));
        QCOMPARE(linearGrid.front(), 1e5);

        const FrequencyScale log(FrequencyAxis::Logarithmic, 19.53125, 1e6, 801);
        QCOMPARE(log.toX(19.53125), 0.0);
        QVERIFY(std::abs(log.toX(std::sqrt(19.53125 * 1e6)) - 400) < 1e-9);
        QVERIFY(std::abs(log.toFrequency(800) - 1e6) < 1e-6);
        // 20, 50, 100, 200, 500 ... 500k, 1M
        const std::vector<double> logGrid = log.gridLines();
        QCOMPARE(logGrid.size(), std::size_t(15));
        QCOMPARE(logGrid.front(), 20.0);
        QCOMPARE(logGrid.back(), 1e6);
    }
};

QTEST_GUILESS_MAIN(TestSpectrumEnvelope)
#include "test_spectrum_envelope.moc"
