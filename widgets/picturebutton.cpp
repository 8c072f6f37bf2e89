#include "widgets/picturebutton.h"

#include "widgets/boardscale.h"
#include "widgets/look.h"
#include "widgets/picture.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace {
// Fills target with pixmap, smoothly when the board is drawn larger.
void drawScaled(QPainter &p, const QRect &target, const QPixmap &pixmap, qreal factor)
{
    if (factor != 1.0)
        p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawPixmap(target, pixmap);
}

// Reloads pixmap when its resolution (the screen's pixel ratio times the
// board's factor) changed since the last load.
void ensureLoaded(QPixmap &pixmap, qreal &loadedScale, const QString &path, qreal scale)
{
    const qreal art = scale > 1.0 ? 2.0 : 1.0; // the pictures come at 1x and 2x
    if (loadedScale == art)
        return;
    loadedScale = art;
    pixmap = loadPicture(path, art);
}
} // namespace

Picture::Picture(const QString &path, Painter standIn, QWidget *parent)
    : QWidget(parent), path_(path), standIn_(std::move(standIn))
{
}

void Picture::paintEvent(QPaintEvent *)
{
    const qreal factor = boardscale::factor(this);
    ensureLoaded(pixmap_, loadedScale_, path_, devicePixelRatioF() * factor);
    QPainter p(this);
    if (!pixmap_.isNull()) {
        drawScaled(p, rect(), pixmap_, factor);
    } else if (standIn_) {
        // Drawn at the design size, and larger with the board.
        p.scale(factor, factor);
        standIn_(p, QRect(0, 0, int(std::lround(width() / factor)), int(std::lround(height() / factor))));
    }
}

void Picture::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

PictureButton::PictureButton(const QString &path, const QString &caption, QWidget *parent)
    : QAbstractButton(parent), path_(path)
{
    setText(caption);
    setAccessibleName(caption);
    // Reachable with Tab and Space, like any button; the mouse gives no focus.
    setFocusPolicy(Qt::TabFocus);
}

QSize PictureButton::sizeHint() const
{
    return size();
}

void PictureButton::paintEvent(QPaintEvent *)
{
    const qreal factor = boardscale::factor(this);
    ensureLoaded(pixmap_, loadedScale_, path_, devicePixelRatioF() * factor);
    QPainter p(this);
    if (!pixmap_.isNull()) {
        drawScaled(p, rect(), pixmap_, factor);
        if (factor != 1.0)
            p.scale(factor, factor); // the focus frame, larger with the board
    } else {
        // Drawn at the design size, and larger with the board.
        p.scale(factor, factor);
        p.fillRect(designRect(factor), look::maroon);
        p.setPen(QColor(220, 219, 155));
        p.drawRect(designRect(factor).adjusted(1, 1, -2, -2));
        QFont f = font();
        f.setPixelSize(15);
        f.setBold(true);
        p.setFont(f);
        p.drawText(designRect(factor), Qt::AlignCenter, text());
    }
    if (hasFocus()) {
        QPen pen(QColor(220, 219, 155), 1, Qt::DotLine);
        p.setPen(pen);
        p.drawRect(designRect(factor).adjusted(4, 4, -5, -5));
    }
}

QRect PictureButton::designRect(qreal factor) const
{
    return {0, 0, int(std::lround(width() / factor)), int(std::lround(height() / factor))};
}
