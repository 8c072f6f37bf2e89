#pragma once
// The program's look, in one place: the window colour and the text colours, the
// fonts the windows name (in pixels, as designed), the background tile and the
// style of the help and about windows' buttons.

#include <QColor>
#include <QFont>
#include <QPixmap>

class QWidget;
class TSelButton;

namespace look {

inline const QColor windowColour{210, 197, 132}; // the light khaki of every window
inline const QColor maroon{128, 0, 0};           // text, frames and headings
inline const QColor grey{128, 128, 128};         // the shadow copy of a heading

// family at a size in pixels.
QFont pixelFont(const QString &family, int pixels, bool bold = false);
// "MS Sans Serif", the windows' own font, at a size in pixels.
QFont pixelFont(int pixels, bool bold = false);

// Debian has none of the three families the windows name; each is mapped to a
// font of the same metrics so captions keep their designed widths.
void installFontSubstitutions();

// A window's or control's colour, and a label's text colour.
void setWindowColour(QWidget *widget);
void setTextColour(QWidget *widget, const QColor &colour);

// The 100 x 100 tile every window is covered with; drawn when the program
// carries no picture for it.
QPixmap backgroundTile();

// Every button of the help and about windows: maroon face, cream frame and
// hover caption, silver 13-pixel bold caption.
void styleButton(TSelButton *button);

} // namespace look
