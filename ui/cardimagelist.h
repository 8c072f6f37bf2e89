#pragma once
// imagelist_cards: the 53 card pictures (0 = the back, then the faces of card
// numbers 1..52), stored as one sheet four pictures wide. The sheet is loaded on
// the first draw, at twice the size when the screen needs it, and every picture is
// drawn straight from it, so nothing is cut up or copied per card.

#include <QPixmap>

class QPainter;

class CardImageList {
public:
    static constexpr int width = 60;
    static constexpr int height = 82;
    static constexpr int count = 53;

    // Draws picture index (0..52) with its top-left corner at (x, y).
    void draw(QPainter &painter, int x, int y, int index);

    // The sheet for this pixel ratio (1 or 2), loaded on first use. Null when the
    // program carries no card pictures; draw() then paints plain stand-ins.
    const QPixmap &sheet(int scale);

private:
    static void drawStandIn(QPainter &painter, int x, int y, int index);

    QPixmap sheets_[2];
    bool tried_[2] = {false, false};
};
