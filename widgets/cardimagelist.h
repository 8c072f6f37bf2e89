#pragma once
// imagelist_cards: the 53 card pictures (0 = the back, then the faces of card
// numbers 1..52), stored as one sheet four pictures wide. Every picture is drawn
// straight from the sheet, so nothing is cut up or copied per card. The sheet is
// the largest picture of the program: unless it is carried as raw pixels (at
// 1x), prefetch() decodes it on a worker thread while the windows are being
// built, and the first draw picks it up.

#include <QImage>
#include <QPixmap>

#include <future>

class QPainter;

class CardImageList {
public:
    static constexpr int width = 60;
    static constexpr int height = 82;
    static constexpr int count = 53;

    // Starts decoding the sheet for a resolution in the background.
    void prefetch(qreal resolution);

    // Draws picture index (0..52) into target, a card's size or larger (the
    // board drawn larger): the twice-as-large sheet then keeps it sharp.
    void draw(QPainter &painter, const QRect &target, int index);

    // The sheet for a resolution (device pixels per card pixel: the screen's
    // pixel ratio times the board's factor), loaded when first wanted. Null when
    // the program carries no card pictures; draw() then paints plain stand-ins.
    const QPixmap &sheet(qreal resolution);

private:
    static qreal scaleFor(qreal resolution) { return resolution > 1.0 ? 2.0 : 1.0; }
    static void drawStandIn(QPainter &painter, int x, int y, int index);

    QPixmap sheet_;
    qreal loadedFor_ = 0; // the scale sheet_ was loaded for: 1 or 2
    std::future<QImage> pending_;
    qreal pendingFor_ = 0;
};
