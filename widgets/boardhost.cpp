#include "widgets/boardhost.h"

#include "widgets/boardscale.h"

#include <algorithm>

BoardHost::BoardHost(QSize minimum, QWidget *parent) : QWidget(parent), minimum_(minimum), design_(minimum)
{
}

void BoardHost::setBoard(QWidget *board)
{
    board_ = board;
    placeBoard();
}

qreal BoardHost::factorFor(QSize client) const
{
    const QSize least = minimum_;
    // Below the minimum only when the window system insists: smaller, never cut.
    if (client.width() < least.width() || client.height() < least.height())
        return std::min(qreal(client.width()) / least.width(), qreal(client.height()) / least.height());
    return std::max(1.0, std::min(qreal(client.width()) / design_.width(), qreal(client.height()) / design_.height()));
}

void BoardHost::resizeEvent(QResizeEvent *)
{
    placeBoard();
}

void BoardHost::placeBoard()
{
    if (!board_)
        return;
    const qreal factor = factorFor(size());
    if (factor != boardscale::factor(board_)) {
        boardscale::setFactor(board_, factor);
        emit factorChanged(factor);
    }
    board_->move((width() - board_->width()) / 2, (height() - board_->height()) / 2);
}
