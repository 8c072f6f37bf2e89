// The coach in the main window: "Hint" marks the best cell for the card on
// offer, "Demo" lets the coach play the rest of the round, and after every round
// a line says what the coach would have made of the same cards. The coach works
// on CoachWorker's threads; a result that no longer answers the board is dropped.
#include "ui/mainform.h"

#include "coach/round.h"
#include "ui/coachworker.h"
#include "widgets/boardscale.h"
#include "widgets/builders.h"
#include "widgets/cardimage.h"
#include "widgets/hintmark.h"
#include "widgets/look.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QMenu>
#include <QTimer>

#include <functional>
#include <utility>

namespace {

// Any click or key stops the demo and goes no further; the release of the click
// that stopped it is swallowed too, so it cannot place a card.
class DemoInterrupt : public QObject {
public:
    DemoInterrupt(std::function<void()> stop, QObject *parent) : QObject(parent), stop_(std::move(stop)) {}
    void attach() { QApplication::instance()->installEventFilter(this); }
    // The demo is over; a click that stopped it still has its release to come.
    void detach()
    {
        if (!releasePending_)
            QApplication::instance()->removeEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            releasePending_ = true;
            stop_();
            return true;
        case QEvent::MouseButtonRelease:
            if (!releasePending_)
                return false;
            releasePending_ = false;
            QApplication::instance()->removeEventFilter(this);
            return true;
        case QEvent::ShortcutOverride:
            // Taken as a plain key, so no menu shortcut fires; the key press follows.
            event->accept();
            return true;
        case QEvent::KeyPress:
            stop_();
            return true;
        default:
            return false;
        }
    }

private:
    std::function<void()> stop_;
    bool releasePending_ = false;
};

// The row and column (1..4) of a cell index.
std::pair<int, int> cellOf(int index)
{
    return {index / 4 + 1, index % 4 + 1};
}

// The hint's and the demo's decision on the card-th card of a deal: the seed the
// round review uses for it, so the demo from a round's first card plays the
// round the review describes.
qv::coach::CoachOptions decisionOptions(std::uint32_t deal, int card)
{
    qv::coach::CoachOptions options;
    options.seed = qv::coach::decisionSeed(deal, card);
    return options;
}

} // namespace

void Tmain::buildCoachItems(QMenu *menu)
{
    menu->addSeparator()->setParent(this);
    menu_.Hint1 = menu->addAction(QStringLiteral("Hint"));
    menu_.Hint1->setObjectName(QStringLiteral("Hint1"));
    menu_.Hint1->setParent(this);
    menu_.Hint1->setShortcut(QKeySequence(Qt::Key_H));
    menu_.Hint1->setEnabled(false);
    connect(menu_.Hint1, &QAction::triggered, this, &Tmain::Hint1Click);
    menu_.Demo1 = menu->addAction(QStringLiteral("Demo"));
    menu_.Demo1->setObjectName(QStringLiteral("Demo1"));
    menu_.Demo1->setParent(this);
    menu_.Demo1->setShortcut(QKeySequence(Qt::Key_D));
    menu_.Demo1->setEnabled(false);
    connect(menu_.Demo1, &QAction::triggered, this, &Tmain::Demo1Click);
}

void Tmain::buildCoach(QWidget *board)
{
    coach_.worker = new CoachWorker(this);
    connect(coach_.worker, &CoachWorker::rated, this, &Tmain::coachRated);
    connect(coach_.worker, &CoachWorker::reviewed, this, &Tmain::coachReviewed);

    coach_.mark = new HintMark(board);
    coach_.mark->setObjectName(QStringLiteral("hint_mark"));

    // Left of the board, between the breakdown's hint and the rounds played.
    coach_.label_review = makeLabel(board, QStringLiteral("label_review"), QString(), {8, 300},
                                    look::pixelFont(13, true), look::maroon, {82, 60},
                                    Qt::AlignHCenter | Qt::AlignTop);
    coach_.label_review->setWordWrap(true);
    coach_.label_review->setAccessibleName(QStringLiteral("Coach's round"));
    coach_.label_review->hide();

    coach_.demoTimer = new QTimer(this);
    coach_.demoTimer->setObjectName(QStringLiteral("demoTimer"));
    coach_.demoTimer->setSingleShot(true);
    coach_.demoTimer->setInterval(600);
    connect(coach_.demoTimer, &QTimer::timeout, this, [this] {
        coach_.demoDue = true;
        demoStep();
    });
}

void Tmain::setDemoPace(int milliseconds)
{
    coach_.demoTimer->setInterval(milliseconds);
}

bool Tmain::demoRunning() const
{
    return coach_.demo;
}

void Tmain::Hint1Click()
{
    if (!menu_.Hint1->isEnabled())
        return;
    game_.markPractice();
    coach_.hintWanted = true;
    askCoach();
}

void Tmain::Demo1Click()
{
    if (!menu_.Demo1->isEnabled() || coach_.demo)
        return;
    game_.markPractice();
    coach_.demo = true;
    coach_.demoDue = false;
    if (!coach_.demoInterrupt)
        coach_.demoInterrupt = new DemoInterrupt([this] { stopDemo(); }, this);
    static_cast<DemoInterrupt *>(coach_.demoInterrupt)->attach();
    coach_.demoTimer->start();
    askCoach();
}

void Tmain::stopDemo()
{
    if (!coach_.demo)
        return;
    coach_.demo = false;
    static_cast<DemoInterrupt *>(coach_.demoInterrupt)->detach();
    coach_.demoTimer->stop();
    coach_.hintWanted = false;
    coach_.mark->hide();
}

void Tmain::stopCoach()
{
    stopDemo();
    coach_.worker->cancelAll();
}

void Tmain::askCoach()
{
    if (!game_.cardOnOffer())
        return;
    const qv::coach::CoachInput input = qv::coach::inputFrom(game_.board(), game_.nextCard());
    if (coach_.asked == input) {
        if (coach_.result)
            coachRated(input, *coach_.result); // already rated: shown at once
        return;                                // or on its way
    }
    coach_.asked = input;
    coach_.result.reset();
    coach_.worker->rate(input, decisionOptions(game_.dealNumber(), game_.deck().dealpos - 1));
}

void Tmain::coachRated(const qv::coach::CoachInput &input, const qv::coach::CoachResult &result)
{
    // Only an answer for the board as it stands now.
    if (!game_.cardOnOffer() || input != qv::coach::inputFrom(game_.board(), game_.nextCard()) ||
        result.best < 0)
        return;
    coach_.asked = input;
    coach_.result = result;
    if (coach_.hintWanted || coach_.demo) {
        const auto [row, col] = cellOf(result.best);
        coach_.mark->mark(boardscale::designGeometry(board_.card[row][col]),
                          QStringLiteral("≈ %1").arg(qRound(*result.expected[result.best])));
        coach_.mark->raise();
        coach_.mark->show();
    }
    if (coach_.demo)
        demoStep();
}

void Tmain::demoStep()
{
    if (!coach_.demo || !coach_.demoDue || !coach_.result || !game_.cardOnOffer())
        return;
    coach_.demoDue = false;
    const auto [row, col] = cellOf(coach_.result->best);
    game_.card_11Click(row, col); // the board follows through showNextCard
    if (coach_.demo)
        coach_.demoTimer->start();
}

void Tmain::coachFollowBoard()
{
    if (!coach_.worker)
        return; // the board is still being built
    const bool onOffer = game_.cardOnOffer();
    const bool allowed = onOffer && game_.gameKind() != qv::GameKind::Ranked;
    menu_.Hint1->setEnabled(allowed);
    menu_.Demo1->setEnabled(allowed);

    // Whatever was asked for another board is stale: stopped, and its mark goes.
    const std::optional<qv::coach::CoachInput> now =
        onOffer ? std::optional(qv::coach::inputFrom(game_.board(), game_.nextCard())) : std::nullopt;
    if (coach_.asked != now) {
        coach_.worker->cancelRating();
        coach_.asked.reset();
        coach_.result.reset();
        coach_.hintWanted = false; // a hint is for one card
        coach_.mark->hide();
    }
    if (coach_.demo) {
        if (allowed)
            askCoach();
        else
            stopDemo();
    }

    // The review of a round starts as it is scored and goes with the next deal.
    // A ranked round is dealt by the server, so there is no deal number to replay.
    const bool scored = game_.gameactive() && !onOffer && game_.deck().dealpos > 16 &&
                        game_.gameKind() != qv::GameKind::Ranked;
    if (scored && !coach_.reviewAsked) {
        coach_.reviewAsked = true;
        qv::coach::CoachOptions options;
        options.seed = game_.dealNumber();
        coach_.worker->review(qv::coach::dealtCards(game_.dealNumber()), options);
    } else if (!scored && coach_.reviewAsked) {
        coach_.reviewAsked = false;
        coach_.worker->cancelReview();
        coach_.label_review->hide();
    }
}

void Tmain::coachReviewed(const qv::coach::RoundCards &cards, int total)
{
    if (!coach_.reviewAsked || cards != qv::coach::dealtCards(game_.dealNumber()))
        return;
    coach_.label_review->setText(QStringLiteral("Coach with these cards: %1").arg(total));
    coach_.label_review->show();
}
