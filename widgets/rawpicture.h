#pragma once
// A picture stored as the pixels the screen paints, so it is drawn straight from
// the program's own image with nothing to decode: a header, then bytesPerLine *
// height bytes of rows in the QImage format named. qv_rawpicture makes one from
// each 1x PNG at build time (resources/CMakeLists.txt); loadPictureImage prefers
// it to the PNG.

#include <QtGlobal>

struct RawPictureHeader {
    static constexpr quint32 expectedMagic = 0x58505651; // "QVPX" in file order
    quint32 magic;
    quint32 width;
    quint32 height;
    quint32 bytesPerLine;
    quint32 format; // QImage::Format_RGB32 or QImage::Format_ARGB32_Premultiplied
};
static_assert(sizeof(RawPictureHeader) % 4 == 0, "the rows must stay 32-bit aligned");
