#pragma once
// The main window's pictures: plain pictures (the title banner, the publisher
// strip) and the picture buttons (a maroon face with a cream caption, no hover or
// pressed look; a click on the picture is the button's action). Pictures load on
// their first paint, at twice the size on high-density screens, so hidden ones
// cost nothing at start.

#include <QAbstractButton>
#include <QPixmap>
#include <QWidget>

#include <functional>

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
    // The button's rectangle at the design size.
    QRect designRect(qreal factor) const;

    QString path_;
    QPixmap pixmap_;
    qreal loadedScale_ = 0;
};
