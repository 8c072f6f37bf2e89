#include "ui/cardimagelist.h"

#include "game/cards.h"

#include <QPainter>

const QPixmap &CardImageList::sheet(int scale)
{
    const int i = scale > 1 ? 1 : 0;
    if (!tried_[i]) {
        tried_[i] = true;
        sheets_[i].load(i ? QStringLiteral(":/cards@2x.png") : QStringLiteral(":/cards.png"));
        if (!sheets_[i].isNull())
            sheets_[i].setDevicePixelRatio(i + 1);
    }
    return sheets_[i];
}

void CardImageList::draw(QPainter &painter, int x, int y, int index)
{
    if (index < 0 || index >= count)
        return;
    // Device pixel ratio of what is being painted on (the screen, or a picture).
    const qreal dpr = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    int scale = dpr > 1.0 ? 2 : 1;
    const QPixmap *pictures = &sheet(scale);
    if (pictures->isNull() && scale == 2) {
        scale = 1;
        pictures = &sheet(1);
    }
    if (pictures->isNull()) {
        drawStandIn(painter, x, y, index);
        return;
    }
    const QRect source((index % 4) * width * scale, (index / 4) * height * scale, width * scale,
                       height * scale);
    painter.drawPixmap(QRect(x, y, width, height), *pictures, source);
}

// Used only when the card pictures are missing: enough to play with.
void CardImageList::drawStandIn(QPainter &painter, int x, int y, int index)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF card(x + 0.5, y + 0.5, width - 1, height - 1);
    painter.setPen(QColor(40, 40, 40));
    if (index == qv::cardBack) {
        painter.setBrush(QColor(30, 60, 150));
        painter.drawRoundedRect(card, 3, 3);
        painter.setPen(QColor(200, 210, 240));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(card.adjusted(4, 4, -4, -4), 2, 2);
    } else {
        painter.setBrush(Qt::white);
        painter.drawRoundedRect(card, 3, 3);
        static const char *const ranks[] = {"K", "A", "2", "3", "4", "5", "6",
                                            "7", "8", "9", "10", "J", "Q"};
        static const char16_t suits[] = {u'\u2663', u'\u2666', u'\u2665', u'\u2660'};
        const int suit = qv::getsuit(index);
        painter.setPen(suit == 2 || suit == 3 ? QColor(190, 0, 0) : Qt::black);
        QFont font = painter.font();
        font.setPixelSize(18);
        font.setBold(true);
        painter.setFont(font);
        const QString text = QString::fromLatin1(ranks[qv::rankcode(index)]) + QChar(suits[suit - 1]);
        painter.drawText(card, Qt::AlignCenter, text);
    }
    painter.restore();
}
