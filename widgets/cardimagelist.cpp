#include "widgets/cardimagelist.h"

#include "game/cards.h"
#include "widgets/picture.h"

#include <QPainter>

namespace {
const QString sheetPath = QStringLiteral(":/cards.png");
}

void CardImageList::prefetch(qreal resolution)
{
    const qreal scale = scaleFor(resolution);
    if (loadedFor_ == scale || pending_.valid())
        return;
    // Raw pixels need no decoding, so no worker either.
    if (scale == 1.0 && !rawPicture(sheetPath).isNull())
        return;
    pendingFor_ = scale;
    pending_ = std::async(std::launch::async, [scale] { return loadPictureImage(sheetPath, scale); });
}

const QPixmap &CardImageList::sheet(qreal resolution)
{
    const qreal wanted = scaleFor(resolution);
    if (loadedFor_ == wanted)
        return sheet_;
    if (pending_.valid()) {
        const QImage image = pending_.get();
        if (pendingFor_ == wanted) {
            loadedFor_ = wanted;
            sheet_ = QPixmap::fromImage(image);
            return sheet_;
        }
    }
    loadedFor_ = wanted;
    sheet_ = loadPicture(sheetPath, wanted);
    return sheet_;
}

void CardImageList::draw(QPainter &painter, const QRect &target, int index)
{
    if (index < 0 || index >= count)
        return;
    const qreal zoom = qreal(target.width()) / width;
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const QPixmap &pictures = sheet(ratio * zoom);
    if (pictures.isNull()) {
        painter.save();
        painter.translate(target.topLeft());
        painter.scale(zoom, qreal(target.height()) / height);
        drawStandIn(painter, 0, 0, index);
        painter.restore();
        return;
    }
    const qreal scale = pictures.devicePixelRatio();
    const QRectF source((index % 4) * width * scale, (index / 4) * height * scale, width * scale,
                        height * scale);
    if (zoom != 1.0)
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(QRectF(target), pictures, source);
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
