#include "analysis/SpectrumWindow.h"

#include <array>
#include <cmath>
#include <numbers>

namespace {

struct WindowShape {
    std::string_view name;
    std::array<double, 5> coefficients;   // a_0..a_4; unused terms 0
    int terms;
};

// Blackman-Harris: the 4-term, -92 dB side lobe set. Flat-top: the 5-term set with a
// scalloping loss below 0.01 dB, so a tone reads true wherever it falls.
constexpr std::array<WindowShape, 5> kShapes{{
    {"rectangular", {1, 0, 0, 0, 0}, 1},
    {"hann", {0.5, 0.5, 0, 0, 0}, 2},
    {"hamming", {0.54, 0.46, 0, 0, 0}, 2},
    {"blackman-harris", {0.35875, 0.48829, 0.14128, 0.01168, 0}, 4},
    {"flat-top", {0.21557895, 0.41663158, 0.277263158, 0.083578947, 0.006947368}, 5},
}};

const WindowShape& shape(WindowKind kind)
{
    return kShapes[std::size_t(kind)];
}

} // namespace

std::string_view WindowName(WindowKind kind)
{
    return shape(kind).name;
}

std::optional<WindowKind> WindowFromName(std::string_view name)
{
    for (WindowKind kind : kAllWindows) {
        if (shape(kind).name == name)
            return kind;
    }
    return std::nullopt;
}

int MainLobeHalfWidth(WindowKind kind)
{
    return shape(kind).terms;
}

std::vector<double> WindowValues(WindowKind kind, int n)
{
    const WindowShape& s = shape(kind);
    std::vector<double> values(std::size_t(std::max(n, 0)));
    for (int i = 0; i < n; ++i) {
        double sum = 0;
        double sign = 1;
        for (int k = 0; k < s.terms; ++k) {
            sum += sign * s.coefficients[std::size_t(k)] * std::cos(2 * std::numbers::pi * k * i / n);
            sign = -sign;
        }
        values[std::size_t(i)] = sum;
    }
    return values;
}
