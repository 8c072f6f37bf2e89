#pragma once
// The frame drawn around the board cell chosen with the arrow keys.

#include <QWidget>

class CellHighlight : public QWidget {
    Q_OBJECT
public:
    explicit CellHighlight(QWidget *parent);
    // Frames the cell whose top-left corner is at cellPos.
    void frameCell(QPoint cellPos);

protected:
    void paintEvent(QPaintEvent *event) override;
};
