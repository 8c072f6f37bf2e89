#pragma once
// A flat push button that paints itself: a face, a caption and a frame of one or
// more nested one-pixel rectangles, with a hover look and a pressed look (face
// colour changes, caption moves one pixel right and down). The help and about
// windows use it for all their buttons.

#include <QColor>
#include <QWidget>

class TSelButton : public QWidget {
    Q_OBJECT
public:
    enum class TAlignment { Left, Right, Center };

    // The caption follows the object name until a caption is set, the way a
    // freshly placed button shows its own name.
    explicit TSelButton(QWidget *parent = nullptr);

    QString Caption() const { return caption_; }
    void setCaption(const QString &caption);
    QColor Color() const { return color_; }
    void setColor(const QColor &c);
    QColor ColorBorder() const { return colorBorder_; }
    void setColorBorder(const QColor &c);
    QColor ColorOver() const { return colorOver_; }
    void setColorOver(const QColor &c);
    QColor ColorOverCaption() const { return colorOverCaption_; }
    void setColorOverCaption(const QColor &c);
    QColor ColorDown() const { return colorDown_; }
    void setColorDown(const QColor &c);
    TAlignment Alignment() const { return alignment_; }
    void setAlignment(TAlignment alignment);
    int BorderWidth() const { return borderWidth_; }
    void setBorderWidth(int width);
    // The caption colour of the normal look; the typeface is the widget's font().
    QColor FontColor() const { return fontColor_; }
    void setFontColor(const QColor &c);
    // A free integer, e.g. the page number of a help page button.
    int Tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }

    enum class Look { Normal, Over, Down };
    Look currentLook() const { return look_; }
    // Where the caption's top-left corner is drawn in the current look.
    QPoint captionPos() const;

signals:
    // OnClick: a left click released over the enabled button.
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void setLook(Look look);

    QString caption_;
    bool captionSet_ = false;
    QColor color_;
    QColor colorBorder_{128, 128, 128};
    QColor colorOver_{132, 185, 164};
    QColor colorOverCaption_{Qt::black};
    QColor colorDown_{132, 185, 164};
    QColor fontColor_{128, 128, 128};
    TAlignment alignment_ = TAlignment::Left;
    int borderWidth_ = 1;
    int tag_ = 0;
    Look look_ = Look::Normal;
};
