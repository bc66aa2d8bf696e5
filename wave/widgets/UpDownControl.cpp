#include "wave/widgets/UpDownControl.h"

#include "wave/widgets/InputBits.h"

#include <QMouseEvent>
#include <QStyleOptionButton>
#include <QStylePainter>

UpDownControl::UpDownControl(Qt::Orientation arrows, int widthTwips, int heightTwips, QWidget* parent)
    : QWidget(parent), m_arrows(arrows), m_size(widthTwips / kTwipsPerPixel, heightTwips / kTwipsPerPixel)
{
    setFixedSize(m_size);
    setFocusPolicy(Qt::NoFocus);
    m_repeat.setInterval(kRepeatDelayMs);
    connect(&m_repeat, &QTimer::timeout, this, [this] {
        m_repeat.setInterval(kRepeatIntervalMs);
        emit stepped();
    });
}

QRect UpDownControl::arrowRect(int arrow) const
{
    if (m_arrows == Qt::Horizontal) {
        const int half = width() / 2;
        return arrow == 0 ? QRect(0, 0, half, height()) : QRect(half, 0, width() - half, height());
    }
    const int half = height() / 2;
    return arrow == 0 ? QRect(0, 0, width(), half) : QRect(0, half, width(), height() - half);
}

void UpDownControl::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    for (int arrow : {0, 1}) {
        QStyleOptionButton option;
        option.initFrom(this);
        option.rect = arrowRect(arrow);
        option.state |= arrow == m_heldArrow ? QStyle::State_Sunken : QStyle::State_Raised;
        painter.drawPrimitive(QStyle::PE_PanelButtonBevel, option);
        option.rect.adjust(2, 2, -2, -2);
        const QStyle::PrimitiveElement indicator = m_arrows == Qt::Horizontal
            ? (arrow == 0 ? QStyle::PE_IndicatorArrowLeft : QStyle::PE_IndicatorArrowRight)
            : (arrow == 0 ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown);
        painter.drawPrimitive(indicator, option);
    }
}

void UpDownControl::mousePressEvent(QMouseEvent* event)
{
    const QPointF at = event->position() * kTwipsPerPixel;
    emit pressed(MouseButtonBits(event->button()), ModifierBits(event->modifiers()), at.x(), at.y());
    if (event->button() != Qt::LeftButton)
        return;
    m_heldArrow = arrowRect(0).contains(event->position().toPoint()) ? 0 : 1;
    update();
    emit stepped();
    m_repeat.setInterval(kRepeatDelayMs);
    m_repeat.start();
}

void UpDownControl::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_repeat.stop();
        m_heldArrow = -1;
        update();
    }
    emit released();
}
