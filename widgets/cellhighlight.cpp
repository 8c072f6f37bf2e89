#include "widgets/cellhighlight.h"

#include "widgets/boardscale.h"
#include "widgets/cardimagelist.h"
#include "widgets/look.h"

#include <QPainter>

CellHighlight::CellHighlight(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    resize(CardImageList::width + 6, CardImageList::height + 6);
    hide();
}

void CellHighlight::frame(const QRect &target)
{
    boardscale::setDesignGeometry(this, target.adjusted(-3, -3, 3, 3));
}

void CellHighlight::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal f = boardscale::factor(this);
    // Gold outside, maroon inside: visible on the khaki board and on a card.
    p.setPen(QPen(QColor(255, 200, 0), 3 * f));
    p.drawRoundedRect(QRectF(rect()).adjusted(1.5 * f, 1.5 * f, -1.5 * f, -1.5 * f), 4 * f, 4 * f);
    p.setPen(QPen(look::maroon, f));
    p.drawRoundedRect(QRectF(rect()).adjusted(3.5 * f, 3.5 * f, -3.5 * f, -3.5 * f), 3 * f, 3 * f);
}
