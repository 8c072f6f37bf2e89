#pragma once
// The main window's pictures: plain pictures (the title banner, the publisher
// strip) and the picture buttons (a maroon face with a cream caption, no hover or
// pressed look; a click on the picture is the button's action). Pictures load on
// their first paint, at twice the size on high-density screens, so hidden ones
// cost nothing at start.

#include <QAbstractButton>
#include <QImage>
#include <QPixmap>
#include <QWidget>

#include <functional>

// Loads the PNG picture path, or its "@2x" sibling when scale > 1 and one
// exists. Null when neither exists. At 1x a picture the program carries as raw
// pixels (ui/rawpicture.h) comes from those, without decoding or copying.
QPixmap loadPicture(const QString &path, qreal scale);
// The same as an image, ready to paint; safe on any thread.
QImage loadPictureImage(const QString &path, qreal scale);
// The raw pixels embedded for the picture path (":/name.png"), as an image over
// the program's own bytes; null when there are none.
QImage rawPicture(const QString &path);

class Picture : public QWidget {
    Q_OBJECT
public:
    using Painter = std::function<void(QPainter &, const QRect &)>;

    // standIn draws the picture when the program carries no file for it.
    Picture(const QString &path, Painter standIn, QWidget *parent);

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QString path_;
    Painter standIn_;
    QPixmap pixmap_;
    qreal loadedScale_ = 0;
};

class PictureButton : public QAbstractButton {
    Q_OBJECT
public:
    // caption is what the picture shows; it also names the button for screen
    // readers and is drawn when the picture file is missing.
    PictureButton(const QString &path, const QString &caption, QWidget *parent);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString path_;
    QPixmap pixmap_;
    qreal loadedScale_ = 0;
};
