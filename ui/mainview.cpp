// Tmain as the engine's view: each call shows one of the engine's numbers in the
// control that displays it.
#include "ui/mainform.h"

#include "widgets/cardimage.h"
#include "widgets/cellhighlight.h"
#include "widgets/flatpanel.h"
#include "widgets/labels.h"
#include "widgets/picturebutton.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

namespace {

QString text(std::string_view s)
{
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

} // namespace

void Tmain::showCell(int row, int col, int card)
{
    CardImage *cell = board_.card.at(row).at(col);
    if (card == 0)
        cell->clearCard();
    else
        cell->showCard(card);
}

void Tmain::showNextCard(int card, std::string_view caption)
{
    board_.image_nextcard->showCard(card);
    board_.label_cardtype->setText(text(caption));
    coachFollowBoard(); // the next card comes with every change of the board
}

void Tmain::showLineScore(int line, std::optional<int> points)
{
    board_.label_linescore.at(line)->setText(points ? QString::number(*points) : QString());
}

void Tmain::showNumbers(int rounds, int runningTotal, int handsTotal)
{
    board_.label_rounds->setText(QString::number(rounds));
    board_.label_total->setText(QString::number(runningTotal));
    board_.label_score->setText(QString::number(handsTotal));
}

void Tmain::showGreeting(std::string_view greeting)
{
    board_.label_name->setText(text(greeting));
}

void Tmain::showFinalScore(std::string_view score)
{
    panels_.label_score1->setText(text(score));
}

void Tmain::showDeal(std::uint32_t dealNumber, qv::GameKind kind)
{
    const bool practice = kind == qv::GameKind::Practice;
    board_.label_deal->setText((practice ? QStringLiteral("Practice deal %1") : QStringLiteral("Deal %1"))
                                   .arg(dealNumber));
    board_.label_practice->setVisible(practice);
    panels_.label_practicenote->setVisible(practice);
    menu_.CopyDealNumber1->setEnabled(true);
    // The server deals a ranked game: there is no deal number to show or copy.
    lastGameRanked_ = kind == qv::GameKind::Ranked;
    if (lastGameRanked_) {
        board_.label_deal->setText(QStringLiteral("Ranked game"));
        menu_.CopyDealNumber1->setEnabled(false);
    }
    label_ranked->setVisible(lastGameRanked_);
    label_rankednote->setVisible(lastGameRanked_);
}

QWidget *Tmain::panel(qv::Panel panel) const
{
    switch (panel) {
    case qv::Panel::StartButton:
        return board_.button_start;
    case qv::Panel::BreakdownHint:
        return board_.label_breakdown;
    case qv::Panel::Name:
        return panels_.panel_name;
    case qv::Panel::Over:
        return panels_.panel_over;
    case qv::Panel::SendScore:
        return panels_.button_sendscore;
    case qv::Panel::Wait:
        return panels_.panel_wait;
    case qv::Panel::Continue:
        return panels_.panel_continue;
    case qv::Panel::LineScore:
        return panels_.panel_linescore;
    }
    return nullptr;
}

void Tmain::showPanel(qv::Panel which, bool visible)
{
    if (QWidget *w = panel(which))
        w->setVisible(visible);
    if (which == qv::Panel::LineScore && !visible)
        board_.lineframe->hide(); // the line's frame goes with its breakdown
}

std::string Tmain::playerName() const
{
    return panels_.edit_name->text().toStdString();
}
