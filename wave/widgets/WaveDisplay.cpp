#include "wave/widgets/WaveDisplay.h"

#include "core/EnvSettings.h"
#include "document/WaveDocument.h"
#include "wave/CursorMeasure.h"
#include "wave/ParameterPanel.h"
#include "wave/widgets/UpDownControl.h"
#include "wave/UpDownSteps.h"
#include "wave/widgets/WaveWindow.h"

#include <QCheckBox>
#include <QCursor>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolTip>
#include <QVBoxLayout>

namespace {

QString text(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

// A two-state box that the program may also grey: a click on a greyed box checks it.
class DisplayCheckBox : public QCheckBox {
public:
    using QCheckBox::QCheckBox;

protected:
    void nextCheckState() override { setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked); }
};

int valueOf(Qt::CheckState state)
{
    switch (state) {
    case Qt::Unchecked:
        return 0;
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    }
    return 0;
}

Qt::CheckState stateOf(int value)
{
    return value == 0 ? Qt::Unchecked : value == 2 ? Qt::PartiallyChecked : Qt::Checked;
}

struct ParameterDesign {
    const char* caption;
    const char* toolTip;
    const char* widest;   // the longest text it shows, for a steady layout
};
constexpr ParameterDesign kParameters[9] = {
    {"TimeScale", "", "Time: 999.9999ms/DIV"},
    {"", "基点からカーソル位置までの時間を計測します", "⊿t= 999.999msec"},
    {"CH1-V", "", "CH1 999.9999mV/DIV"},
    {"CH2-V", "", "CH2 999.9999mV/DIV"},
    {"H-Width", "", "H-Width"},
    {"H-Offset", "", "H-Offset"},
    {"", "基点からカーソル位置までのCh1レンジでの電圧を計測します", "⊿V: CH1= -999.999mV"},
    {"", "時間計測を周波数で表示します", "f= 999.999kHz"},
    {"", "基点からカーソル位置までのCh2レンジでの電圧を計測します", "CH2= -999.999mV"},
};

struct UpDownDesign {
    Qt::Orientation arrows;
    int widthTwips;
    int heightTwips;
    const char* toolTip;
};
constexpr UpDownDesign kUpDowns[4] = {
    {Qt::Horizontal, 375, 240, "時間軸方向の表示位置移動"},
    {Qt::Vertical, 240, 255, "時間軸のズーミング"},
    {Qt::Vertical, 240, 255, "CH1 Offset"},
    {Qt::Vertical, 240, 255, "CH2 Offset"},
};

struct FlagDesign {
    const char* name;
    const char* caption;
    const char* toolTip;
};
// In WaveDocument::Flag order.
constexpr FlagDesign kFlags[6] = {
    {"Ch1Flag", "CH 1", "Ｃｈ　１の波形表示＆取込"},
    {"Ch2Flag", "CH 2", "Ｃｈ　２の波形表示＆取込"},
    {"BaseFlag", "Base", "ベースライン表示"},
    {"GridFlag", "Grid", "グリッドの表示"},
    {"LineFlag", "Line", "点描・線描の切替"},
    {"LengthFlag", "LONG", "データー長の切り替え"},
};

} // namespace

struct WaveDisplay::Private {
    explicit Private(WaveDocument& doc) : document(doc) {}

    WaveDocument& document;
    ColorSlots colors = EnvSettings{}.Color;
    QLabel* parameter[9] = {};
    UpDownControl* upDown[4] = {};
    QCheckBox* flag[6] = {};
    WaveWindow* waveWindow = nullptr;
    CursorMeasure cursor;
    std::optional<float> pointerX;   // where the running measurement last read
    UpDownState steps;
    std::function<WaveOverlay(const WaveScene&)> overlaySource;
    QHBoxLayout* top = nullptr;

    void clearReadouts()
    {
        for (int i : {1, 6, 7, 8})
            parameter[i]->clear();
    }

    void setWaveToolTip(const QString& tip)
    {
        waveWindow->setToolTip(tip);
        // A tooltip already on screen follows the pointer's readout.
        if (QToolTip::isVisible() && waveWindow->underMouse())
            QToolTip::showText(QCursor::pos(), tip, waveWindow);
    }
};

WaveDisplay::WaveDisplay(WaveDocument& document, QWidget* parent)
    : QWidget(parent), d(std::make_unique<Private>(document))
{
    for (int i = 0; i < 9; ++i) {
        auto* label = new QLabel(QString::fromUtf8(kParameters[i].caption), this);
        label->setObjectName(QStringLiteral("Parameter_%1").arg(i));
        label->setTextFormat(Qt::PlainText);
        label->setToolTip(QString::fromUtf8(kParameters[i].toolTip));
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QString::fromUtf8(kParameters[i].widest)));
        d->parameter[i] = label;
    }
    for (int i = 0; i < 4; ++i) {
        auto* upDown = new UpDownControl(kUpDowns[i].arrows, kUpDowns[i].widthTwips, kUpDowns[i].heightTwips, this);
        upDown->setObjectName(QStringLiteral("WidthUD_%1").arg(i));
        upDown->setToolTip(QString::fromUtf8(kUpDowns[i].toolTip));
        connect(upDown, &UpDownControl::pressed, this, [this, i](int button, int modifiers, double x, double y) {
            UpDownPress(d->steps, i, button, modifiers, x, y);
        });
        connect(upDown, &UpDownControl::released, this, [this] { UpDownRelease(d->steps); });
        connect(upDown, &UpDownControl::stepped, this, [this, i] { d->document.step(i, d->steps); });
        d->upDown[i] = upDown;
    }

    auto* frame = new QGroupBox(QStringLiteral(" Display "), this);
    auto* frameLayout = new QGridLayout(frame);
    for (int i = 0; i < 6; ++i) {
        auto* box = new DisplayCheckBox(QString::fromUtf8(kFlags[i].caption), frame);
        box->setObjectName(QString::fromUtf8(kFlags[i].name));
        box->setToolTip(QString::fromUtf8(kFlags[i].toolTip));
        box->setCheckState(stateOf(document.flag(WaveDocument::Flag(i))));
        frameLayout->addWidget(box, i / 3, i % 3);
        d->flag[i] = box;
        // The click actions are the document's; its change comes back to the box.
        connect(box, &QCheckBox::stateChanged, this,
                [this, i](int state) { d->document.setFlag(WaveDocument::Flag(i), valueOf(Qt::CheckState(state))); });
    }

    d->waveWindow = new WaveWindow(this);
    d->waveWindow->setToolTip(QString::fromUtf8(kCursorIdleTip));
    connect(d->waveWindow, &WaveWindow::printKeyPressed, this, &WaveDisplay::printRequested);
    connect(d->waveWindow, &WaveWindow::mousePressed, this, [this](int button, int, float x, float y) {
        const bool hadSpan = d->pointerX.has_value();
        d->pointerX.reset();
        const bool started = d->cursor.mouseDown(button, x, y, d->document.record());
        if (hadSpan)
            emit cursorSpanChanged();
        if (started)
            return;
        d->clearReadouts();
        d->setWaveToolTip(QString::fromUtf8(kCursorIdleTip));
    });
    connect(d->waveWindow, &WaveWindow::mouseMoved, this, [this](int, int, float x, float y) {
        const std::optional<CursorReadout> readout = d->cursor.mouseMove(x, y, d->document.record());
        if (!readout)
            return;
        d->parameter[1]->setText(text(readout->timeText));
        if (readout->frequencyText)
            d->parameter[7]->setText(text(*readout->frequencyText));
        d->parameter[6]->setText(text(readout->ch1VoltsText));
        d->parameter[8]->setText(text(readout->ch2VoltsText));
        d->setWaveToolTip(text(readout->toolTip));
        if (d->pointerX != x) {
            d->pointerX = x;
            emit cursorSpanChanged();
        }
    });
    d->waveWindow->setBackground(SlotColor(d->colors[kBackgroundColor]));

    // Row 1: label 0, then 2, 3, 5, 4 each with its up-down; row 2: labels 1, 7, 6, 8.
    auto* row1 = new QHBoxLayout;
    row1->addWidget(d->parameter[0]);
    for (auto [label, upDown] : {std::pair{2, 2}, {3, 3}, {5, 0}, {4, 1}}) {
        row1->addSpacing(8);
        row1->addWidget(d->parameter[label]);
        row1->addWidget(d->upDown[upDown]);
    }
    row1->addStretch();
    auto* row2 = new QHBoxLayout;
    for (int label : {1, 7, 6, 8})
        row2->addWidget(d->parameter[label]);
    row2->addStretch();
    auto* rows = new QVBoxLayout;
    rows->addLayout(row1);
    rows->addLayout(row2);
    d->top = new QHBoxLayout;
    auto* top = d->top;
    top->addLayout(rows, 1);
    top->addWidget(frame);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(top);
    layout->addWidget(d->waveWindow, 1);

    d->waveWindow->setScale(document.view());
    connect(&document, &WaveDocument::changed, this, [this](WaveDocument::Aspects aspects) {
        if (aspects & WaveDocument::Flags)
            for (int i = 0; i < 6; ++i)
                d->flag[i]->setCheckState(stateOf(d->document.flag(WaveDocument::Flag(i))));
        // A capture is drawn once its setup has given it a time base and offsets.
        if (d->document.captureAwaitsSetup())
            return;
        if (aspects & WaveDocument::View)
            d->waveWindow->setScale(d->document.view());
        // New parameters alone wait for the next redraw: the Setup button does not redraw.
        if (aspects & (WaveDocument::Samples | WaveDocument::View | WaveDocument::Flags))
            RedrawWave();
    });
    connect(&document, &WaveDocument::refreshed, this, [this] {
        const WaveRecord& record = d->document.record();
        d->cursor.end();
        d->clearReadouts();
        if (d->pointerX) {
            d->pointerX.reset();
            emit cursorSpanChanged();
        }
        d->parameter[2]->setText(text(VoltsPerDivCaption(1, record.Ch1VoltsPerDiv)));
        d->parameter[3]->setText(text(VoltsPerDivCaption(2, record.Ch2VoltsPerDiv)));
    });
}

WaveDisplay::~WaveDisplay() = default;

void WaveDisplay::RedrawWave()
{
    const std::optional<WaveScene> scene =
        ComputeWaveScene(d->document.record(), d->document.view(), d->document.displayFlags());
    if (!scene)
        return;
    d->parameter[0]->setText(text(scene->timeLabel));
    d->waveWindow->showScene(*scene, d->colors, d->overlaySource ? d->overlaySource(*scene) : WaveOverlay{});
}

void WaveDisplay::setOverlaySource(std::function<WaveOverlay(const WaveScene&)> source)
{
    d->overlaySource = std::move(source);
}

void WaveDisplay::setColors(const std::array<int32_t, 7>& colors)
{
    d->colors = colors;
    d->waveWindow->setBackground(SlotColor(colors[kBackgroundColor]));
    emit colorsChanged();
}

std::array<int32_t, 7> WaveDisplay::colors() const
{
    return d->colors;
}

WaveWindow* WaveDisplay::waveWindow() const
{
    return d->waveWindow;
}

std::optional<std::pair<double, double>> WaveDisplay::cursorSpan() const
{
    if (!d->cursor.active() || !d->pointerX)
        return std::nullopt;
    return std::pair<double, double>(d->cursor.RefX, *d->pointerX);
}

void WaveDisplay::addBesideDisplay(QWidget* group)
{
    d->top->insertWidget(d->top->count() - 1, group);
}
