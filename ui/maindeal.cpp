// The deal number beside the greeting, its copy, numbered deals and what the
// window says of a practice game.
#include "ui/mainform.h"

#include "ui/dealdialog.h"
#include "widgets/builders.h"
#include "widgets/flatpanel.h"
#include "widgets/look.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>

using look::maroon;
using look::pixelFont;

void Tmain::buildDealLabels(QWidget *board)
{
    // Right of the greeting, outside the board's frame; selectable, so it can be
    // copied as well as read.
    board_.label_deal = makeLabel(board_.panel_board, QStringLiteral("label_deal"), QString(), {490, 15},
                                  pixelFont(13), maroon, {200, 17}, Qt::AlignRight | Qt::AlignTop);
    board_.label_deal->setTextInteractionFlags(Qt::TextSelectableByMouse);
    board_.label_deal->setAccessibleName(QStringLiteral("Deal number"));

    // Under the Start Game picture, for the whole of a practice game.
    board_.label_practice = makeLabel(board, QStringLiteral("label_practice"),
                                      QStringLiteral("Practice game: it is not ranked and cannot be posted."),
                                      {510, 420}, pixelFont(13, true), maroon, {166, 46},
                                      Qt::AlignHCenter | Qt::AlignVCenter);
    board_.label_practice->setWordWrap(true);
    board_.label_practice->hide();

    // In the place of SEND SCORE on the game-over panel.
    panels_.label_practicenote = makeLabel(panels_.panel_over, QStringLiteral("label_practicenote"),
                                           QStringLiteral("A practice game is not ranked and cannot be posted."),
                                           {8, 162}, pixelFont(13, true), maroon, {175, 44}, Qt::AlignCenter);
    panels_.label_practicenote->setWordWrap(true);
    panels_.label_practicenote->hide();
}

void Tmain::PlayNumberedDeal1Click()
{
    if (!dealDialog_) {
        dealDialog_ = new NumberedDealDialog(tile_, this);
        connect(dealDialog_, &NumberedDealDialog::dealChosen, this, &Tmain::playNumberedDeal);
    }
    // The current deal is offered, so Enter plays it again.
    dealDialog_->ask(menu_.CopyDealNumber1->isEnabled() ? std::optional(game_.dealNumber()) : std::nullopt);
}

void Tmain::playNumberedDeal(std::uint32_t dealNumber)
{
    game_.playNumberedDeal(dealNumber);
    panels_.panel_over->hide();
    board_.panel_board1->setFocus();
}

void Tmain::CopyDealNumber1Click()
{
    QGuiApplication::clipboard()->setText(QString::number(game_.dealNumber()));
}
