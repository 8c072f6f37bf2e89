#include "widgets/boardhost.h"

#include "widgets/boardscale.h"

#include <algorithm>

BoardHost::BoardHost(QSize minimum, QWidget *parent) : QWidget(parent), minimum_(minimum)
{
}

void BoardHost::setBoard(QWidget *board)
{
    // Placed once the area has its size (its first resize comes as it is shown).
    board_ = board;
}

qreal BoardHost::factorFor(QSize client) const
{
    const QSize least = minimum_;
    // Below the minimum only when the window system insists: smaller, never cut.
    if (client.width() < least.width() || client.height() < least.height())
        return std::min(qreal(client.width()) / least.width(), qreal(client.height()) / least.height());
    // What the window puts around the client area (its menu bar) is measured, not guessed.
    const QSize around = window() == this ? QSize() : window()->size() - size();
    const QSize design = designWindow_.isValid() ? (designWindow_ - around).expandedTo(least) : least;
    return std::max(1.0, std::min(qreal(client.width()) / design.width(), qreal(client.height()) / design.height()));
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
