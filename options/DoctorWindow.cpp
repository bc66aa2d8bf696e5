#include "options/DoctorWindow.h"

#include "link/InstrumentLink.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

DoctorWindow::DoctorWindow(InstrumentLink& link, const EnvSettings& settings, const QString& device,
                           SerialPortLister lister, QWidget* parent)
    : QDialog(parent), m_link(link)
{
    setObjectName(QStringLiteral("frmDoctor"));
    setWindowTitle(QStringLiteral("接続の診断"));

    m_steps = new QListWidget(this);
    m_steps->setObjectName(QStringLiteral("DoctorSteps"));
    m_steps->setWordWrap(true);
    m_steps->setSelectionMode(QAbstractItemView::NoSelection);
    m_steps->setMinimumSize(620, 150);
    m_trying = new QLabel(this);
    m_trying->setObjectName(QStringLiteral("DoctorTrying"));
    m_trying->setTextFormat(Qt::PlainText);
    m_advice = new QLabel(this);
    m_advice->setObjectName(QStringLiteral("DoctorAdvice"));
    // The advice names devices, groups and programs, which are never markup.
    m_advice->setTextFormat(Qt::PlainText);
    m_advice->setWordWrap(true);
    m_advice->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_use = new QPushButton(QStringLiteral("この設定を使う"), this);
    m_use->setObjectName(QStringLiteral("DoctorUse"));
    m_use->setToolTip(QStringLiteral("見つかった通信速度とデリミッターをオプションの通信環境に入れます（OK で保存）"));
    m_use->setEnabled(false);
    m_use->setAutoDefault(false);
    m_close = new QPushButton(QStringLiteral("中止"), this);
    m_close->setObjectName(QStringLiteral("DoctorClose"));
    m_close->setAutoDefault(false);
    connect(m_use, &QPushButton::clicked, this, [this] {
        m_chosen = m_found;
        accept();
    });
    connect(m_close, &QPushButton::clicked, this, &DoctorWindow::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_use);
    buttons->addWidget(m_close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_steps, 1);
    layout->addWidget(m_trying);
    layout->addWidget(m_advice);
    layout->addLayout(buttons);

    connect(&m_link, &InstrumentLink::doctorStep, this, &DoctorWindow::addStep);
    connect(&m_link, &InstrumentLink::doctorTrying, this, [this](int speed, const QByteArray& delimiter) {
        m_trying->setText(QStringLiteral("%1 bps、%2 で問い合わせています…").arg(speed).arg(delimiter == "\r\n" ? "CR/LF" : "LF"));
    });
    connect(&m_link, &InstrumentLink::diagnosed, this, &DoctorWindow::showDiagnosis);
    connect(&m_link, &InstrumentLink::jobFinished, this, [this](LinkJob job) {
        if (job == LinkJob::Diagnose)
            finished();
    });
    m_running = m_link.diagnose(settings, device, std::move(lister));
    if (!m_running) {
        m_advice->setText(QStringLiteral("測定器と通信中のため診断できません。通信が終わってから、もう一度試してください。"));
        m_close->setText(QStringLiteral("閉じる"));
    }
}

void DoctorWindow::addStep(const DoctorStepReport& report)
{
    auto* item = new QListWidgetItem(QStringLiteral("%1  %2").arg(report.passed ? u"○" : u"×", report.text), m_steps);
    item->setForeground(report.passed ? palette().color(QPalette::Text) : QColor(Qt::darkRed));
    m_steps->scrollToItem(item);
}

void DoctorWindow::showDiagnosis(const Diagnosis& diagnosis)
{
    m_advice->setText(diagnosis.advice);
    if (diagnosis.problem == DoctorProblem::Settings)
        m_found = diagnosis.found;
}

void DoctorWindow::finished()
{
    m_running = false;
    m_trying->clear();
    m_use->setEnabled(m_found.has_value());
    m_close->setText(QStringLiteral("閉じる"));
}

void DoctorWindow::reject()
{
    if (m_running)
        m_link.cancel();
    QDialog::reject();
}

std::optional<DoctorFound> RunDoctorWindow(InstrumentLink& link, const EnvSettings& settings, const QString& device,
                                           SerialPortLister lister, QWidget* parent)
{
    DoctorWindow window(link, settings, device, std::move(lister), parent);
    window.exec();
    return window.chosen();
}
