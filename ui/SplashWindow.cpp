#include "ui/SplashWindow.h"

#include "ui/AppIcon.h"
#include "core/AppIdentity.h"

#include <QKeyEvent>
#include <QLabel>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>

SplashWindow::SplashWindow(int intervalMs, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(QString::fromUtf8(AppIdentity::kTitle));
    setFocusPolicy(Qt::StrongFocus);

    auto makeLabel = [this](const char* name, const QString& text, qreal scale, bool bold) {
        auto* label = new QLabel(text, this);
        label->setObjectName(QLatin1String(name));
        QFont font = label->font();
        font.setPointSizeF(font.pointSizeF() * scale);
        font.setBold(bold);
        label->setFont(font);
        label->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
        return label;
    };
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(32, 28, 32, 20);
    layout->addWidget(makeLabel("lblProductName", QString::fromUtf8(AppIdentity::kTitle), 2.2, true));
    layout->addWidget(makeLabel("lblVersion", QStringLiteral("Ver. ") + QString::fromUtf8(AppIdentity::kVersion), 1.2, false));
    layout->addStretch();
    layout->addWidget(makeLabel("lblCompany", QString::fromUtf8(AppIdentity::kCredit), 0.9, false));
    resize(520, 260);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    m_timer.setSingleShot(true);
    m_timer.setInterval(intervalMs);
    connect(&m_timer, &QTimer::timeout, this, &SplashWindow::due);
    m_timer.start();
}

void SplashWindow::keyPressEvent(QKeyEvent* event)
{
    // Only keys that type a character: Enter, Escape and Backspace count, Shift does not.
    if (event->text().isEmpty()) {
        QWidget::keyPressEvent(event);
        return;
    }
    due();
}

void SplashWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawPixmap(rect(), DrawSplashPicture(size()));
}

void SplashWindow::setLoadFinished()
{
    m_loadFinished = true;
    if (m_due)
        finish();
}

void SplashWindow::due()
{
    m_due = true;
    if (m_loadFinished)
        finish();
}

void SplashWindow::finish()
{
    if (m_handedOver)
        return;
    m_handedOver = true;
    m_timer.stop();
    // The main window shows before the splash closes, so the program never has no window.
    emit handOver();
    close();
}
