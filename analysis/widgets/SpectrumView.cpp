#include "analysis/widgets/SpectrumView.h"

#include "analysis/Spectrum.h"
#include "analysis/widgets/SpectrumPlot.h"
#include "core/EngNumber.h"
#include "document/WaveDocument.h"
#include "wave/WavePainter.h"
#include "wave/WaveScene.h"
#include "wave/widgets/WaveDisplay.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QSettings>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// The chooser's entries, in kAllWindows order.
const char* const kWindowTitles[] = {"方形", "ハニング", "ハミング", "ブラックマン・ハリス", "フラットトップ"};
const char* const kAxisTitles[] = {"リニア", "対数"};
const char* const kAxisNames[] = {"linear", "log"};

constexpr char kWindowKey[] = "spectrum/window";
constexpr char kAxisKey[] = "spectrum/axis";

QString noValue()
{
    return QStringLiteral("—");
}

} // namespace

SpectrumView::SpectrumView(WaveDocument& document, WaveDisplay& display, const QString& configFile, QWidget* parent)
    : QWidget(parent, Qt::Tool), m_document(document), m_display(display), m_configFile(configFile)
{
    setObjectName(QStringLiteral("SpectrumPanel"));
    setWindowTitle(QStringLiteral("スペクトル"));

    m_windowChooser = new QComboBox;
    m_windowChooser->setObjectName(QStringLiteral("SpectrumWindowChooser"));
    for (const char* title : kWindowTitles)
        m_windowChooser->addItem(QString::fromUtf8(title));
    m_axisChooser = new QComboBox;
    m_axisChooser->setObjectName(QStringLiteral("SpectrumAxisChooser"));
    for (const char* title : kAxisTitles)
        m_axisChooser->addItem(QString::fromUtf8(title));
    m_range = new QLabel;
    m_range->setObjectName(QStringLiteral("SpectrumRange"));
    m_range->setTextFormat(Qt::PlainText);

    // The user's last choices; anything unknown there leaves the defaults.
    WindowKind window = kDefaultWindow;
    int axis = 0;
    if (!m_configFile.isEmpty()) {
        const QSettings config(m_configFile, QSettings::IniFormat);
        window = WindowFromName(config.value(QLatin1String(kWindowKey)).toString().toStdString()).value_or(window);
        axis = config.value(QLatin1String(kAxisKey)).toString() == QLatin1String(kAxisNames[1]) ? 1 : 0;
    }
    m_windowChooser->setCurrentIndex(int(window));
    m_axisChooser->setCurrentIndex(axis);

    auto* choices = new QHBoxLayout;
    choices->addWidget(new QLabel(QStringLiteral("窓関数")));
    choices->addWidget(m_windowChooser);
    choices->addSpacing(16);
    choices->addWidget(new QLabel(QStringLiteral("周波数軸")));
    choices->addWidget(m_axisChooser);
    choices->addStretch(1);
    choices->addWidget(m_range);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(choices);
    layout->addWidget(buildChannel(1), 1);
    layout->addWidget(buildChannel(2), 1);

    connect(m_windowChooser, &QComboBox::currentIndexChanged, this, [this] {
        remember();
        scheduleRefresh();
    });
    connect(m_axisChooser, &QComboBox::currentIndexChanged, this, [this] {
        remember();
        for (const ChannelPart& part : m_channels)
            part.plot->setAxis(this->axis());
    });
    connect(&m_document, &WaveDocument::changed, this, [this](WaveDocument::Aspects aspects) {
        // The offsets and the view change no value.
        if (aspects & (WaveDocument::Samples | WaveDocument::Parameters | WaveDocument::Flags))
            scheduleRefresh();
    });
    connect(&m_document, &WaveDocument::refreshed, this, &SpectrumView::scheduleRefresh);
    connect(&m_display, &WaveDisplay::cursorSpanChanged, this, &SpectrumView::scheduleRefresh);
    connect(&m_display, &WaveDisplay::colorsChanged, this, &SpectrumView::applyColors);
    applyColors();
    resize(900, 640);
}

QWidget* SpectrumView::buildChannel(int channel)
{
    ChannelPart& part = m_channels[std::size_t(channel - 1)];
    const QString suffix = QString::number(channel);
    part.plot = new SpectrumPlot;
    part.plot->setObjectName(QStringLiteral("SpectrumPlot_") + suffix);
    part.plot->setAxis(axis());
    part.peaks = new QTableWidget(kMaxPeaks, 2);
    part.peaks->setObjectName(QStringLiteral("SpectrumPeaks_") + suffix);
    part.peaks->setHorizontalHeaderLabels({QStringLiteral("周波数"), QStringLiteral("レベル")});
    part.peaks->setEditTriggers(QAbstractItemView::NoEditTriggers);
    part.peaks->setSelectionMode(QAbstractItemView::NoSelection);
    part.peaks->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    part.peaks->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    part.peaks->setFixedWidth(230);
    part.thd = new QLabel;
    part.thd->setObjectName(QStringLiteral("SpectrumThd_") + suffix);
    part.thd->setTextFormat(Qt::PlainText);

    part.readout = new QLabel;
    part.readout->setObjectName(QStringLiteral("SpectrumReadout_") + suffix);
    part.readout->setTextFormat(Qt::PlainText);
    connect(part.plot, &SpectrumPlot::readoutChanged, part.readout, &QLabel::setText);

    auto* side = new QVBoxLayout;
    side->addWidget(new QLabel(QStringLiteral("CH") + suffix));
    side->addWidget(part.peaks, 1);
    side->addWidget(part.thd);
    side->addWidget(part.readout);
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(part.plot, 1);
    layout->addLayout(side);
    return row;
}

WindowKind SpectrumView::windowKind() const
{
    return kAllWindows[std::size_t(m_windowChooser->currentIndex())];
}

FrequencyAxis SpectrumView::axis() const
{
    return m_axisChooser->currentIndex() == 1 ? FrequencyAxis::Logarithmic : FrequencyAxis::Linear;
}

void SpectrumView::applyColors()
{
    const std::array<int32_t, 7> colors = m_display.colors();
    for (int c = 0; c < 2; ++c) {
        m_channels[std::size_t(c)].plot->setColors(SlotColor(colors[std::size_t(kCh1TraceColor + c)]),
                                                   SlotColor(colors[kBackgroundColor]), SlotColor(colors[kGridColor]));
    }
}

void SpectrumView::showEvent(QShowEvent*)
{
    scheduleRefresh();
}

// Several changes in one turn of the event loop (a capture touches samples, parameters
// and flags) give one computation, and none while the window is hidden.
void SpectrumView::scheduleRefresh()
{
    if (m_refreshPending || !isVisible())
        return;
    m_refreshPending = true;
    QTimer::singleShot(0, this, [this] {
        m_refreshPending = false;
        refresh();
    });
}

void SpectrumView::refresh()
{
    const WaveRecord& record = m_document.record();
    const std::optional<std::pair<double, double>> span = m_display.cursorSpan();
    const std::optional<SampleWindow> cursor =
        span ? WindowBetweenPositions(record, span->first, span->second) : std::nullopt;
    const SampleWindow samples = cursor.value_or(WholeRecord(record));
    m_range->setText((cursor ? QStringLiteral("範囲：カーソル間（%1 点）") : QStringLiteral("範囲：全体（%1 点）"))
                         .arg(samples.last - samples.first + 1));

    for (int channel = 1; channel <= 2; ++channel) {
        ChannelPart& part = m_channels[std::size_t(channel - 1)];
        part.peaks->clearContents();
        part.thd->setText(QStringLiteral("THD　") + noValue());
        const bool on = (channel == 1 ? record.Ch1On : record.Ch2On) != 0;
        if (!on) {
            part.plot->setMessage(QStringLiteral("CH%1 はオフです").arg(channel));
            continue;
        }
        const std::optional<Spectrum> spectrum = ComputeChannelSpectrum(record, channel, samples, windowKind());
        if (!spectrum) {
            part.plot->setMessage(record.SecondsPerSample > 0
                                      ? QStringLiteral("点数が足りません（%1 点以上）").arg(kMinSpectrumSamples)
                                      : QStringLiteral("時間軸が設定されていません"));
            continue;
        }
        part.plot->setSpectrum(*spectrum);
        for (std::size_t i = 0; i < spectrum->peaks.size(); ++i) {
            const SpectrumPeak& peak = spectrum->peaks[i];
            part.peaks->setItem(int(i), 0, new QTableWidgetItem(
                QString::fromStdString(FormatEng(float(peak.frequency), "##0.000")).trimmed() + QStringLiteral("Hz")));
            part.peaks->setItem(int(i), 1, new QTableWidgetItem(QString::number(peak.level, 'f', 1) + QStringLiteral(" dBV")));
        }
        if (spectrum->thdPercent)
            part.thd->setText(QStringLiteral("THD　%1 %").arg(*spectrum->thdPercent, 0, 'f', 2));
    }
}

void SpectrumView::remember()
{
    if (m_configFile.isEmpty())
        return;
    QSettings config(m_configFile, QSettings::IniFormat);
    config.setValue(QLatin1String(kWindowKey), QString::fromUtf8(WindowName(windowKind())));
    config.setValue(QLatin1String(kAxisKey), QLatin1String(kAxisNames[axis() == FrequencyAxis::Logarithmic]));
}
