#include "widgets/picture.h"

#include "widgets/rawpicture.h"

#include <QFile>
#include <QImageReader>
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
