#pragma once
// Small controls of the main window's board: the card cells, clickable score
// labels, headings drawn twice as a soft shadow, and the keyboard highlight.

#include <QColor>
#include <QLabel>
#include <QWidget>

class CardImageList;

// Sets a control's integer tag, the number the game keeps in it.
void setTag(QObject *control, int tag);
int tag(const QObject *control);

// A 60 x 82 card picture that records its card number as its tag. A cell with no
// picture shows its empty-cell mark when it has one (the sixteen placeable cells).
class CardImage : public QWidget {
    Q_OBJECT
public:
    CardImage(CardImageList &pictures, QWidget *parent);

    // Drops the picture and shows picture n of the card list (0 = the back);
    // n becomes the tag.
    void showCard(int card);
    // No picture, tag 0.
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

// A label with a click (the line-score labels).
class ClickLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};

// A heading drawn twice: the back copy, then the front copy offset by (dx, dy).
class ShadowLabel : public QWidget {
    Q_OBJECT
public:
    ShadowLabel(const QString &text, const QColor &back, const QColor &front, int dx, int dy,
                QWidget *parent);
    void setWordWrap(bool wrap) { wrap_ = wrap; }
    void setAlignment(Qt::Alignment alignment) { alignment_ = alignment; }
    QString text() const { return text_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString text_;
    QColor back_, front_;
    int dx_, dy_;
    bool wrap_ = false;
    Qt::Alignment alignment_ = Qt::AlignLeft | Qt::AlignTop;
};

// The frame drawn around the cell chosen with the arrow keys.
class CellHighlight : public QWidget {
    Q_OBJECT
public:
    explicit CellHighlight(QWidget *parent);
    // Frames the cell whose top-left corner is at cellPos.
    void frameCell(QPoint cellPos);

protected:
    void paintEvent(QPaintEvent *event) override;
};
