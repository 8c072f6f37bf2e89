// The game's handlers of the main window: they pass the player's clicks and the
// pause timer's ticks to the engine, show the breakdown of a line as the engine
// has it, and gate the game's sounds.
#include "ui/mainform.h"

#include "ui/sounds.h"
#include "widgets/boardscale.h"
#include "widgets/cardimage.h"
#include "widgets/cellhighlight.h"
#include "widgets/flatpanel.h"
#include "widgets/labels.h"

#include <QAction>
#include <QLabel>

void Tmain::button_startClick()
{
    takeTypedName();
    game_.button_startClick();
}

void Tmain::StartGame1Click()
{
    takeTypedName();
    game_.StartGame1Click();
}

void Tmain::card_11Click()
{
    for (int row = 1; row <= 4; ++row) {
        for (int col = 1; col <= 4; ++col) {
            if (board_.card[row][col] != sender())
                continue;
            keyCell_ = {row, col}; // the keyboard carries on from the clicked cell
            board_.highlight->hide();
            // During the pause a click on the board asks for the verdict.
            if (game_.timer2Running())
                game_.endPause();
            else if (!boardRefusesClicks())
                game_.card_11Click(row, col);
            return;
        }
    }
}

void Tmain::button_start2Click()
{
    game_.button_start2Click();
}

void Tmain::button_cancelClick()
{
    game_.button_cancelClick();
}

void Tmain::label_linescore1Click()
{
    for (int line : qv::boardLines) {
        if (board_.label_linescore[line] == sender()) {
            showBreakdown(line);
            return;
        }
    }
}

void Tmain::showBreakdown(int line)
{
    const QString title = QStringLiteral("Line Score:%1").arg(line);
    panels_.label_ls1->setText(title);
    panels_.label_ls2->setText(title);
    // An empty cell shows the card back.
    const std::array<int, 5> cards = game_.linecards(line);
    for (int k = 1; k <= 5; ++k)
        panels_.card_ls[k]->showCard(cards[k - 1]);
    const std::optional<int> total = game_.lineScore(line);
    panels_.label_line[6]->setText(total ? QString::number(*total) : QString());
    const qv::CategoryPoints &points = game_.breakdown(line);
    for (int k = 1; k <= 5; ++k)
        panels_.label_line[k]->setText(QString::number(points[k - 1]));
    panels_.panel_linescore->show();
    frameLine(line);
}

void Tmain::frameLine(int line)
{
    // The line's five cells, the starter's included, and its score, framed
    // under the panel: what shows around the panel's edges tells the line.
    const bool row = line <= 4;
    const int index = row ? line : line - 5;
    QRect area;
    for (int k = 1; k <= 5; ++k)
        area |= boardscale::designGeometry(row ? board_.card[index][k] : board_.card[k][index]);
    // Out along the line to its score, never across the neighbouring lines.
    const QRect score = boardscale::designGeometry(board_.label_linescore[line]);
    if (row)
        area.setRight(score.right());
    else
        area.setBottom(score.bottom());
    board_.lineframe->frame(area);
    board_.lineframe->show();
}

void Tmain::Image1Click()
{
    showPanel(qv::Panel::LineScore, false);
}

void Tmain::playsounds(std::string_view name)
{
    if (!menu_.PlaySounds1->isChecked())
        return;
    if (soundOutput_) {
        soundOutput_->playsounds(name);
        return;
    }
    if (!effects_)
        effects_ = new EffectPlayer(this);
    effects_->playsounds(name);
}
