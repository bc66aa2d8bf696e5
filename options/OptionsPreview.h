#pragma once
// The options dialog's miniature of the wave window: grid, centre line, both baselines
// and two random traces in a 0..300 space, drawn in the colours of the swatches.

#include <QColor>
#include <QWidget>
#include <array>
#include <functional>
#include <vector>

// Two random traces of 301 points each around levels 75 and 225 of the 0..300 space.
// uniform() returns a fresh number in [0, 1).
std::array<std::vector<int>, 2> MakePreviewTraces(const std::function<double()>& uniform);

class OptionsPreview final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSpace = 300;

    explicit OptionsPreview(QWidget* parent = nullptr);

    // Colours in the order of the settings' colour slots; new random traces each call.
    void draw(const std::array<QColor, 7>& colors);

    const std::array<std::vector<int>, 2>& traces() const { return m_traces; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::array<QColor, 7> m_colors;
    std::array<std::vector<int>, 2> m_traces;
};
