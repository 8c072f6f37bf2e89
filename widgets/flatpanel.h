#pragma once
// A container with a one-pixel frame (highlight on top and left, shadow on bottom
// and right), an optional single-line caption, and a face that is either filled
// with the panel's colour or transparent to what its parent paints.

#include <QColor>
#include <QWidget>

class TFlatPanel : public QWidget {
    Q_OBJECT
public:
    explicit TFlatPanel(QWidget *parent = nullptr);

    QColor ColorHighLight() const { return highlight_; }
    void setColorHighLight(const QColor &c);
    QColor ColorShadow() const { return shadow_; }
    void setColorShadow(const QColor &c);
    // Both frame colours at once.
    void setFrameColor(const QColor &c);

    bool Transparent() const { return transparent_; }
    void setTransparent(bool transparent);

    QString Caption() const { return caption_; }
    void setCaption(const QString &caption);
    Qt::Alignment Alignment() const { return alignment_; }
    void setAlignment(Qt::Alignment alignment);

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    QColor highlight_{160, 150, 131};
    QColor shadow_{160, 150, 131};
    bool transparent_ = false;
    QString caption_;
    Qt::Alignment alignment_ = Qt::AlignHCenter;
};
