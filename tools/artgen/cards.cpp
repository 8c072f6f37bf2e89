#include "cards.h"

#include "painting.h"

#include <QPainter>
#include <QVector>

#include <array>
#include <optional>

namespace artgen {
namespace {

// Card geometry in logical pixels (60 x 82).
constexpr qreal kCentreX = kCardWidth / 2.0;
constexpr qreal kCentreY = kCardHeight / 2.0;
constexpr qreal kIndexX = 6.5;
constexpr qreal kPipSize = 10.5;
constexpr qreal kLeftColumn = 18.5;
constexpr qreal kRightColumn = 41.5;
constexpr qreal kTopRow = 14.5;
constexpr qreal kBottomRow = kCardHeight - kTopRow;

const QColor kBorder(70, 70, 76);
const QColor kBackBlue(26, 58, 148);
const QColor kBackLight(92, 132, 214);
const QColor kBackMid(52, 92, 190);

// Court colours, as on the classic pattern.
const QColor kCourtRed(196, 28, 40);
const QColor kCourtBlue(32, 72, 168);
const QColor kCourtGold(238, 184, 46);
const QColor kFlesh(252, 222, 186);
const QColor kInk(20, 20, 24);

Suit suitOf(int card) { return static_cast<Suit>((card - 1) / 13); }
int rankOf(int card) { return (card - 1) % 13 + 1; } // 1 ace .. 13 king

void drawPip(QPainter &p, Suit suit, QPointF at, qreal size, bool upsideDown = false,
             std::optional<QColor> colour = std::nullopt)
{
    p.save();
    p.translate(at);
    if (upsideDown)
        p.rotate(180);
    p.scale(size, size);
    p.fillPath(suitPath(suit), colour.value_or(suitColour(suit)));
    p.restore();
}

// The hard outline: one-pixel frame with the corner pixels cut diagonally.
void drawOutline(QImage &image, int scale)
{
    const int w = kCardWidth, h = kCardHeight;
    fillLogical(image, scale, QRect(1, 0, w - 2, 1), kBorder);
    fillLogical(image, scale, QRect(1, h - 1, w - 2, 1), kBorder);
    fillLogical(image, scale, QRect(0, 1, 1, h - 2), kBorder);
    fillLogical(image, scale, QRect(w - 1, 1, 1, h - 2), kBorder);
    for (QPoint corner : {QPoint(0, 0), QPoint(w - 1, 0), QPoint(0, h - 1), QPoint(w - 1, h - 1)})
        fillLogical(image, scale, QRect(corner, QSize(1, 1)), Qt::transparent);
    // At higher scales the cut corner gets one more outline pixel on its inside, so it reads round.
    if (scale > 1) {
        const int right = w * scale - 1 - scale, bottom = h * scale - 1 - scale;
        for (QPoint px : {QPoint(scale, scale), QPoint(right, scale), QPoint(scale, bottom), QPoint(right, bottom)})
            image.setPixelColor(px, kBorder);
    }
}

void drawIndex(QPainter &p, Suit suit, int rank)
{
    static const std::array<const char *, 14> names = {"", "A", "2", "3", "4", "5", "6", "7",
                                                       "8", "9", "10", "J", "Q", "K"};
    const QFont font = makeFont(QStringLiteral("Liberation Serif"), 14, true);
    const QString text = QString::fromLatin1(names[rank]);
    const qreal squeeze = rank == 10 ? 0.72 : 1.0;
    // Every index hangs from the same cap line, so "Q" and "10" line up with "A".
    QPainterPath path;
    path.addText(0, 0, font, text);
    path = QTransform().scale(squeeze, 1).map(path);
    const QRectF ink = path.boundingRect();
    QPainterPath capReference;
    capReference.addText(0, 0, font, QStringLiteral("K"));
    const qreal capTop = capReference.boundingRect().top();
    path.translate(kIndexX - ink.center().x(), 2.6 - capTop);
    for (int turn = 0; turn < 2; ++turn) {
        p.save();
        if (turn == 1) {
            p.translate(kCardWidth, kCardHeight);
            p.rotate(180);
        }
        p.fillPath(path, suitColour(suit));
        drawPip(p, suit, QPointF(kIndexX, 18.2), 7.2);
        p.restore();
    }
}

QVector<QPointF> pipLayout(int rank)
{
    const qreal l = kLeftColumn, r = kRightColumn, c = kCentreX;
    const qreal t = kTopRow, b = kBottomRow, m = kCentreY;
    const qreal q1 = t + (b - t) / 3, q2 = t + 2 * (b - t) / 3; // four-row spacing
    switch (rank) {
    case 2: return {{c, t}, {c, b}};
    case 3: return {{c, t}, {c, m}, {c, b}};
    case 4: return {{l, t}, {r, t}, {l, b}, {r, b}};
    case 5: return {{l, t}, {r, t}, {c, m}, {l, b}, {r, b}};
    case 6: return {{l, t}, {r, t}, {l, m}, {r, m}, {l, b}, {r, b}};
    case 7: return {{l, t}, {r, t}, {c, (t + m) / 2}, {l, m}, {r, m}, {l, b}, {r, b}};
    case 8:
        return {{l, t}, {r, t}, {c, (t + m) / 2}, {l, m}, {r, m}, {c, (m + b) / 2}, {l, b}, {r, b}};
    case 9:
        return {{l, t}, {r, t}, {l, q1}, {r, q1}, {c, m}, {l, q2}, {r, q2}, {l, b}, {r, b}};
    case 10:
        return {{l, t}, {r, t}, {c, (t + q1) / 2}, {l, q1}, {r, q1},
                {l, q2}, {r, q2}, {c, (q2 + b) / 2}, {l, b}, {r, b}};
    }
    return {};
}

void drawAce(QPainter &p, Suit suit)
{
    const QPointF centre(kCentreX, kCentreY);
    if (suit != Suit::Spades) {
        drawPip(p, suit, centre, 24);
        return;
    }
    // The ace of spades gets the traditional ornate pip: a large spade in a fine ring.
    p.save();
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kCardBlack, 0.7));
    p.drawEllipse(centre, 19.5, 22.5);
    p.setPen(QPen(kCardBlack, 0.35));
    p.drawEllipse(centre, 18, 21);
    p.restore();
    for (QPointF at : {QPointF(0, -22.5), QPointF(19.5, 0), QPointF(0, 22.5), QPointF(-19.5, 0)})
        drawPip(p, Suit::Diamonds, centre + at, 4.5, false, kCardBlack);
    drawPip(p, suit, centre, 28);
}

// Top half of a court picture, drawn about the frame centre; the card shows it twice.
void drawCourtHalf(QPainter &p, Suit suit, int rank)
{
    const bool redSuit = suit == Suit::Hearts || suit == Suit::Diamonds;
    const QColor primary = redSuit ? kCourtRed : kCourtBlue;
    const QColor secondary = redSuit ? kCourtBlue : kCourtRed;
    const QPen outline(kInk, 0.45, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);

    p.fillRect(QRectF(-18, -35, 36, 35), QColor(252, 246, 226));
    // Faint diagonal ground behind the figure.
    p.setPen(QPen(QColor(236, 214, 160), 0.4));
    for (qreal x = -60; x < 20; x += 3)
        p.drawLine(QPointF(x, 0), QPointF(x + 35, -35));

    // The figure stands a little low in its half so that an enlarged head and
    // headwear still fit under the frame.
    p.save();
    p.translate(0, 3.4);
    auto enlargeHead = [&p] {
        p.translate(0, -17.2);
        p.scale(1.22, 1.22);
        p.translate(0, 17.2);
    };

    // Queen's veil behind everything else.
    if (rank == 12) {
        p.save();
        enlargeHead();
        QPainterPath veil;
        veil.moveTo(-4, -30);
        veil.cubicTo(-10, -28, -11, -20, -12, -13);
        veil.lineTo(12, -13);
        veil.cubicTo(11, -20, 10, -28, 4, -30);
        veil.closeSubpath();
        p.setPen(outline);
        p.setBrush(secondary);
        p.drawPath(veil);
        p.restore();
    }

    // Robe: two colours split down the middle, with gold bands.
    QPainterPath robe;
    robe.moveTo(-18, 0);
    robe.lineTo(-18, -8);
    robe.cubicTo(-18, -13, -13, -15, -8, -16);
    robe.lineTo(-3, -17.2);
    robe.lineTo(3, -17.2);
    robe.lineTo(8, -16);
    robe.cubicTo(13, -15, 18, -13, 18, -8);
    robe.lineTo(18, 0);
    robe.closeSubpath();
    p.save();
    p.setClipPath(robe);
    p.fillRect(QRectF(-18, -18, 18, 18), primary);
    p.fillRect(QRectF(0, -18, 18, 18), secondary);
    // Chevron trim across both halves.
    p.setPen(QPen(kCourtGold, 1.1));
    for (qreal y = -9; y < 2; y += 4.5) {
        p.drawLine(QPointF(-18, y - 5), QPointF(-2, y));
        p.drawLine(QPointF(2, y), QPointF(18, y - 5));
    }
    p.setPen(QPen(kInk, 0.3));
    for (qreal y = -9; y < 2; y += 4.5) {
        p.drawLine(QPointF(-18, y - 5.6), QPointF(-2, y - 0.6));
        p.drawLine(QPointF(2, y - 0.6), QPointF(18, y - 5.6));
    }
    // Centre band with black lozenges.
    p.setPen(Qt::NoPen);
    p.fillRect(QRectF(-2.4, -18, 4.8, 18), kCourtGold);
    p.setBrush(kInk);
    for (qreal y = -13; y < 0; y += 4) {
        const QPointF d[] = {{0, y - 1.3}, {1.1, y}, {0, y + 1.3}, {-1.1, y}};
        p.drawPolygon(d, 4);
    }
    p.restore();
    p.setPen(outline);
    p.setBrush(Qt::NoBrush);
    p.drawPath(robe);
    p.drawLine(QPointF(-2.4, -17), QPointF(-2.4, 0));
    p.drawLine(QPointF(2.4, -17), QPointF(2.4, 0));

    // Collar: ermine for the king, a white ruff otherwise.
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(0, -16.6), 7.5, 2.4);
    if (rank == 13) {
        p.setPen(Qt::NoPen);
        p.setBrush(kInk);
        for (qreal x = -5; x <= 5; x += 2.5)
            p.drawEllipse(QPointF(x, -16.5 + (qAbs(x) > 3 ? -0.3 : 0.4)), 0.45, 0.6);
    } else {
        p.setPen(QPen(kInk, 0.3));
        for (qreal x = -6; x <= 6; x += 1.5)
            p.drawLine(QPointF(x * 0.9, -17.9), QPointF(x, -15.4));
    }

    // Neck and head.
    p.save();
    enlargeHead();
    p.setPen(outline);
    p.setBrush(kFlesh);
    p.drawRect(QRectF(-1.6, -20, 3.2, 2.5));
    const QColor hair = rank == 13 ? QColor(236, 232, 216) : rank == 12 ? QColor(240, 196, 70)
                                                                        : QColor(150, 86, 36);
    if (rank == 12) {
        // Long hair falling to the shoulders.
        QPainterPath locks;
        locks.moveTo(-4.5, -27);
        locks.cubicTo(-7.5, -24, -7, -19, -8, -15.5);
        locks.lineTo(-3.5, -16.8);
        locks.lineTo(3.5, -16.8);
        locks.lineTo(8, -15.5);
        locks.cubicTo(7, -19, 7.5, -24, 4.5, -27);
        locks.closeSubpath();
        p.setBrush(hair);
        p.drawPath(locks);
    }
    p.setBrush(kFlesh);
    p.drawEllipse(QPointF(0, -23.2), 4.1, 4.9);

    // Features.
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawEllipse(QPointF(-1.55, -24.0), 0.5, 0.45);
    p.drawEllipse(QPointF(1.55, -24.0), 0.5, 0.45);
    p.setPen(QPen(kInk, 0.3));
    p.drawLine(QPointF(-2.4, -25.1), QPointF(-0.8, -25.0));
    p.drawLine(QPointF(0.8, -25.0), QPointF(2.4, -25.1));
    p.drawLine(QPointF(0.1, -23.6), QPointF(0.5, -22.2));
    p.setPen(QPen(QColor(190, 40, 50), 0.55, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(-0.9, -20.9), QPointF(0.9, -20.9));

    p.setPen(outline);
    if (rank == 13) {
        // Beard and moustache.
        QPainterPath beard;
        beard.moveTo(-4.0, -23);
        beard.cubicTo(-4.2, -19, -2.5, -16.5, 0, -16);
        beard.cubicTo(2.5, -16.5, 4.2, -19, 4.0, -23);
        beard.cubicTo(3.0, -21.5, 1.5, -22.2, 0, -21.8);
        beard.cubicTo(-1.5, -22.2, -3.0, -21.5, -4.0, -23);
        beard.closeSubpath();
        p.setBrush(hair);
        p.drawPath(beard);
        p.setPen(QPen(kInk, 0.25));
        for (qreal x = -2.4; x <= 2.4; x += 1.2)
            p.drawLine(QPointF(x, -20.5), QPointF(x * 0.8, -17.5));
        p.setPen(QPen(QColor(190, 40, 50), 0.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(-0.8, -20.8), QPointF(0.8, -20.8));
        p.setPen(outline);
        // Hair at the temples.
        p.setBrush(hair);
        p.drawEllipse(QPointF(-4.1, -25.2), 1.2, 2.2);
        p.drawEllipse(QPointF(4.1, -25.2), 1.2, 2.2);
    } else if (rank == 11) {
        // Short curls under the cap.
        p.setBrush(hair);
        p.drawEllipse(QPointF(-4.0, -24.4), 1.4, 2.6);
        p.drawEllipse(QPointF(4.0, -24.4), 1.4, 2.6);
    }

    // Headwear.
    if (rank == 13 || rank == 12) {
        const qreal s = rank == 13 ? 1.0 : 0.82;
        QPainterPath crown;
        crown.moveTo(-5 * s, -27.3);
        crown.lineTo(-5.8 * s, -27.3 - 5.2 * s);
        crown.lineTo(-2.8 * s, -27.3 - 3 * s);
        crown.lineTo(0, -27.3 - 6.2 * s);
        crown.lineTo(2.8 * s, -27.3 - 3 * s);
        crown.lineTo(5.8 * s, -27.3 - 5.2 * s);
        crown.lineTo(5 * s, -27.3);
        crown.closeSubpath();
        p.setBrush(kCourtGold);
        p.drawPath(crown);
        p.drawRect(QRectF(-5.2 * s, -28.6, 10.4 * s, 1.9));
        p.setPen(Qt::NoPen);
        for (QPointF tip : {QPointF(-5.8 * s, -27.3 - 5.2 * s), QPointF(0, -27.3 - 6.2 * s),
                            QPointF(5.8 * s, -27.3 - 5.2 * s)}) {
            p.setBrush(rank == 13 ? kCourtRed : Qt::white);
            p.drawEllipse(tip, 0.8, 0.8);
        }
        p.setBrush(secondary);
        p.drawEllipse(QPointF(0, -27.65), 0.8, 0.7);
    } else {
        QPainterPath feather;
        feather.moveTo(-2.5, -29.5);
        feather.cubicTo(-5, -32.6, -7, -33, -8.2, -31.6);
        feather.cubicTo(-6.5, -31.2, -5, -30.2, -3.5, -28);
        feather.closeSubpath();
        p.setBrush(kCourtGold);
        p.drawPath(feather);
        QPainterPath cap;
        cap.moveTo(-5.6, -26.6);
        cap.cubicTo(-6.5, -31.5, 6.5, -31.5, 5.6, -26.6);
        cap.closeSubpath();
        p.setBrush(primary);
        p.drawPath(cap);
        p.setBrush(kCourtGold);
        p.drawRect(QRectF(-5.6, -27.4, 11.2, 1.3));
    }

    p.restore();

    // What each holds: the king a sword, the queen a flower, the jack a halberd.
    p.setPen(outline);
    if (rank == 13) {
        p.setBrush(QColor(226, 228, 236));
        const QPointF blade[] = {{11.3, -8}, {11.3, -31}, {12.3, -33}, {13.3, -31}, {13.3, -8}};
        p.drawPolygon(blade, 5);
        p.setBrush(kCourtGold);
        p.drawRect(QRectF(9.2, -8.6, 6.2, 1.4));
        p.drawRect(QRectF(11.6, -7.2, 1.4, 3.6));
        p.setBrush(kFlesh);
        p.drawEllipse(QPointF(12.3, -5.2), 2.0, 1.6);
    } else if (rank == 12) {
        p.setPen(QPen(QColor(60, 110, 50), 0.6));
        p.drawLine(QPointF(10.5, -8), QPointF(11.8, -24));
        p.setPen(outline);
        p.setBrush(kCourtRed);
        for (int i = 0; i < 5; ++i) {
            const qreal a = i * 72.0 * M_PI / 180.0;
            p.drawEllipse(QPointF(11.8 + 1.5 * std::sin(a), -25 - 1.5 * std::cos(a)), 1.15, 1.15);
        }
        p.setBrush(kCourtGold);
        p.drawEllipse(QPointF(11.8, -25), 0.9, 0.9);
        p.setBrush(kFlesh);
        p.drawEllipse(QPointF(10.6, -8.5), 1.9, 1.5);
    } else {
        p.setPen(QPen(QColor(120, 70, 30), 0.9));
        p.drawLine(QPointF(13, -3), QPointF(13, -31));
        p.setPen(outline);
        p.setBrush(QColor(226, 228, 236));
        const QPointF head[] = {{13, -34}, {14, -31.5}, {13.5, -30.5}, {17, -29.5}, {17, -25},
                                {13.5, -27}, {12.5, -27}, {12, -30.5}};
        p.drawPolygon(head, 8);
        p.setBrush(kFlesh);
        p.drawEllipse(QPointF(13, -7), 1.8, 1.5);
    }

    p.restore();

    drawPip(p, suit, QPointF(-13.2, -29.5), 6.5);
}

void drawCourt(QPainter &p, Suit suit, int rank)
{
    const QRectF frame(12, 6, 36, 70);
    for (int half = 0; half < 2; ++half) {
        p.save();
        p.translate(kCentreX, kCentreY);
        if (half == 1)
            p.rotate(180);
        p.setClipRect(QRectF(-18, -35, 36, 35));
        drawCourtHalf(p, suit, rank);
        p.restore();
    }
    p.setPen(QPen(kInk, 0.5));
    p.drawLine(QPointF(frame.left(), kCentreY), QPointF(frame.right(), kCentreY));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(suitColour(suit), 0.8));
    p.drawRect(frame);
}

void drawBack(QPainter &p)
{
    const QRectF field(3, 3, kCardWidth - 6, kCardHeight - 6);
    QPainterPath fieldPath;
    fieldPath.addRoundedRect(field, 2.5, 2.5);
    p.fillPath(fieldPath, kBackBlue);

    p.save();
    p.setClipPath(fieldPath);
    // A harlequin of two blues, a white dot in every light diamond: it stays
    // a clear pattern even at one pixel per unit.
    const qreal half = 3.0;
    p.setPen(Qt::NoPen);
    for (int row = -1; row * half < kCardHeight + half; ++row) {
        for (int col = -1; col * 2 * half < kCardWidth + 2 * half; ++col) {
            const QPointF c(col * 2 * half + ((row & 1) ? half : 0) + 0.5, row * half + 1.5);
            const QPointF diamond[] = {c + QPointF(0, -half), c + QPointF(half, 0), c + QPointF(0, half),
                                       c + QPointF(-half, 0)};
            const bool light = (row & 1) == 0;
            p.setBrush(light ? kBackMid : kBackBlue);
            p.drawPolygon(diamond, 4);
            if (light) {
                p.setBrush(QColor(214, 226, 252));
                p.drawEllipse(c, 0.6, 0.6);
            }
        }
    }
    p.restore();

    // White inner frame and a central medallion with the four suits.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::white, 0.8));
    p.drawRoundedRect(field.adjusted(2.2, 2.2, -2.2, -2.2), 1.5, 1.5);
    p.setPen(QPen(kBackLight, 0.5));
    p.drawRoundedRect(field.adjusted(3.6, 3.6, -3.6, -3.6), 1, 1);

    const QPointF centre(kCentreX, kCentreY);
    p.setPen(QPen(Qt::white, 0.9));
    p.setBrush(kBackBlue);
    p.drawEllipse(centre, 12.5, 15.5);
    p.setPen(QPen(kBackLight, 0.5));
    p.drawEllipse(centre, 10.8, 13.8);
    const struct { Suit suit; QPointF at; } rosette[] = {
        {Suit::Spades, {0, -7}}, {Suit::Hearts, {0, 7}}, {Suit::Clubs, {-6, 0}}, {Suit::Diamonds, {6, 0}}};
    for (const auto &r : rosette) {
        p.save();
        p.translate(centre + r.at);
        p.scale(6.4, 6.4);
        p.fillPath(suitPath(r.suit), Qt::white);
        p.restore();
    }
}

} // namespace

QImage drawCard(int picture, int scale)
{
    QImage image = newCanvas(QSize(kCardWidth, kCardHeight), scale, Qt::white);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(scale, scale);
        if (picture == 0) {
            drawBack(p);
        } else {
            const Suit suit = suitOf(picture);
            const int rank = rankOf(picture);
            QLinearGradient sheen(0, 0, kCardWidth, kCardHeight);
            sheen.setColorAt(0, QColor(255, 255, 255));
            sheen.setColorAt(1, QColor(247, 245, 238));
            p.fillRect(QRectF(0, 0, kCardWidth, kCardHeight), sheen);
            drawIndex(p, suit, rank);
            if (rank == 1)
                drawAce(p, suit);
            else if (rank >= 11)
                drawCourt(p, suit, rank);
            else
                for (QPointF at : pipLayout(rank))
                    drawPip(p, suit, at, kPipSize, at.y() > kCentreY + 0.5);
        }
    }
    drawOutline(image, scale);
    return image;
}

QImage drawCardSheet(int scale)
{
    QImage sheet = newCanvas(QSize(kCardWidth * kSheetColumns, kCardHeight * kSheetRows), scale);
    QPainter p(&sheet);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    for (int k = 0; k < kCardCount; ++k)
        p.drawImage(QPoint(k % kSheetColumns * kCardWidth, k / kSheetColumns * kCardHeight) * scale,
                    drawCard(k, scale));
    return sheet;
}

} // namespace artgen
