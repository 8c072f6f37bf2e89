#pragma once
// The board view of the main window: the board panels, the 25 card cells, the
// next card, the eight line scores, the three totals, the hint and the Start
// Game picture. Tmain::buildBoard makes them; Tmain's GameView calls show the
// engine's numbers in them.

#include <array>

class BoardHost;
class CardImage;
class CellHighlight;
class ClickLabel;
class Picture;
class PictureButton;
class QLabel;
class TFlatPanel;

struct MainBoard {
    BoardHost *client = nullptr;        // the client area: centres and scales the board
    TFlatPanel *panel_board = nullptr;  // everything in the client area, kept centred
    TFlatPanel *panel_board1 = nullptr; // the framed board; takes the keyboard
    QLabel *label_name = nullptr;       // the greeting
    QLabel *label_deal = nullptr;       // the deal number, beside the greeting
    Picture *image_logo = nullptr;      // the publisher strip
    std::array<std::array<CardImage *, 6>, 6> card{}; // card[row][col], rows and columns 1..5
    CardImage *image_nextcard = nullptr;
    QLabel *label_cardtype = nullptr;                  // "Next Card" or "STARTER"
    std::array<ClickLabel *, 10> label_linescore{};    // lines 1..4 and 6..9
    QLabel *label_rounds = nullptr;
    QLabel *label_total = nullptr;
    QLabel *label_score = nullptr;
    QLabel *label_breakdown = nullptr;
    PictureButton *button_start = nullptr;
    QLabel *label_countdown = nullptr;  // the seconds left in the pause after a round
    QLabel *label_practice = nullptr;   // says a practice game is not ranked
    CellHighlight *highlight = nullptr; // the cell chosen with the arrow keys
    CellHighlight *lineframe = nullptr; // the line the breakdown panel shows
};
