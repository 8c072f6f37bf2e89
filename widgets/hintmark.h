#pragma once
// The coach's hint on the board: a frame around the cell it would play and, on
// the cell, the round total it expects from there ("≈ 63").

#include <QWidget>

class HintMark : public QWidget {
    Q_OBJECT
public:
    explicit HintMark(QWidget *parent);
    // Marks target (a cell, in the parent's design coordinates) with this caption.
    void mark(const QRect &target, const QString &caption);
    QString caption() const { return caption_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString caption_;
};
