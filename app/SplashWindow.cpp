#include "app/SplashWindow.h"

#include "app/AppIcon.h"
#include "app/AppIdentity.h"

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
    setWindowTitle(AppIdentity::title());
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
    layout->addWidget(makeLabel("lblProductName", AppIdentity::title(), 2.2, true));
    layout->addWidget(makeLabel("lblVersion", QStringLiteral("Ver. ") + AppIdentity::versionNumber(), 1.2, false));
    layout->addStretch();
    layout->addWidget(makeLabel("lblCompany", AppIdentity::credit(), 0.9, false));
    resize(520, 260);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    m_timer.setSingleShot(true);
    m_timer.setInterval(intervalMs);
    connect(&m_timer, &QTimer::timeout, this, &SplashWindow::finish);
    m_timer.start();
}

void SplashWindow::keyPressEvent(QKeyEvent* event)
{
    // Only keys that type a character: Enter, Escape and Backspace count, Shift does not.
    if (event->text().isEmpty()) {
        QWidget::keyPressEvent(event);
        return;
    }
    finish();
}

void SplashWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawPixmap(rect(), DrawSplashPicture(size()));
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
