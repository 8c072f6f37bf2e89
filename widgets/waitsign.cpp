#include "widgets/waitsign.h"

#include "widgets/boardscale.h"
#include "widgets/look.h"

#include <QPainter>
#include <QtMath>

WaitSign::WaitSign(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    turn_.setInterval(100);
    connect(&turn_, &QTimer::timeout, this, [this] {
        step_ = (step_ + 1) % dots;
        update();
    });
    hide();
}

void WaitSign::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    turn_.start();
}

void WaitSign::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    turn_.stop();
}

void WaitSign::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal f = boardscale::factor(this);
    const QRectF area = QRectF(rect()).adjusted(f, f, -f, -f);
    // A cream disc, so the ring reads on a card back as well as on the board.
    p.setPen(QPen(look::maroon, f));
    p.setBrush(QColor(255, 248, 220));
    p.drawEllipse(area);
    const QPointF centre = area.center();
    const qreal radius = area.width() * 0.3;
    const qreal dot = area.width() * 0.08;
    p.setPen(Qt::NoPen);
    for (int k = 0; k < dots; ++k) {
        // The newest dot darkest, the ones behind it fading.
        const int age = (step_ - k + dots) % dots;
        QColor colour = look::maroon;
        colour.setAlphaF(1.0 - age / qreal(dots + 1));
        p.setBrush(colour);
        const qreal angle = 2 * M_PI * k / dots - M_PI / 2;
        p.drawEllipse(centre + QPointF(radius * qCos(angle), radius * qSin(angle)), dot, dot);
    }
}
