#pragma once
// The board drawn larger: a tree of controls built at their design geometry is
// scaled by one factor (positions, sizes and fonts), so an enlarged window
// shows the same board, larger and in proportion. At the factor 1 every
// control is exactly where, and as large as, it was built. Controls that paint
// themselves ask factor() how much larger to draw their lines, and pick their
// pictures' resolution from it.

#include <QRect>
#include <QtGlobal>

class QWidget;

namespace boardscale {

// Scales root and every control inside it by factor. The geometry and fonts
// the controls have when the board is first scaled are their design.
void setFactor(QWidget *root, qreal factor);
// The factor of the board widget lies on; 1 outside a board.
qreal factor(const QWidget *widget);

// A control's design geometry: its geometry as built, whatever the factor now.
QRect designGeometry(const QWidget *widget);
// Moves a control to a design geometry, scaled at once on a scaled board.
void setDesignGeometry(QWidget *widget, const QRect &geometry);

// rect scaled by factor, each edge rounded, so controls that touch at the
// design size still touch.
QRect scaled(const QRect &rect, qreal factor);

// Marks a label whose size follows its text: it is refitted, not scaled.
void setFitsText(QWidget *label);
bool fitsText(const QWidget *label);

} // namespace boardscale
