#pragma once
// The frame drawn around a place on the board: the cell chosen with the arrow
// keys, or the line whose breakdown is shown.

#include <QWidget>

class CellHighlight : public QWidget {
    Q_OBJECT
public:
    explicit CellHighlight(QWidget *parent);
    // Frames target (in the parent's coordinates) with a margin of three
    // pixels, scaled with the board.
    void frame(const QRect &target);

protected:
    void paintEvent(QPaintEvent *event) override;
};
