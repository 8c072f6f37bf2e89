// qv_rawpicture IN.png OUT: writes the picture as raw pixels (ui/rawpicture.h),
// premultiplied as the screen wants them, or as opaque pixels when none is
// transparent, so that painting never has to convert or copy them.
#include "widgets/rawpicture.h"

#include <QFile>
#include <QImage>

#include <algorithm>
#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: qv_rawpicture IN.png OUT\n");
        return 2;
    }
    QImage image(QString::fromLocal8Bit(argv[1]), "png");
    if (image.isNull()) {
        std::fprintf(stderr, "qv_rawpicture: cannot read %s\n", argv[1]);
        return 1;
    }
    image.convertTo(QImage::Format_ARGB32_Premultiplied);
    bool opaque = true;
    for (int y = 0; y < image.height() && opaque; ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        opaque = std::all_of(row, row + image.width(), [](QRgb pixel) { return qAlpha(pixel) == 255; });
    }
    if (opaque)
        image.reinterpretAsFormat(QImage::Format_RGB32);
    const RawPictureHeader header{RawPictureHeader::expectedMagic, quint32(image.width()), quint32(image.height()),
                                  quint32(image.bytesPerLine()), quint32(image.format())};
    QFile out(QString::fromLocal8Bit(argv[2]));
    if (!out.open(QIODevice::WriteOnly)
        || out.write(reinterpret_cast<const char *>(&header), sizeof header) != qint64(sizeof header)
        || out.write(reinterpret_cast<const char *>(image.constBits()), image.sizeInBytes()) != image.sizeInBytes()
        || !out.flush()) {
        std::fprintf(stderr, "qv_rawpicture: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
