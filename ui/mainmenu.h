#pragma once
// The main window's menu items that the window reads or that tests trigger.

class QAction;

struct MainMenu {
    QAction *StartGame1 = nullptr;
    QAction *PlayNumberedDeal1 = nullptr;
    QAction *NewRankedGame1 = nullptr;
    QAction *Exit1 = nullptr;
    QAction *PlaySounds1 = nullptr; // checked: sounds on
    QAction *ResetScreenLocation1 = nullptr;
    QAction *ChangeName1 = nullptr;
    QAction *updatecheck = nullptr; // checked: the update check runs at start
    QAction *TallyList1 = nullptr;
    QAction *ViewHighScoreList1 = nullptr;
    QAction *Statistics1 = nullptr;
    QAction *FullScreen1 = nullptr; // checked: the window fills the screen
    QAction *CopyDealNumber1 = nullptr; // enabled once a deal has been dealt
    QAction *Help2 = nullptr;
    QAction *CheckforUpdateNow1 = nullptr;
    QAction *About1 = nullptr;
    QAction *Hint1 = nullptr; // enabled while a card is on offer, outside ranked games
    QAction *Demo1 = nullptr; // as Hint1
};
