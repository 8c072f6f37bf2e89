// Drawing helpers shared by the card sheet and the window artwork.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainterPath>
#include <QString>

class QPainter;

namespace artgen {

enum class Suit { Clubs, Diamonds, Hearts, Spades };

// The game's palette.
inline const QColor kMaroon(128, 0, 0);
inline const QColor kCream(220, 219, 155);
inline const QColor kKhaki(210, 197, 132);
inline const QColor kCardRed(200, 24, 36);
inline const QColor kCardBlack(24, 24, 28);

QColor suitColour(Suit suit);

// A suit symbol about one unit high, centred on the origin.
QPainterPath suitPath(Suit suit);

// Font by family and pixel size; the families are the ones the packages install.
QFont makeFont(const QString &family, qreal pixelSize, bool bold, bool italic = false);

// Outline of a text, centred on a point (by its ink, not its advance).
QPainterPath centredText(const QString &text, const QFont &font, QPointF centre, qreal xScale = 1.0);

// A transparent canvas of the logical size drawn at the given scale (1 or 2).
QImage newCanvas(QSize logical, int scale, QColor fill = Qt::transparent);

// Fills a path as a blurred shadow below whatever the painter draws next.
// The painter must paint on a QImage.
void softShadow(QPainter &p, const QPainterPath &path, QColor colour, QPointF offset, qreal blur);

// Maroon lettering over a soft grey shadow, the game's heading style.
void shadowedLettering(QPainter &p, const QPainterPath &path, QColor face = kMaroon,
                       QPointF offset = {2.0, 2.0}, qreal blur = 1.6);

// Pixel-exact rectangle fill in logical units, for hard edges at any scale.
void fillLogical(QImage &image, int scale, QRect logical, QColor colour);

bool savePng(const QImage &image, const QString &path);

} // namespace artgen
