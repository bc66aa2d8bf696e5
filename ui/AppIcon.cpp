#include "ui/AppIcon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <numbers>

namespace {

void drawScreen(QPainter& painter, const QRectF& screen)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(16, 32, 24));
    painter.drawRoundedRect(screen, screen.width() / 12, screen.width() / 12);

    painter.setPen(QPen(QColor(60, 100, 80), std::max(1.0, screen.width() / 96)));
    for (int i = 1; i < 4; ++i) {
        const qreal x = screen.left() + screen.width() * i / 4;
        const qreal y = screen.top() + screen.height() * i / 4;
        painter.drawLine(QPointF(x, screen.top()), QPointF(x, screen.bottom()));
        painter.drawLine(QPointF(screen.left(), y), QPointF(screen.right(), y));
    }

    QPainterPath sine;
    QPainterPath square;
    const int steps = 64;
    for (int i = 0; i <= steps; ++i) {
        const qreal t = qreal(i) / steps;
        const qreal x = screen.left() + screen.width() * t;
        const qreal ys = screen.top() + screen.height() * (0.35 - 0.2 * std::sin(2 * std::numbers::pi * 1.5 * t));
        if (i == 0)
            sine.moveTo(x, ys);
        else
            sine.lineTo(x, ys);
    }
    const qreal high = screen.top() + screen.height() * 0.6;
    const qreal low = screen.top() + screen.height() * 0.85;
    square.moveTo(screen.left(), low);
    for (int k = 0; k < 4; ++k) {
        const qreal x0 = screen.left() + screen.width() * k / 4;
        const qreal x1 = x0 + screen.width() / 8;
        const qreal x2 = x0 + screen.width() / 4;
        square.lineTo(x0, high);
        square.lineTo(x1, high);
        square.lineTo(x1, low);
        square.lineTo(x2, low);
    }
    const qreal pen = std::max(1.5, screen.width() / 40);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(255, 220, 60), pen));
    painter.drawPath(sine);
    painter.setPen(QPen(QColor(90, 200, 255), pen));
    painter.drawPath(square);
}

} // namespace

QPixmap DrawAppIcon(int side)
{
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(70, 80, 96));
    painter.drawRoundedRect(QRectF(0, 0, side, side), side / 8.0, side / 8.0);
    const qreal margin = side / 10.0;
    drawScreen(painter, QRectF(margin, margin, side - 2 * margin, side - 2 * margin));
    return pixmap;
}

QPixmap DrawSplashPicture(QSize size)
{
    QPixmap pixmap(size);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient gradient(0, 0, 0, size.height());
    gradient.setColorAt(0, QColor(40, 56, 84));
    gradient.setColorAt(1, QColor(12, 18, 30));
    painter.fillRect(pixmap.rect(), gradient);
    const qreal side = size.height() * 0.5;
    drawScreen(painter, QRectF(size.width() - side - size.height() * 0.12, size.height() * 0.12, side, side));
    return pixmap;
}
