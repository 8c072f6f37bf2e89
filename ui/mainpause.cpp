// The end-of-round pause on the main window: Timer2 and the engine's countdown,
// shown discreetly beside the board, and the verdict at once when the player
// clicks the board or presses Enter or Space.
#include "ui/mainform.h"

#include "widgets/builders.h"
#include "widgets/flatpanel.h"
#include "widgets/look.h"

#include <QLabel>
#include <QMouseEvent>
#include <QTimer>

void Tmain::buildPauseCountdown(QWidget *board)
{
    // Under the banner, over where the Start Game picture sits between games (it is
    // hidden during a round) and clear of the practice note below it.
    board_.label_countdown = makeLabel(board, QStringLiteral("label_countdown"), QString(), {505, 352},
                                       look::pixelFont(13), Qt::black, {146, 48}, Qt::AlignHCenter | Qt::AlignTop);
    board_.label_countdown->setWordWrap(true);
    board_.label_countdown->hide();
}

void Tmain::setPauseTimer(bool on)
{
    if (on)
        Timer2->start();
    else
        Timer2->stop();
    showPauseCountdown();
}

void Tmain::Timer2Timer()
{
    game_.Timer2Timer();
    showPauseCountdown();
}

void Tmain::showPauseCountdown()
{
    const int seconds = game_.pauseSecondsLeft();
    board_.label_countdown->setVisible(seconds > 0);
    if (seconds > 0)
        board_.label_countdown->setText(
            QStringLiteral("Result in %1 s\nClick or press Enter to see it now").arg(seconds));
}

bool Tmain::endPauseByClick(QMouseEvent *event)
{
    if (!game_.timer2Running() || event->button() != Qt::LeftButton)
        return false;
    // Not a click meant for an overlay panel lying on the board.
    QWidget *board = board_.panel_board1;
    QWidget *hit = board->childAt(event->position().toPoint());
    while (hit && hit->parentWidget() != board)
        hit = hit->parentWidget();
    if (qobject_cast<TFlatPanel *>(hit))
        return false;
    game_.endPause();
    return true;
}
