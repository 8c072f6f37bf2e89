#pragma once
// The picture loader: the program's pictures at 1x or 2x, from raw pixels
// embedded in the program when there are some, else from the PNG.

#include <QImage>
#include <QPixmap>
#include <QString>

// Loads the PNG picture path, or its "@2x" sibling when scale > 1 and one
// exists. Null when neither exists. At 1x a picture the program carries as raw
// pixels (widgets/rawpicture.h) comes from those, without decoding or copying.
QPixmap loadPicture(const QString &path, qreal scale);
// The same as an image, ready to paint; safe on any thread.
QImage loadPictureImage(const QString &path, qreal scale);
// The raw pixels embedded for the picture path (":/name.png"), as an image over
// the program's own bytes; null when there are none.
QImage rawPicture(const QString &path);
