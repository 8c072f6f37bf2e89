// Keyboard play on the main window's board: the arrow keys choose a cell, Enter
// or Space places the next card on it (or, in the pause after a round, asks for
// the verdict).
#include "ui/mainform.h"

#include "widgets/boardscale.h"
#include "widgets/cardimage.h"
#include "widgets/cellhighlight.h"
#include "widgets/flatpanel.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>

bool Tmain::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == board_.panel_board1) {
        switch (event->type()) {
        case QEvent::KeyPress:
            return boardKey(static_cast<QKeyEvent *>(event)->key());
        case QEvent::MouseButtonRelease:
            return endPauseByClick(static_cast<QMouseEvent *>(event));
        case QEvent::FocusIn: {
            // Tabbing onto the board shows the chosen cell at once; a mouse player
            // never sees the frame until a key is pressed.
            const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
            if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason)
                moveKeyboardCell(0, 0);
            break;
        }
        case QEvent::FocusOut:
            board_.highlight->hide();
            break;
        default:
            break;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void Tmain::moveKeyboardCell(int dRow, int dCol)
{
    keyCell_.setX(std::clamp(keyCell_.x() + dRow, 1, 4));
    keyCell_.setY(std::clamp(keyCell_.y() + dCol, 1, 4));
    CardImage *c = board_.card[keyCell_.x()][keyCell_.y()];
    board_.highlight->frame(boardscale::designGeometry(c));
    board_.highlight->show();
    // Screen readers hear the chosen cell through the board's description.
    board_.panel_board1->setAccessibleDescription(c->accessibleName());
}

bool Tmain::boardKey(int key)
{
    switch (key) {
    case Qt::Key_Left:
        moveKeyboardCell(0, -1);
        return true;
    case Qt::Key_Right:
        moveKeyboardCell(0, 1);
        return true;
    case Qt::Key_Up:
        moveKeyboardCell(-1, 0);
        return true;
    case Qt::Key_Down:
        moveKeyboardCell(1, 0);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (game_.timer2Running()) {
            game_.endPause();
            return true;
        }
        // Never place a card on a cell the player cannot see chosen.
        if (!board_.highlight->isHidden() && !boardRefusesClicks())
            game_.card_11Click(keyCell_.x(), keyCell_.y());
        moveKeyboardCell(0, 0); // shows the frame, and tells what the cell holds now
        return true;
    default:
        return false;
    }
}
