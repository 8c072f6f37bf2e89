// The game's handlers of the main window: they pass the player's clicks and the
// pause timer's ticks to the engine, show the breakdown of a line as the engine
// has it, and gate the game's sounds.
#include "ui/mainform.h"

#include "ui/sounds.h"
#include "widgets/cardimage.h"
#include "widgets/cellhighlight.h"
#include "widgets/flatpanel.h"
#include "widgets/labels.h"

#include <QAction>
#include <QLabel>

void Tmain::button_startClick()
{
    game_.button_startClick();
}

void Tmain::StartGame1Click()
{
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
            game_.card_11Click(row, col);
            return;
        }
    }
}

void Tmain::Timer2Timer()
{
    game_.Timer2Timer();
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
}

void Tmain::Image1Click()
{
    panels_.panel_linescore->hide();
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
