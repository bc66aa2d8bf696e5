#include "analysis/widgets/ReferencePanel.h"

#include "analysis/WaveComparison.h"
#include "core/EngNumber.h"
#include "document/ReferenceSet.h"
#include "document/WaveDocument.h"
#include "files/widgets/WaveFileCommands.h"
#include "ui/Prompts.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QTime>
#include <QToolButton>

namespace {

QIcon swatch(int32_t bgr)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF));
    return QIcon(pixmap);
}

QString toleranceText(std::optional<double> volts)
{
    return volts ? QString::fromStdString(FormatEng(float(*volts))).trimmed() + QLatin1Char('V') : QString();
}

} // namespace

ReferencePanel::ReferencePanel(WaveDocument& document, ReferenceSet& references, Prompts& prompts, QWidget* parent)
    : QWidget(parent, Qt::Tool), m_document(document), m_references(references), m_prompts(prompts)
{
    setObjectName(QStringLiteral("ReferencePanel"));
    setWindowTitle(QStringLiteral("参照波形"));
    auto* grid = new QGridLayout(this);
    auto* chosen = new QButtonGroup(this);
    for (int k = 0; k < ReferenceSet::kCount; ++k) {
        Row& row = m_rows[k];
        const auto named = [k](QWidget* widget, const char* name) {
            widget->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(k));
            return widget;
        };
        row.choose = new QRadioButton(ReferenceSet::name(k), this);
        row.choose->setToolTip(QStringLiteral("この参照波形と比較します"));
        chosen->addButton(row.choose, k);
        row.show = new QCheckBox(QStringLiteral("表示"), this);
        row.color = new QToolButton(this);
        row.color->setToolTip(QStringLiteral("参照波形の色"));
        row.source = new QLabel(this);
        row.source->setTextFormat(Qt::PlainText);   // a file name is text, never markup
        row.source->setMinimumWidth(180);
        row.keep = new QPushButton(QStringLiteral("現在の波形"), this);
        row.keep->setToolTip(QStringLiteral("いま表示している波形を %1 にします（Alt+%2）").arg(ReferenceSet::name(k)).arg(k + 1));
        row.load = new QPushButton(QStringLiteral("ファイル..."), this);
        row.load->setToolTip(QStringLiteral("CSV または RAW ファイルを %1 として読み込みます").arg(ReferenceSet::name(k)));
        row.clear = new QPushButton(QStringLiteral("クリア"), this);
        const std::pair<QWidget*, const char*> cells[] = {{row.choose, "RefChoose"}, {row.show, "RefShow"},
                                                         {row.color, "RefColor"},   {row.source, "RefSource"},
                                                         {row.keep, "RefKeep"},     {row.load, "RefLoad"},
                                                         {row.clear, "RefClear"}};
        for (int column = 0; column < 7; ++column)
            grid->addWidget(named(cells[column].first, cells[column].second), k, column);
        connect(row.choose, &QRadioButton::clicked, this, [this, k] { m_references.choose(k); });
        connect(row.show, &QCheckBox::clicked, this, [this, k](bool on) { m_references.setShown(k, on); });
        connect(row.color, &QToolButton::clicked, this, [this, k] { chooseColor(k); });
        connect(row.keep, &QPushButton::clicked, this, [this, k] { keepCurrent(k); });
        connect(row.load, &QPushButton::clicked, this, [this, k] { loadFile(k); });
        connect(row.clear, &QPushButton::clicked, this, [this, k] { m_references.clear(k); });
    }
    auto* toleranceRow = new QHBoxLayout;
    auto* caption = new QLabel(QStringLiteral("許容差 ±"), this);
    m_tolerance = new QLineEdit(this);
    m_tolerance->setObjectName(QStringLiteral("RefTolerance"));
    m_tolerance->setPlaceholderText(QStringLiteral("例: 50m"));
    m_tolerance->setToolTip(QStringLiteral("選んだ参照波形の上下に許容差の帯を描き、外れた点を数えます（空欄: 判定しない）"));
    m_tolerance->setMaximumWidth(100);
    caption->setBuddy(m_tolerance);
    m_toleranceProblem = new QLabel(this);
    m_toleranceProblem->setObjectName(QStringLiteral("RefToleranceProblem"));
    m_toleranceProblem->setTextFormat(Qt::PlainText);
    m_toleranceProblem->setStyleSheet(QStringLiteral("color: rgb(200, 0, 0);"));
    toleranceRow->addWidget(caption);
    toleranceRow->addWidget(m_tolerance);
    toleranceRow->addWidget(m_toleranceProblem, 1);
    grid->addLayout(toleranceRow, ReferenceSet::kCount, 0, 1, 7);
    connect(m_tolerance, &QLineEdit::editingFinished, this, &ReferencePanel::applyTolerance);
    m_verdict = new QLabel(this);
    m_verdict->setObjectName(QStringLiteral("RefVerdict"));
    m_verdict->setTextFormat(Qt::PlainText);
    m_verdict->setWordWrap(true);
    grid->addWidget(m_verdict, ReferenceSet::kCount + 1, 0, 1, 7);

    connect(&m_references, &ReferenceSet::changed, this, &ReferencePanel::follow);
    connect(&m_document, &WaveDocument::changed, this, [this](WaveDocument::Aspects aspects) {
        if (aspects & (WaveDocument::Samples | WaveDocument::Parameters))
            follow();
    });
    follow();
}

void ReferencePanel::keepCurrent(int slot)
{
    const WaveRecord& record = m_document.record();
    const QString title = QString::fromStdString(record.Title);
    const QString time = QTime::currentTime().toString(QStringLiteral("HH:mm:ss"));
    m_references.keep(slot, record,
                      title.isEmpty() ? QStringLiteral("波形 %1").arg(time) : QStringLiteral("%1  %2").arg(title, time));
}

void ReferencePanel::loadFile(int slot)
{
    const std::optional<QString> path = m_prompts.openFileName(this, kWaveLoadTitle, WaveFileFilter(), 0);
    WaveRecord loaded;
    if (path && LoadNamedWaveFile(this, m_prompts, *path, loaded))
        m_references.keepFile(slot, loaded, QFileInfo(*path).fileName());
}

void ReferencePanel::chooseColor(int slot)
{
    if (const std::optional<QColor> color =
            m_prompts.chooseColor(this, QStringLiteral("%1 の色").arg(ReferenceSet::name(slot))))
        m_references.setColor(slot, int32_t(color->red() | color->green() << 8 | color->blue() << 16));
}

void ReferencePanel::applyTolerance()
{
    const QString text = m_tolerance->text().trimmed();
    const std::optional<double> volts = ParseTolerance(text.toStdString());
    if (!text.isEmpty() && !volts) {
        m_toleranceProblem->setText(QStringLiteral("許容差は 0 以上の電圧で入力してください（例: 50m、0.05）。"));
        return;
    }
    m_toleranceProblem->clear();
    m_references.setTolerance(volts);
}

void ReferencePanel::follow()
{
    for (int k = 0; k < ReferenceSet::kCount; ++k) {
        const Row& row = m_rows[k];
        const bool held = m_references.record(k) != nullptr;
        row.choose->setChecked(m_references.chosen() == k);
        row.show->setChecked(held && m_references.isShown(k));
        row.show->setEnabled(held);
        row.clear->setEnabled(held);
        row.color->setIcon(swatch(m_references.color(k)));
        row.source->setText(held ? m_references.source(k) : QStringLiteral("（なし）"));
    }
    if (!m_tolerance->hasFocus() && m_toleranceProblem->text().isEmpty())
        m_tolerance->setText(toleranceText(m_references.tolerance()));
    const std::optional<WaveComparison> comparison = m_references.compare(m_document.record());
    m_verdict->setText(comparison ? QString::fromStdString(VerdictText(*comparison, ReferenceSet::name(m_references.chosen()).toStdString()))
                                  : QString());
}
