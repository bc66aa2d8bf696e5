#include "logger/widgets/LoggerView.h"

#include "document/SetupValues.h"
#include "document/WaveDocument.h"
#include "logger/LogColumns.h"
#include "logger/widgets/TrendChart.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

constexpr int kColumnsPerChannel = int(std::size(kLogMeasurements));
constexpr int kFirstValueColumn = 3; // after time, capture, status
// The longest interval the view offers: 30 days, in seconds.
constexpr double kMaxEverySeconds = 30.0 * 24 * 3600;

QString measurementLabel(Measurement m)
{
    for (const MeasurementInfo& info : kMeasurements)
        if (info.measurement == m)
            return QString::fromUtf8(info.label.data(), qsizetype(info.label.size()));
    return {};
}

QString measurementUnit(Measurement m)
{
    for (const MeasurementInfo& info : kMeasurements)
        if (info.measurement == m)
            return QString::fromUtf8(info.unit.data(), qsizetype(info.unit.size()));
    return {};
}

} // namespace

LoggerView::LoggerView(LogSession& session, WaveDocument& document, std::array<QColor, 2> colours,
                       QString configFile, std::function<std::optional<LogReference>()> referenceForRun,
                       QWidget* parent)
    : QWidget(parent, Qt::Tool), m_session(session), m_document(document), m_colours(colours),
      m_configFile(std::move(configFile)), m_referenceForRun(std::move(referenceForRun))
{
    setObjectName(QStringLiteral("LoggerView"));
    setWindowTitle(QStringLiteral("記録"));

    m_file = new QLineEdit(this);
    m_file->setObjectName(QStringLiteral("LogFileEdit"));
    m_browse = new QPushButton(QStringLiteral("参照..."), this);
    m_browse->setObjectName(QStringLiteral("LogFileBrowse"));
    m_every = new QDoubleSpinBox(this);
    m_every->setObjectName(QStringLiteral("LogEvery"));
    m_every->setRange(0, kMaxEverySeconds);
    m_every->setDecimals(1);
    m_every->setSuffix(QStringLiteral(" 秒"));
    m_every->setSpecialValueText(QStringLiteral("続けて"));
    m_count = new QSpinBox(this);
    m_count->setObjectName(QStringLiteral("LogCount"));
    m_count->setRange(0, 100000000);
    m_count->setSpecialValueText(QStringLiteral("止めるまで"));
    for (int c = 0; c < 2; ++c) {
        m_channel[c] = new QCheckBox(QStringLiteral("CH%1").arg(c + 1), this);
        m_channel[c]->setObjectName(QStringLiteral("LogCh%1").arg(c + 1));
    }
    m_start = new QPushButton(QStringLiteral("開始"), this);
    m_start->setObjectName(QStringLiteral("LogStart"));
    m_stop = new QPushButton(QStringLiteral("停止"), this);
    m_stop->setObjectName(QStringLiteral("LogStop"));
    m_stop->setToolTip(QStringLiteral("取り込み中の 1 回が終わってから止めます"));
    m_trendChoice = new QComboBox(this);
    m_trendChoice->setObjectName(QStringLiteral("LogTrendChoice"));
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("LogStatus"));
    m_status->setTextFormat(Qt::PlainText);
    m_status->setWordWrap(true);
    m_chart = new TrendChart(this);

    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(m_file, 1);
    fileRow->addWidget(m_browse);
    auto* channelRow = new QHBoxLayout;
    channelRow->addWidget(m_channel[0]);
    channelRow->addWidget(m_channel[1]);
    channelRow->addStretch();
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("ログファイル"), fileRow);
    form->addRow(QStringLiteral("間隔"), m_every);
    form->addRow(QStringLiteral("回数"), m_count);
    form->addRow(QStringLiteral("チャンネル"), channelRow);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_start);
    buttons->addWidget(m_stop);
    buttons->addStretch();
    buttons->addWidget(new QLabel(QStringLiteral("グラフ"), this));
    buttons->addWidget(m_trendChoice);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    layout->addWidget(m_status);
    layout->addWidget(m_chart, 1);

    const QSettings config(m_configFile, QSettings::IniFormat);
    if (!m_configFile.isEmpty()) {
        m_file->setText(config.value(QStringLiteral("logger/file")).toString());
        m_every->setValue(config.value(QStringLiteral("logger/every"), 10.0).toDouble());
        m_count->setValue(config.value(QStringLiteral("logger/count"), 0).toInt());
        m_channel[0]->setChecked(config.value(QStringLiteral("logger/ch1"), true).toBool());
        m_channel[1]->setChecked(config.value(QStringLiteral("logger/ch2"), true).toBool());
    } else {
        m_every->setValue(10.0);
        m_channel[0]->setChecked(true);
        m_channel[1]->setChecked(true);
    }
    const int trend = m_configFile.isEmpty() ? 0 : config.value(QStringLiteral("logger/trend"), 0).toInt();

    connect(m_browse, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("ログファイル"), m_file->text(),
                                                          QStringLiteral("CSV (*.csv *.CSV)"), nullptr,
                                                          QFileDialog::DontConfirmOverwrite);
        if (!path.isEmpty())
            m_file->setText(path);
    });
    connect(m_start, &QPushButton::clicked, this, &LoggerView::startLogging);
    connect(m_stop, &QPushButton::clicked, this, [this] {
        m_session.stop();
        if (m_session.state() != LogSession::State::Idle)
            setStatus(QStringLiteral("取り込み中の 1 回が終わると止まります。"));
    });
    connect(m_trendChoice, &QComboBox::currentIndexChanged, this, [this] {
        showTrend();
        remember();
    });
    connect(&m_session, &LogSession::rowWritten, this, &LoggerView::onRow);
    connect(&m_session, &LogSession::finished, this, &LoggerView::onFinished);
    connect(&m_session, &LogSession::stateChanged, this, &LoggerView::updateControls);
    connect(&m_session, &LogSession::reconnecting, this, [this](int attempt) {
        setStatus(QStringLiteral("記録 %1 回・測定器との接続が切れました。接続し直しています（%2 回目）…")
                      .arg(m_session.lastCapture())
                      .arg(attempt));
    });
    connect(&m_session, &LogSession::countdown, this, [this](qint64 ms) {
        // With no wait between captures the next one is already on its way.
        const QString next = ms > 0 ? QStringLiteral("次の取り込みまで %1 秒").arg((ms + 999) / 1000)
                                    : QStringLiteral("取り込んでいます…");
        setStatus(QStringLiteral("記録 %1 回・最後: %2%3・%4")
                      .arg(m_session.lastCapture())
                      .arg(m_session.lastStatus(), verdictText(), next));
    });
    connect(&m_session, &LogSession::warning, this, &LoggerView::setStatus);

    for (const int channel : {1, 2})
        for (const LogMeasurement& m : kLogMeasurements)
            m_trendChoice->addItem(QStringLiteral("CH%1 %2").arg(channel).arg(measurementLabel(m.measurement)));
    m_trendChoice->setCurrentIndex(std::clamp(trend, 0, m_trendChoice->count() - 1));
    updateControls();
}

void LoggerView::startLogging()
{
    QList<int> channels;
    for (int c = 0; c < 2; ++c)
        if (m_channel[c]->isChecked())
            channels << c + 1;
    const QString path = m_file->text().trimmed();
    if (path.isEmpty()) {
        setStatus(QStringLiteral("ログファイルを指定してください。"));
        m_file->setFocus();
        return;
    }
    if (channels.isEmpty()) {
        setStatus(QStringLiteral("記録するチャンネルを選んでください。"));
        return;
    }
    LogPlan plan;
    plan.every = std::chrono::milliseconds(qint64(m_every->value() * 1000));
    if (m_count->value() > 0)
        plan.count = m_count->value();
    LogOrder order;
    order.capture.channels = channels;
    order.capture.longRecord = m_document.flag(WaveDocument::Flag::Length) == 1;
    // Each capture keeps the conditions of the waveform shown when logging starts.
    order.capture.setup = CaptureSetupFromRecord(m_document.record());
    if (m_referenceForRun)
        order.reference = m_referenceForRun();
    m_rows.clear();
    m_runChannels = channels;
    m_runStart = QDateTime::currentDateTime();
    remember();
    if (const QString problem = m_session.start(path, plan, order); !problem.isEmpty()) {
        setStatus(problem);
        return;
    }
    showTrend();
}

void LoggerView::onRow(qint64 capture, const QString& status, const QStringList& fields)
{
    Row row;
    row.seconds = m_runStart ? double(m_runStart->msecsTo(QDateTime::currentDateTime())) / 1000 : 0;
    for (int c = 0; c < m_runChannels.size(); ++c) {
        for (int k = 0; k < kColumnsPerChannel; ++k) {
            const QString text = fields.value(kFirstValueColumn + c * kColumnsPerChannel + k);
            bool number = false;
            const double value = text.toDouble(&number);
            row.values.push_back(number ? std::optional<double>(value) : std::nullopt);
        }
    }
    m_rows.push_back(std::move(row));
    showTrend();
    setStatus(QStringLiteral("記録 %1 回・最後: %2%3").arg(capture).arg(status, verdictText()));
}

void LoggerView::onFinished(bool completed, const QString& failure)
{
    if (!failure.isEmpty())
        setStatus(failure);
    else
        setStatus(QStringLiteral("記録を%1ました（%2 回）。")
                      .arg(completed ? QStringLiteral("終え") : QStringLiteral("止め"))
                      .arg(m_session.lastCapture()));
}

void LoggerView::showTrend()
{
    const int choice = m_trendChoice->currentIndex();
    const int channel = choice / kColumnsPerChannel + 1;
    const int measurement = choice % kColumnsPerChannel;
    const qsizetype slot = m_runChannels.indexOf(channel);
    std::vector<TrendPoint> points;
    if (slot >= 0) {
        points.reserve(m_rows.size());
        for (const Row& row : m_rows)
            points.push_back({row.seconds, row.values[std::size_t(slot * kColumnsPerChannel + measurement)]});
    }
    m_chart->setTrend(std::move(points), measurementUnit(kLogMeasurements[measurement].measurement),
                      m_colours[std::size_t(channel - 1)]);
}

QString LoggerView::verdictText() const
{
    if (!m_session.judged() || m_session.lastStatus().isEmpty())
        return {};
    const std::optional<bool> last = m_session.lastVerdict();
    QString verdict;
    if (last)
        verdict = *last ? QStringLiteral("合格") : QStringLiteral("不合格");
    else if (m_session.lastStatus() == LogSession::okStatus())
        verdict = QStringLiteral("比較できません");
    else
        verdict = QStringLiteral("—");
    return QStringLiteral("・%1 と比較: %2（不合格 %3 回）").arg(m_session.referenceName(), verdict).arg(m_session.referenceFails());
}

void LoggerView::setStatus(const QString& text)
{
    m_status->setText(text);
    emit statusChanged(text);
}

void LoggerView::remember() const
{
    if (m_configFile.isEmpty())
        return;
    QSettings config(m_configFile, QSettings::IniFormat);
    config.setValue(QStringLiteral("logger/file"), m_file->text());
    config.setValue(QStringLiteral("logger/every"), m_every->value());
    config.setValue(QStringLiteral("logger/count"), m_count->value());
    config.setValue(QStringLiteral("logger/ch1"), m_channel[0]->isChecked());
    config.setValue(QStringLiteral("logger/ch2"), m_channel[1]->isChecked());
    config.setValue(QStringLiteral("logger/trend"), m_trendChoice->currentIndex());
}

void LoggerView::updateControls()
{
    const bool idle = m_session.state() == LogSession::State::Idle;
    for (QWidget* input : std::initializer_list<QWidget*>{m_file, m_browse, m_every, m_count, m_channel[0], m_channel[1], m_start})
        input->setEnabled(idle);
    m_stop->setEnabled(!idle);
}
