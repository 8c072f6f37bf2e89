// What the main window writes before the program ends, and the game in
// progress put back at start.
#include "ui/mainform.h"

#include "ui/tallylistform.h"
#include "widgets/flatpanel.h"

void Tmain::saveSettingsAndTally()
{
    saveinifile();
    if (auto *tally = qobject_cast<Ttallylist *>(tallylist_))
        tally->saveTally();
}

void Tmain::resumeGame()
{
    history_.open();
    if (savedGame_.resume(game_))
        board_.panel_board1->setFocus(); // the keyboard carries on where it stood
    // A ranked game goes on where the server has it.
    if (game_.gameKind() == qv::GameKind::Ranked && game_.gameactive())
        recoverRankedGame();
}
