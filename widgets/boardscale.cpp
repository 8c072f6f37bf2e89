#include "widgets/boardscale.h"

#include <QVariant>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace boardscale {
namespace {

// Kept on the controls themselves, so they come and go with them.
constexpr char factorKey[] = "qvBoardFactor";
constexpr char geometryKey[] = "qvDesignGeometry";
constexpr char fontKey[] = "qvDesignFont";
constexpr char fitsTextKey[] = "qvFitsText";

// The controls of the board, root first; the parts Qt builds inside its own
// controls (named "qt_...") follow their owner.
QList<QWidget *> controls(QWidget *root)
{
    QList<QWidget *> all{root};
    for (QWidget *w : root->findChildren<QWidget *>()) {
        if (!w->isWindow() && !w->objectName().startsWith(QLatin1String("qt_")))
            all.append(w);
    }
    return all;
}

void recordDesign(QWidget *root)
{
    for (QWidget *w : controls(root)) {
        if (!w->property(geometryKey).isValid())
            w->setProperty(geometryKey, w->geometry());
        // A control with a font of its own; the others inherit the scaled one.
        if ((w == root || w->testAttribute(Qt::WA_SetFont)) && !w->property(fontKey).isValid())
            w->setProperty(fontKey, w->font());
    }
}

QFont scaledFont(QFont font, qreal factor)
{
    if (font.pixelSize() > 0)
        font.setPixelSize(std::max(1, int(std::lround(font.pixelSize() * factor))));
    else
        font.setPointSizeF(font.pointSizeF() * factor);
    return font;
}

} // namespace

QRect scaled(const QRect &rect, qreal factor)
{
    if (factor == 1.0)
        return rect;
    const auto at = [factor](int v) { return int(std::lround(v * factor)); };
    const int left = at(rect.x()), top = at(rect.y());
    return {left, top, at(rect.x() + rect.width()) - left, at(rect.y() + rect.height()) - top};
}

void setFactor(QWidget *root, qreal factor)
{
    if (factor == boardscale::factor(root))
        return;
    recordDesign(root);
    root->setProperty(factorKey, factor);
    for (QWidget *w : controls(root)) {
        const QVariant font = w->property(fontKey);
        if (font.isValid())
            w->setFont(scaledFont(font.value<QFont>(), factor));
        const QRect design = w->property(geometryKey).toRect();
        if (w == root) {
            w->resize(scaled(design, factor).size()); // its place is its host's business
        } else if (fitsText(w)) {
            w->move(scaled(design, factor).topLeft());
            w->adjustSize();
        } else {
            w->setGeometry(scaled(design, factor));
        }
    }
}

qreal factor(const QWidget *widget)
{
    for (const QWidget *w = widget; w; w = w->isWindow() ? nullptr : w->parentWidget()) {
        const QVariant f = w->property(factorKey);
        if (f.isValid())
            return f.toReal();
    }
    return 1.0;
}

QRect designGeometry(const QWidget *widget)
{
    const QVariant design = widget->property(geometryKey);
    return design.isValid() ? design.toRect() : widget->geometry();
}

void setDesignGeometry(QWidget *widget, const QRect &geometry)
{
    const qreal f = factor(widget);
    // Until the board is first scaled, its controls' geometry is their design.
    if (f != 1.0 || widget->property(geometryKey).isValid())
        widget->setProperty(geometryKey, geometry);
    widget->setGeometry(scaled(geometry, f));
}

void setFitsText(QWidget *label)
{
    label->setProperty(fitsTextKey, true);
}

bool fitsText(const QWidget *label)
{
    return label->property(fitsTextKey).toBool();
}

} // namespace boardscale
