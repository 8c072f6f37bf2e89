#pragma once
// The main window's client area: keeps the board centred and, once the area
// grows beyond its design size, draws the whole board larger by one factor,
// in proportion (widgets/boardscale.h). The area is never made smaller than
// the board plus a margin; should the window system make it smaller all the
// same, the board is drawn smaller rather than cut.

#include <QWidget>

class BoardHost : public QWidget {
    Q_OBJECT
public:
    // minimum: the smallest client area the window allows. It is a hint to the
    // window's layout only, so a client area made smaller all the same still
    // shows the whole board.
    BoardHost(QSize minimum, QWidget *parent);
    QSize minimumSizeHint() const override { return minimum_; }

    void setBoard(QWidget *board);
    // The window size at which the board is drawn at its design size (the
    // window's default size): the client area is that less the window's menu
    // bar. Until set, the minimum.
    void setDesignWindowSize(QSize size) { designWindow_ = size; }
    // The board's factor for a client area of this size.
    qreal factorFor(QSize client) const;

signals:
    void factorChanged(qreal factor);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void placeBoard();

    QWidget *board_ = nullptr;
    QSize minimum_;
    QSize designWindow_;
};
