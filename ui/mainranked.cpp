// Ranked games: the score server deals every card and scores every round. The
// window passes each placement to the server through the ranked client, hands
// the server's answers to the engine, shows a waiting sign when an answer is
// slow and a line while the server cannot be reached, and takes no card until
// the server has answered.
#include "ui/mainform.h"

#include "ui/highscoreform.h"
#include "ui/settings.h"
#include "widgets/builders.h"
#include "widgets/cardimage.h"
#include "widgets/flatpanel.h"
#include "widgets/look.h"
#include "widgets/waitsign.h"

#include <QLabel>
#include <QLineEdit>
#include <QtDebug>

using look::maroon;
using look::pixelFont;

void Tmain::buildRankedControls(QWidget *board)
{
    rankedTurns_.window = this;
    game_.addListener(rankedTurns_);

    ranked_ = new RankedClient(this);
    ranked_->setObjectName(QStringLiteral("ranked"));
    connect(ranked_, &RankedClient::started, this, &Tmain::rankedStarted);
    connect(ranked_, &RankedClient::placed, this, &Tmain::rankedPlaced);
    connect(ranked_, &RankedClient::recovered, this, &Tmain::rankedRecovered);
    connect(ranked_, &RankedClient::refused, this, &Tmain::rankedRefused);

    // Over the card on offer, which is what the player waits for.
    image_wait = new WaitSign(board);
    image_wait->setObjectName(QStringLiteral("image_wait"));
    image_wait->setGeometry(30, 63, 32, 32);
    connect(ranked_, &RankedClient::waitingChanged, image_wait, [this](bool waiting) {
        image_wait->setVisible(waiting);
        image_wait->raise();
    });

    label_rankedstatus = makeLabel(board, QStringLiteral("label_rankedstatus"), QString(), {4, 262},
                                   pixelFont(12, true), Qt::red, {88, 112}, Qt::AlignHCenter | Qt::AlignTop);
    label_rankedstatus->setWordWrap(true);
    label_rankedstatus->hide();
    // How it failed is there for the curious, under the pointer.
    connect(ranked_, &RankedClient::unreachableNow, this, [this](const QString &reason, int) {
        label_rankedstatus->setText(QStringLiteral("The score server cannot be reached. Trying again..."));
        label_rankedstatus->setToolTip(reason);
        label_rankedstatus->show();
    });
    connect(ranked_, &RankedClient::reached, label_rankedstatus, &QWidget::hide);

    // Where a practice game says it is one.
    label_ranked = makeLabel(board, QStringLiteral("label_ranked"),
                             QStringLiteral("Ranked game: dealt and scored by the score server."), {510, 420},
                             pixelFont(13, true), maroon, {166, 46}, Qt::AlignHCenter | Qt::AlignVCenter);
    label_ranked->setWordWrap(true);
    label_ranked->hide();

    label_rankednote = makeLabel(panels_.panel_over, QStringLiteral("label_rankednote"),
                                 QStringLiteral("Ranked score recorded."), {8, 162}, pixelFont(16, true), maroon,
                                 {175, 44}, Qt::AlignCenter);
    label_rankednote->setWordWrap(true);
    label_rankednote->hide();
}

void Tmain::NewRankedGame1Click()
{
    takeTypedName();
    if (panels_.edit_name->text().trimmed().isEmpty())
        panels_.edit_name->setText(QStringLiteral("Guest"));
    ranked_->cancel();
    ranked_->setServer(server_, QLatin1String(kProductId));
    ranked_->newGame(panels_.edit_name->text());
}

void Tmain::rankedStarted(const RankedStart &start)
{
    game_.startRanked(start.game.toStdString(), start.card);
    board_.panel_board1->setFocus();
}

void Tmain::rankedPlaced(const RankedPlacement &placement)
{
    // The answer must be about the card the engine placed last; anything else
    // means the two have parted, and the server's state decides.
    const int placed = game_.deck().dealpos - 1;
    if (placement.round != game_.rounds() || placement.placed != placed) {
        qWarning("Ranked game: the server's round %d, card %d differs from the board's round %d, card %d",
                 placement.round, placement.placed, game_.rounds(), placed);
        recoverRankedGame();
        return;
    }
    if (placement.scored) {
        if (!game_.scoreRankedRound(*placement.scored))
            rankedScoresDiffered("round " + std::to_string(placement.round));
        return;
    }
    game_.offerCard(placement.card);
}

void Tmain::rankedRecovered(const qv::RankedPosition &position)
{
    if (!game_.takeUpRanked(game_.rankedGame(), position))
        rankedScoresDiffered("the last round");
    board_.panel_board1->setFocus();
}

void Tmain::rankedScoresDiffered(const std::string &when)
{
    qWarning("Ranked game %s: the board's scoring of %s differs from the server's; the server's figures are shown",
             game_.rankedGame().c_str(), when.c_str());
}

void Tmain::rankedRefused(RankedClient::Request request, int status, const QString &reason)
{
    if (request == RankedClient::Request::New) {
        reportError_(QStringLiteral("The score server did not start a ranked game: %1.").arg(reason));
        return;
    }
    if (game_.gameKind() != qv::GameKind::Ranked || game_.rankedGame().empty())
        return;
    // Out of turn or a taken cell: the board and the server have parted, and
    // the server's state is put on the board.
    if (request == RankedClient::Request::Place && status == 409) {
        recoverRankedGame();
        return;
    }
    game_.abandon();
    savedGame_.forget();
    reportError_(QStringLiteral("This ranked game cannot go on: %1.").arg(reason));
}

void Tmain::recoverRankedGame()
{
    ranked_->cancel();
    ranked_->setServer(server_, QLatin1String(kProductId));
    ranked_->recover(QString::fromStdString(game_.rankedGame()));
}

bool Tmain::boardRefusesClicks() const
{
    return ranked_->busy();
}

void Tmain::RankedTurns::roundStarted(const qv::GameFlow &game)
{
    // Another kind of game ends the ranked one; its request is not waited for.
    if (game.gameKind() != qv::GameKind::Ranked) {
        window->ranked_->cancel();
        window->label_rankedstatus->hide();
    }
}

void Tmain::RankedTurns::cardPlaced(const qv::GameFlow &game, int row, int col)
{
    if (game.gameKind() == qv::GameKind::Ranked)
        window->ranked_->place(QString::fromStdString(game.rankedGame()), row, col, game.board().cell(row, col));
}
