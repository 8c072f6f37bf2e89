#pragma once
// A card picture of the board: 60 x 82, showing one picture of the card list
// (0 = the back) or none. A cell with no picture shows its empty-cell mark when it
// has one (the sixteen placeable cells).

#include <QWidget>

class CardImageList;

class CardImage : public QWidget {
    Q_OBJECT
public:
    CardImage(CardImageList &pictures, QWidget *parent);

    // Drops the picture and shows picture n of the card list (0 = the back).
    void showCard(int card);
    // No picture.
    void clearCard();
    bool hasPicture() const { return picture_ >= 0; }
    int picture() const { return picture_; }

    void setMarked(bool marked);
    void setClickable(bool clickable) { clickable_ = clickable; }
    // Read before the card name by screen readers, e.g. "Row 2, column 3".
    void setPlaceName(const QString &place);

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void updateAccessibleName();

    CardImageList &pictures_;
    QString place_;
    int picture_ = -1;
    bool marked_ = false;
    bool clickable_ = false;
};
