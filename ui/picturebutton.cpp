#include "ui/picturebutton.h"

#include <QFile>
#include <QImageReader>
#include <QMouseEvent>
#include <QPainter>

namespace {
// The built-in PNG reader, asked directly: left to guess, or even told the
// format, QImageReader first loads every image plugin on the system to see
// whether one of them wants the file, which costs more than the whole window.
QImage readPng(const QString &path)
{
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    QImage image = reader.read();
    // Converted here, off the screen's thread when called from a worker.
    if (image.hasAlphaChannel())
        image.convertTo(QImage::Format_ARGB32_Premultiplied);
    return image;
}
} // namespace

QImage loadPictureImage(const QString &path, qreal scale)
{
    if (scale > 1.0) {
        const int dot = path.lastIndexOf(QLatin1Char('.'));
        const QString twice = path.left(dot) + QStringLiteral("@2x") + path.mid(dot);
        if (QFile::exists(twice)) {
            QImage big = readPng(twice);
            if (!big.isNull()) {
                big.setDevicePixelRatio(2.0);
                return big;
            }
        }
    }
    return readPng(path);
}

QPixmap loadPicture(const QString &path, qreal scale)
{
    return QPixmap::fromImage(loadPictureImage(path, scale));
}

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
        p.fillRect(rect(), QColor(128, 0, 0));
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
