#include "ui/boardcontrols.h"

#include "game/cards.h"
#include "ui/cardimagelist.h"

#include <QMouseEvent>
#include <QPainter>

void setTag(QObject *control, int tag)
{
    control->setProperty("tag", tag);
}

int tag(const QObject *control)
{
    return control->property("tag").toInt();
}

CardImage::CardImage(CardImageList &pictures, QWidget *parent) : QWidget(parent), pictures_(pictures)
{
    resize(CardImageList::width, CardImageList::height);
    setTag(this, 0);
}

void CardImage::showCard(int card)
{
    picture_ = card;
    setTag(this, card);
    updateAccessibleName();
    update();
}

void CardImage::clearCard()
{
    picture_ = -1;
    setTag(this, 0);
    updateAccessibleName();
    update();
}

void CardImage::setMarked(bool marked)
{
    marked_ = marked;
    update();
}

void CardImage::setPlaceName(const QString &place)
{
    place_ = place;
    updateAccessibleName();
}

void CardImage::updateAccessibleName()
{
    QString card;
    if (picture_ > 0)
        card = QString::fromStdString(qv::cardName(picture_));
    else
        card = picture_ == 0 ? QStringLiteral("card back") : QStringLiteral("empty");
    setAccessibleName(place_.isEmpty() ? card : place_ + QStringLiteral(": ") + card);
}

void CardImage::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (picture_ >= 0) {
        pictures_.draw(p, 0, 0, picture_);
    } else if (marked_) {
        // The empty-cell mark: black outline and diagonal cross-hatching, with the
        // board showing between the lines.
        p.setPen(Qt::black);
        p.setBrush(QBrush(Qt::black, Qt::DiagCrossPattern));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void CardImage::mouseReleaseEvent(QMouseEvent *event)
{
    if (clickable_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

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
    // Leave room for the offset copy on the side it moves to.
    const QRect back = rect().adjusted(std::max(0, -dx_), std::max(0, -dy_), -std::max(0, dx_),
                                       -std::max(0, dy_));
    p.setPen(back_);
    p.drawText(back, flags, text_);
    p.setPen(front_);
    p.drawText(back.translated(dx_, dy_), flags, text_);
}

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
    p.setPen(QPen(QColor(128, 0, 0), 1));
    p.drawRoundedRect(QRectF(rect()).adjusted(3.5, 3.5, -3.5, -3.5), 3, 3);
}
