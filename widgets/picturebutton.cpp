#include "widgets/picturebutton.h"

#include "widgets/look.h"
#include "widgets/picture.h"

#include <QMouseEvent>
#include <QPainter>

namespace {
// Reloads pixmap when the screen's pixel ratio changed since the last load.
void ensureLoaded(QPixmap &pixmap, qreal &loadedScale, const QString &path, qreal scale)
{
    if (loadedScale == scale)
        return;
    loadedScale = scale;
    pixmap = loadPicture(path, scale);
}
} // namespace

Picture::Picture(const QString &path, Painter standIn, QWidget *parent)
    : QWidget(parent), path_(path), standIn_(std::move(standIn))
{
}

void Picture::paintEvent(QPaintEvent *)
{
    ensureLoaded(pixmap_, loadedScale_, path_, devicePixelRatioF());
    QPainter p(this);
    if (!pixmap_.isNull())
        p.drawPixmap(rect(), pixmap_);
    else if (standIn_)
        standIn_(p, rect());
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
    ensureLoaded(pixmap_, loadedScale_, path_, devicePixelRatioF());
    QPainter p(this);
    if (!pixmap_.isNull()) {
        p.drawPixmap(rect(), pixmap_);
    } else {
        p.fillRect(rect(), look::maroon);
        p.setPen(QColor(220, 219, 155));
        p.drawRect(rect().adjusted(1, 1, -2, -2));
        QFont f = font();
        f.setPixelSize(15);
        f.setBold(true);
        p.setFont(f);
        p.drawText(rect(), Qt::AlignCenter, text());
    }
    if (hasFocus()) {
        QPen pen(QColor(220, 219, 155), 1, Qt::DotLine);
        p.setPen(pen);
        p.drawRect(rect().adjusted(4, 4, -5, -5));
    }
}
