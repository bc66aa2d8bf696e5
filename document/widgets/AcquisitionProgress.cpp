#include "document/widgets/AcquisitionProgress.h"

#include "document/AcquisitionFlow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <utility>

AcquisitionProgress::AcquisitionProgress(AcquisitionFlow& flow, QWidget* parent)
    : QWidget(parent),
      m_text(new QLabel(this)),
      m_bar(new QProgressBar(this)),
      m_cancel(new QPushButton(QStringLiteral("中止"), this))
{
    setObjectName(QStringLiteral("DownloadProgress"));
    m_text->setObjectName(QStringLiteral("ProgressText"));
    m_text->setTextFormat(Qt::PlainText);
    m_bar->setObjectName(QStringLiteral("ProgressBar"));
    m_bar->setTextVisible(true);
    m_bar->setMinimumWidth(160);
    m_cancel->setObjectName(QStringLiteral("CancelButton"));
    m_cancel->setToolTip(QStringLiteral("通信を中止します（Esc）"));
    m_cancel->setAutoDefault(false);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 0, 4, 0);
    layout->addWidget(m_text, 1);
    layout->addWidget(m_bar);
    layout->addWidget(m_cancel);

    // Showing and hiding the panel must not move the rest of the window.
    QSizePolicy policy = sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    setSizePolicy(policy);

    connect(m_cancel, &QPushButton::clicked, &flow, &AcquisitionFlow::cancel);
    // Works anywhere in the window, but only while the panel is shown.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, &flow, &AcquisitionFlow::cancel);
    connect(&flow, &AcquisitionFlow::waiting, this, &AcquisitionProgress::showWaiting);
    connect(&flow, &AcquisitionFlow::transferProgress, this, &AcquisitionProgress::showTransfer);
    connect(&flow, &AcquisitionFlow::lineDraining, this, &AcquisitionProgress::showDraining);
    connect(&flow, &AcquisitionFlow::lineDrained, this, &AcquisitionProgress::endDraining);
    // Hidden once the line is free: the capture waits or is being set up, or all is done.
    connect(&flow, &AcquisitionFlow::stageChanged, this, [this](AcquisitionFlow::Stage stage) {
        using Stage = AcquisitionFlow::Stage;
        if (stage != Stage::Sweeping && stage != Stage::Downloading && stage != Stage::Exchanging)
            hide();
    });
    hide();
}

void AcquisitionProgress::showWaiting(const QString& what)
{
    m_text->setText(what);
    m_bar->setRange(0, 0);
    show();
}

void AcquisitionProgress::showTransfer(const TransferProgress& progress)
{
    m_text->setText(ProgressText(progress));
    const qint64 all = progress.allBytes();
    m_bar->setRange(0, 1000);
    m_bar->setValue(all > 0 ? int(progress.doneBytes() * 1000 / all) : 0);
    m_bar->setFormat(QStringLiteral("%1%").arg(all > 0 ? progress.doneBytes() * 100 / all : 0));
    show();
}


void AcquisitionProgress::showDraining(qint64 msLeft)
{
    if (!m_beforeDraining)
        m_beforeDraining = Shown{m_text->text(), m_bar->minimum(), m_bar->maximum(), m_bar->value(), m_bar->format(),
                                 isHidden()};
    m_text->setText(QStringLiteral("前回の転送の残りを読み捨てています（あと最長 %1 秒）").arg((msLeft + 999) / 1000));
    m_bar->setRange(0, 0);
    show();
}

void AcquisitionProgress::endDraining()
{
    if (!m_beforeDraining)
        return;
    const Shown shown = *std::exchange(m_beforeDraining, std::nullopt);
    m_text->setText(shown.text);
    m_bar->setRange(shown.minimum, shown.maximum);
    m_bar->setValue(shown.value);
    m_bar->setFormat(shown.format);
    setHidden(shown.hidden);
}
