#pragma once
// The game's look for the statistics window: its colours come from look.h, the
// few helpers are spelled out here so the statistics module needs nothing of the
// widgets library (only its header's colours).

#include "widgets/look.h"

#include <QFont>
#include <QPalette>
#include <QWidget>

namespace statisticslook {

// Arial (mapped by the program to a font of its metrics) at a size in pixels.
inline QFont font(int pixels, bool bold = false)
{
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

inline void setColour(QWidget *widget, QPalette::ColorRole role, const QColor &colour)
{
    QPalette pal = widget->palette();
    pal.setColor(role, colour);
    widget->setPalette(pal);
}

} // namespace statisticslook
