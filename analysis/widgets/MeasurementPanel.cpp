#include "analysis/widgets/MeasurementPanel.h"

#include "analysis/Measure.h"
#include "analysis/MeasurementText.h"
#include "analysis/SampleWindow.h"
#include "analysis/WaveComparison.h"
#include "core/EngNumber.h"
#include "document/ReferenceSet.h"
#include "document/WaveDocument.h"
#include "wave/WavePainter.h"
#include "wave/WaveScene.h"   // the colour slots
#include "wave/widgets/WaveDisplay.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// Per channel: the value, then its statistics.
enum Column { kValue, kMean, kMinimum, kMaximum, kDeviation, kCount, kColumnsPerChannel };
constexpr std::array<const char*, kColumnsPerChannel> kStatisticCaptions{"", "平均", "最小", "最大", "標準偏差", "回数"};

// The deviation rows below the measurements.
enum DeviationRow { kMaxDeviation, kRmsDeviation, kPointsOutside, kDeviationRows };

int columnOf(int channel, int column)
{
    return (channel - 1) * kColumnsPerChannel + column;
}

QString text(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

// Black or white, whichever reads better on `background`.
QColor textOn(const QColor& background)
{
    return background.lightnessF() > 0.55 ? Qt::black : Qt::white;
}

} // namespace

MeasurementPanel::MeasurementPanel(WaveDocument& document, WaveDisplay& display, QWidget* parent)
    : QWidget(parent, Qt::Tool), m_document(document), m_display(display),
      m_table(new QTableWidget(int(kMeasurementCount), 2 * kColumnsPerChannel, this)), m_range(new QLabel(this)),
      m_update(new QTimer(this))
{
    setObjectName(QStringLiteral("MeasurementPanel"));
    setWindowTitle(QStringLiteral("測定"));
    m_table->setObjectName(QStringLiteral("MeasurementTable"));
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionMode(QAbstractItemView::NoSelection);
    m_table->setFocusPolicy(Qt::NoFocus);
    for (std::size_t row = 0; row < kMeasurementCount; ++row) {
        m_table->setVerticalHeaderItem(int(row), new QTableWidgetItem(text(std::string(kMeasurements[row].label))));
        for (int column = 0; column < m_table->columnCount(); ++column) {
            auto* item = new QTableWidgetItem;
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_table->setItem(int(row), column, item);
        }
    }
    for (int channel : {1, 2})
        for (int column = 0; column < kColumnsPerChannel; ++column)
            m_table->setHorizontalHeaderItem(columnOf(channel, column), new QTableWidgetItem);
    // Columns as wide as the widest value they can hold, so that they keep still while the
    // values change.
    m_table->horizontalHeader()->setDefaultSectionSize(fontMetrics().horizontalAdvance(QStringLiteral("-888.888mHz")) + 16);
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_range->setObjectName(QStringLiteral("MeasurementRange"));
    m_range->setTextFormat(Qt::PlainText);

    auto* reset = new QPushButton(QStringLiteral("リセット"), this);
    reset->setObjectName(QStringLiteral("MeasurementReset"));
    reset->setToolTip(QStringLiteral("統計を消して数え直す"));
    reset->setAutoDefault(false);
    connect(reset, &QPushButton::clicked, this, [this] {
        m_statistics.reset();
        updateTable();
    });
    auto* copy = new QPushButton(QStringLiteral("コピー"), this);
    copy->setObjectName(QStringLiteral("MeasurementCopy"));
    copy->setToolTip(QStringLiteral("表をタブ区切りのテキストでクリップボードへ"));
    copy->setAutoDefault(false);
    connect(copy, &QPushButton::clicked, this, [this] { QApplication::clipboard()->setText(tableText()); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_range, 1);
    buttons->addWidget(reset);
    buttons->addWidget(copy);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_table, 1);
    layout->addLayout(buttons);

    // Bursts of changes (a pointer dragged across the record) are measured once.
    m_update->setSingleShot(true);
    m_update->setInterval(0);
    connect(m_update, &QTimer::timeout, this, &MeasurementPanel::updateTable);
    connect(&document, &WaveDocument::changed, this, [this](WaveDocument::Aspects aspects) {
        if (aspects & WaveDocument::Samples)
            m_newRecord = true;
        if (aspects & (WaveDocument::Samples | WaveDocument::Parameters | WaveDocument::Flags))
            scheduleUpdate();
    });
    connect(&document, &WaveDocument::refreshed, this, [this] {
        if (m_newRecord)
            addRecordToStatistics();
        scheduleUpdate();
    });
    connect(&display, &WaveDisplay::cursorSpanChanged, this, &MeasurementPanel::scheduleUpdate);
    connect(&display, &WaveDisplay::colorsChanged, this, &MeasurementPanel::updateHeaders);
    updateHeaders();
    updateTable();
    // Opens showing the whole table where the screen has room.
    const int frame = 2 * m_table->frameWidth();
    const QMargins margins = layout->contentsMargins();
    const QSize table(m_table->verticalHeader()->sizeHint().width() + m_table->horizontalHeader()->length() + frame,
                      m_table->horizontalHeader()->sizeHint().height() + m_table->verticalHeader()->length() + frame);
    resize(table.width() + margins.left() + margins.right(),
           table.height() + buttons->sizeHint().height() + layout->spacing() + margins.top() + margins.bottom());
}

void MeasurementPanel::showDeviations(const ReferenceSet& references)
{
    m_references = &references;
    const int first = m_table->rowCount();
    const int height = m_table->verticalHeader()->length();
    m_table->setRowCount(first + kDeviationRows);
    for (int row = first; row < m_table->rowCount(); ++row) {
        m_table->setVerticalHeaderItem(row, new QTableWidgetItem);
        for (int column = 0; column < m_table->columnCount(); ++column) {
            auto* item = new QTableWidgetItem;
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_table->setItem(row, column, item);
        }
    }
    resize(width(), this->height() + m_table->verticalHeader()->length() - height);
    connect(&references, &ReferenceSet::changed, this, &MeasurementPanel::scheduleUpdate);
    updateTable();
}

void MeasurementPanel::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    updateTable();
}

bool MeasurementPanel::channelOn(int channel) const
{
    const WaveRecord& record = m_document.record();
    return (channel == 1 ? record.Ch1On : record.Ch2On) != 0;
}

std::optional<SampleWindow> MeasurementPanel::cursorWindow() const
{
    const std::optional<std::pair<double, double>> span = m_display.cursorSpan();
    if (!span)
        return std::nullopt;
    return WindowBetweenPositions(m_document.record(), span->first, span->second);
}

std::array<ChannelMeasurements, 2> MeasurementPanel::measureChannels(SampleWindow window) const
{
    std::array<ChannelMeasurements, 2> measured;
    for (int channel : {1, 2})
        if (channelOn(channel))
            measured[std::size_t(channel - 1)] = MeasureChannel(m_document.record(), channel, window);
    return measured;
}

void MeasurementPanel::addRecordToStatistics()
{
    m_newRecord = false;
    const std::array<ChannelMeasurements, 2> measured =
        measureChannels(cursorWindow().value_or(WholeRecord(m_document.record())));
    for (int channel : {1, 2})
        if (channelOn(channel))
            m_statistics.add(channel, measured[std::size_t(channel - 1)]);
}

void MeasurementPanel::scheduleUpdate()
{
    if (isVisible())
        m_update->start();
}

void MeasurementPanel::updateHeaders()
{
    const std::array<int32_t, 7> colors = m_display.colors();
    for (int channel : {1, 2}) {
        const QColor trace = SlotColor(colors[channel == 1 ? kCh1TraceColor : kCh2TraceColor]);
        for (int column = 0; column < kColumnsPerChannel; ++column) {
            QTableWidgetItem* header = m_table->horizontalHeaderItem(columnOf(channel, column));
            header->setText(column == kValue ? QStringLiteral("CH%1").arg(channel)
                                             : QString::fromUtf8(kStatisticCaptions[std::size_t(column)]));
            header->setBackground(trace);
            header->setForeground(textOn(trace));
        }
    }
}

void MeasurementPanel::updateTable()
{
    m_update->stop();
    const std::optional<SampleWindow> between = cursorWindow();
    const SampleWindow window = between.value_or(WholeRecord(m_document.record()));
    m_range->setText(QStringLiteral("%1 (%2 点)")
                         .arg(between ? QStringLiteral("カーソル間") : QStringLiteral("記録全体"))
                         .arg(window.last - window.first + 1));
    const std::array<ChannelMeasurements, 2> measured = measureChannels(window);
    for (int channel : {1, 2}) {
        const bool on = channelOn(channel);
        for (int column = 0; column < kColumnsPerChannel; ++column)
            m_table->setColumnHidden(columnOf(channel, column), !on);
        if (!on)
            continue;
        for (std::size_t row = 0; row < kMeasurementCount; ++row) {
            const Measurement m = kMeasurements[row].measurement;
            const RunningStatistic& s = m_statistics.of(channel, m);
            const std::array<std::string, kColumnsPerChannel> cells{
                MeasurementText(m, measured[std::size_t(channel - 1)][m]),
                MeasurementText(m, s.mean()),
                MeasurementText(m, s.minimum()),
                MeasurementText(m, s.maximum()),
                MeasurementText(m, s.standardDeviation()),
                std::to_string(s.count())};
            for (int column = 0; column < kColumnsPerChannel; ++column)
                m_table->item(int(row), columnOf(channel, column))->setText(text(cells[std::size_t(column)]));
        }
    }
    updateDeviations();
}

// The whole record against the chosen reference: "—" without one, or where the records
// cannot be compared (the reason in the cells' tooltip), the count without a tolerance.
void MeasurementPanel::updateDeviations()
{
    if (!m_references)
        return;
    const int first = int(kMeasurementCount);
    const int chosen = m_references->chosen();
    const QString name = chosen >= 0 ? ReferenceSet::name(chosen) : QStringLiteral("参照");
    m_table->verticalHeaderItem(first + kMaxDeviation)->setText(name + QStringLiteral("との最大偏差"));
    m_table->verticalHeaderItem(first + kRmsDeviation)->setText(name + QStringLiteral("とのRMS偏差"));
    m_table->verticalHeaderItem(first + kPointsOutside)->setText(name + QStringLiteral("の許容差外の点"));
    const std::optional<WaveComparison> comparison = m_references->compare(m_document.record());
    const QString problem = comparison ? QString::fromStdString(comparison->problem) : QString();
    for (int channel : {1, 2}) {
        const ChannelDeviation* deviation = nullptr;
        if (comparison)
            for (const ChannelDeviation& c : comparison->channels)
                deviation = c.channel == channel ? &c : deviation;
        const auto volts = [](double v) { return text(FormatEng(float(v), "##0.000")) + QLatin1Char('V'); };
        const std::optional<int> outside = deviation ? deviation->pointsOutside() : std::nullopt;
        const QString cells[kDeviationRows] = {
            deviation ? volts(deviation->maxDeviation) : text(std::string(kUndefinedText)),
            deviation ? volts(deviation->rmsDeviation) : text(std::string(kUndefinedText)),
            outside ? QString::number(*outside) : text(std::string(kUndefinedText))};
        for (int row = 0; row < kDeviationRows; ++row) {
            QTableWidgetItem* item = m_table->item(first + row, columnOf(channel, kValue));
            item->setText(cells[row]);
            item->setToolTip(problem);
        }
    }
}

QString MeasurementPanel::tableText() const
{
    QStringList lines;
    QStringList header{QStringLiteral("測定項目")};
    for (int column = 0; column < m_table->columnCount(); ++column)
        if (!m_table->isColumnHidden(column)) {
            // The statistics' captions name their channel, as the colour does on screen.
            const QString caption = m_table->horizontalHeaderItem(column)->text();
            header << (column % kColumnsPerChannel == kValue
                           ? caption
                           : QStringLiteral("CH%1 %2").arg(column / kColumnsPerChannel + 1).arg(caption));
        }
    lines << header.join(QLatin1Char('\t'));
    for (int row = 0; row < m_table->rowCount(); ++row) {
        QStringList cells{m_table->verticalHeaderItem(row)->text()};
        for (int column = 0; column < m_table->columnCount(); ++column)
            if (!m_table->isColumnHidden(column))
                cells << m_table->item(row, column)->text();
        lines << cells.join(QLatin1Char('\t'));
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}
