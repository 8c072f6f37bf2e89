#pragma once
// The coach in the main window: its worker, the hint's mark, the round review
// line and the demo's pace. Tmain's methods in maincoach.cpp use them.

#include "coach/coach.h"
#include "coach/round.h"

#include <optional>

class CoachWorker;
class HintMark;
class QLabel;
class QObject;
class QTimer;

struct MainCoach {
    CoachWorker *worker = nullptr;
    HintMark *mark = nullptr;         // the hinted cell and the total expected from it
    QLabel *label_review = nullptr;   // "Coach with these cards: N" after a round
    QTimer *demoTimer = nullptr;      // the demo's pace between two cards
    QObject *demoInterrupt = nullptr; // while the demo plays: any click or key stops it

    // The board and card of the rating asked last (or of the result kept).
    std::optional<qv::coach::CoachInput> asked;
    std::optional<qv::coach::CoachResult> result; // the rating of asked, once it came
    bool hintWanted = false;  // show the rating of asked as a hint when it comes
    bool demo = false;        // the demo plays the round
    bool demoDue = false;     // the demo's pace allows the next card
    bool reviewAsked = false; // the review of the round on the board is on its way or shown
};
