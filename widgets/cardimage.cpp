#include "widgets/cardimage.h"

#include "game/cards.h"
#include "widgets/cardimagelist.h"

#include <QMouseEvent>
#include <QPainter>

CardImage::CardImage(CardImageList &pictures, QWidget *parent) : QWidget(parent), pictures_(pictures)
{
    resize(CardImageList::width, CardImageList::height);
}

void CardImage::showCard(int card)
{
    picture_ = card;
    updateAccessibleName();
    update();
}

void CardImage::clearCard()
{
    picture_ = -1;
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
        pictures_.draw(p, rect(), picture_);
    } else if (marked_) {
        // The empty-cell mark: black outline and diagonal cross-hatching, with the
        // board showing between the lines; on a larger board, all of it larger.
        const QRect design(0, 0, CardImageList::width, CardImageList::height);
        if (size() != design.size()) {
            p.scale(qreal(width()) / design.width(), qreal(height()) / design.height());
            p.setRenderHint(QPainter::NonCosmeticBrushPatterns);
        }
        p.setPen(Qt::black);
        p.setBrush(QBrush(Qt::black, Qt::DiagCrossPattern));
        p.drawRect(design.adjusted(0, 0, -1, -1));
    }
}

void CardImage::mouseReleaseEvent(QMouseEvent *event)
{
    // A picture that takes no clicks leaves them to the board under it.
    if (!clickable_) {
        event->ignore();
        return;
    }
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}
