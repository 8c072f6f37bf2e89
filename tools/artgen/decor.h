// The window artwork around the cards: background tile, picture buttons, title
// lettering, publisher strip and the application icon.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace artgen {

// 100 x 100, repeats seamlessly in both directions.
QImage drawTile();

// A maroon picture button with a cream border and cream caption.
QImage drawButton(const QString &caption, QSize logical, int scale);

// Vertical "Quenvale" lettering on a transparent ground (main window 110 x 329,
// high-score window 97 x 322).
QImage drawBanner(QSize logical, int scale);

// 287 x 18 publisher line.
QImage drawPublisherStrip(int scale);

// 270 x 80 product and publisher names for the about window.
QImage drawAboutTitle(int scale);

QByteArray iconSvg();
QImage renderIcon(const QByteArray &svg, int size);

} // namespace artgen
