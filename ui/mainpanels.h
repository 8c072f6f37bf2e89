#pragma once
// The overlay panels of the main window: the name entry, the game-over panel
// with the posting wait, the continue offer, the breakdown of a line and the
// update offer. Tmain builds them; the flows show, fill and hide them.

#include <array>

class CardImage;
class PictureButton;
class QLabel;
class QLineEdit;
class TFlatPanel;

struct MainPanels {
    TFlatPanel *panel_name = nullptr;
    QLineEdit *edit_aname = nullptr; // the name being typed

    TFlatPanel *panel_over = nullptr;
    QLabel *label_score1 = nullptr; // "Your Score: "
    QLineEdit *edit_name = nullptr; // the player name
    PictureButton *button_sendscore = nullptr;
    QLabel *label_practicenote = nullptr; // in SEND SCORE's place in a practice game
    TFlatPanel *panel_wait = nullptr; // inside panel_over, over button_sendscore
    QLabel *label_wait = nullptr;

    TFlatPanel *panel_continue = nullptr;

    TFlatPanel *panel_linescore = nullptr;
    QLabel *label_ls1 = nullptr; // the title, maroon
    QLabel *label_ls2 = nullptr; // its grey shadow
    std::array<CardImage *, 6> card_ls{};  // the line's cards 1..5
    std::array<QLabel *, 7> label_line{};  // 1..5 the categories, 6 the total

    TFlatPanel *panel_update = nullptr;
    PictureButton *button_updateyes = nullptr;
    PictureButton *button_updatecancel = nullptr;
    QLabel *label_update = nullptr; // the status line
};
