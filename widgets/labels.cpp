#include "widgets/labels.h"

#include "widgets/boardscale.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

void ClickLabel::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

ShadowLabel::ShadowLabel(const QString &text, const QColor &back, const QColor &front, int dx, int dy,
                         QWidget *parent)
    : QWidget(parent), text_(text), back_(back), front_(front), dx_(dx), dy_(dy)
{
    setAccessibleName(text);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void ShadowLabel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setFont(font());
    const int flags = int(alignment_) | (wrap_ ? Qt::TextWordWrap : 0);
    // The offset grows with the board.
    const qreal factor = boardscale::factor(this);
    const int dx = int(std::lround(dx_ * factor)), dy = int(std::lround(dy_ * factor));
    // Leave room for the offset copy on the side it moves to.
    const QRect back = rect().adjusted(std::max(0, -dx), std::max(0, -dy), -std::max(0, dx), -std::max(0, dy));
    p.setPen(back_);
    p.drawText(back, flags, text_);
    p.setPen(front_);
    p.drawText(back.translated(dx, dy), flags, text_);
}
