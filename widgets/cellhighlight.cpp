#include "widgets/cellhighlight.h"

#include "widgets/cardimagelist.h"
#include "widgets/look.h"

#include <QPainter>

CellHighlight::CellHighlight(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    resize(CardImageList::width + 6, CardImageList::height + 6);
    hide();
}

void CellHighlight::frameCell(QPoint cellPos)
{
    move(cellPos - QPoint(3, 3));
}

void CellHighlight::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    // Gold outside, maroon inside: visible on the khaki board and on a card.
    p.setPen(QPen(QColor(255, 200, 0), 3));
    p.drawRoundedRect(QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5), 4, 4);
    p.setPen(QPen(look::maroon, 1));
    p.drawRoundedRect(QRectF(rect()).adjusted(3.5, 3.5, -3.5, -3.5), 3, 3);
}
