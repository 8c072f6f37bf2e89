#include "ui/picturebutton.h"

#include "ui/rawpicture.h"

#include <QFile>
#include <QImageReader>
#include <QMouseEvent>
#include <QPainter>
#include <QResource>

#include <cstring>

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

QImage rawPicture(const QString &path)
{
    if (!path.startsWith(QLatin1String(":/")) || !path.endsWith(QLatin1String(".png")))
        return {};
    const QResource resource(QStringLiteral(":/pixels/%1.rgba").arg(path.mid(2).chopped(4)));
    if (!resource.isValid() || resource.compressionAlgorithm() != QResource::NoCompression
        || resource.size() < qint64(sizeof(RawPictureHeader)))
        return {};
    RawPictureHeader header;
    std::memcpy(&header, resource.data(), sizeof header);
    const auto format = QImage::Format(header.format);
    if (header.magic != RawPictureHeader::expectedMagic
        || (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32_Premultiplied)
        || header.width == 0 || header.width > 0x7fff || header.height > 0x7fff
        || header.bytesPerLine < header.width * 4 || header.bytesPerLine % 4 != 0
        || qint64(header.bytesPerLine) * header.height != resource.size() - qint64(sizeof header))
        return {};
    const uchar *rows = resource.data() + sizeof header;
    const QImage image(rows, int(header.width), int(header.height), qsizetype(header.bytesPerLine), format);
    // Painted in place when its rows are 32-bit aligned, as they are in practice.
    return reinterpret_cast<quintptr>(rows) % 4 == 0 ? image : image.copy();
}

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
    const QImage raw = rawPicture(path);
    return raw.isNull() ? readPng(path) : raw;
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
