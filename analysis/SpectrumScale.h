#pragma once
// Where the spectrum view puts a frequency and a level: pixel columns across the width for
// frequencies from the first shown bin to Nyquist (linear from DC, or logarithmic from the
// first bin above DC), rows down the height for levels, and the grid values of both.

#include <vector>

enum class FrequencyAxis { Linear, Logarithmic };

class FrequencyScale {
public:
    // binWidth and nyquist in Hz, above 0; width in pixels, at least 2.
    FrequencyScale(FrequencyAxis axis, double binWidth, double nyquist, int width);

    FrequencyAxis axis() const { return m_axis; }
    int width() const { return m_width; }
    double lowest() const { return m_low; }
    double highest() const { return m_high; }
    // Fractional column of a frequency: lowest() at 0, highest() at width - 1.
    double toX(double frequency) const;
    double toFrequency(double x) const;
    // The frequencies of the grid lines: 1-2-5 steps (about eight lines) on the linear axis,
    // each decade and its 2 and 5 on the logarithmic one.
    std::vector<double> gridLines() const;

private:
    FrequencyAxis m_axis;
    double m_low;
    double m_high;
    int m_width;
};

// The levels shown, top to bottom: a fixed span of 140 dB below the highest level rounded
// up to 20 dB, in lines every 20 dB.
class LevelScale {
public:
    static constexpr double kSpan = 140;
    static constexpr double kStep = 20;

    LevelScale(double highestLevel, int height);

    double top() const { return m_top; }
    double bottom() const { return m_top - kSpan; }
    double toY(double level) const;
    double toLevel(double y) const;

private:
    double m_top;
    int m_height;
};
