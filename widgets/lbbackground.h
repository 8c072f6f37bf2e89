#pragma once
// Tiles a window's surface with a picture. It takes over the window's paint event
// (as an event filter) and draws the tile before the window's own painting.

#include <QObject>
#include <QPixmap>

class QWidget;

class TLbBackground : public QObject {
    Q_OBJECT
public:
    explicit TLbBackground(QWidget *window);
    ~TLbBackground() override;

    bool Enabled() const { return enabled_; }
    void setEnabled(bool enabled);
    const QPixmap &Image() const { return image_; }
    void setImage(const QPixmap &image); // a copy is kept

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *window_;
    QPixmap image_;
    bool enabled_ = true;
};
