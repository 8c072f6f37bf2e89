// Building the board view of the main window.
#include "ui/mainform.h"

#include "game/board.h"
#include "game/cards.h"
#include "widgets/boardhost.h"
#include "widgets/builders.h"
#include "widgets/cardimage.h"
#include "widgets/cellhighlight.h"
#include "widgets/flatpanel.h"
#include "widgets/labels.h"
#include "widgets/look.h"
#include "widgets/picturebutton.h"

#include <QLabel>
#include <QPainter>

namespace {

using look::maroon;
using look::pixelFont;

constexpr int cellX[] = {0, 104, 168, 232, 296, 360}; // columns 1..5
constexpr int cellY[] = {0, 8, 96, 184, 272, 358};    // rows 1..5

} // namespace

void Tmain::buildBoard()
{
    // The client area never gets smaller than the board plus five pixels each way.
    auto *host = board_.client = new BoardHost({boardWidth + 5, boardHeight + 5}, this);
    host->setObjectName(QStringLiteral("client"));
    setCentralWidget(host);
    connect(host, &BoardHost::factorChanged, this, &Tmain::boardScaled);

    board_.panel_board = makePanel(host, QStringLiteral("panel_board"), {0, 0, boardWidth, boardHeight}, true,
                                   look::windowColour);
    host->setBoard(board_.panel_board);
    board_.label_name = makeLabel(board_.panel_board, QStringLiteral("label_name"),
                                  QStringLiteral("Welcome to Quenvale"), {6, 14}, pixelFont(13, true), maroon,
                                  {480, 17});
    board_.label_name->setAccessibleName(QStringLiteral("Greeting"));
    board_.image_logo = new Picture(
        QStringLiteral(":/publisher.png"),
        [](QPainter &p, const QRect &r) {
            p.setPen(maroon);
            p.setFont(pixelFont(12, true));
            p.drawText(r, Qt::AlignCenter, QStringLiteral("Quenvale"));
        },
        board_.panel_board);
    board_.image_logo->setObjectName(QStringLiteral("image_logo"));
    board_.image_logo->setGeometry(204, 506, 287, 18);
    board_.image_logo->setCursor(Qt::PointingHandCursor);
    board_.image_logo->setAccessibleName(QStringLiteral("Publisher's web site"));
    connect(board_.image_logo, &Picture::clicked, this, &Tmain::image_logoClick);

    QWidget *board = board_.panel_board1 =
        makePanel(board_.panel_board, QStringLiteral("panel_board1"), {7, 33, 683, 472}, true, maroon);
    // The board takes the keyboard for playing with the arrow keys.
    board->setFocusPolicy(Qt::StrongFocus);
    board->setAccessibleName(QStringLiteral("Board"));
    board->installEventFilter(this);

    // Behind the right-hand panels.
    auto *banner = new Picture(
        QStringLiteral(":/banner.png"),
        [](QPainter &p, const QRect &r) {
            p.setPen(maroon);
            p.setFont(pixelFont(30, true));
            p.translate(r.center());
            p.rotate(-90);
            p.drawText(QRect(-r.height() / 2, -r.width() / 2, r.height(), r.width()), Qt::AlignCenter,
                       QStringLiteral("QUENVALE"));
        },
        board);
    banner->setObjectName(QStringLiteral("image_banner"));
    banner->setGeometry(520, 16, 110, 329);
    banner->setAttribute(Qt::WA_TransparentForMouseEvents);

    buildCells(board);
    buildScores(board);
    buildPauseCountdown(board);
    buildNamePanel(board);
    buildGameOverPanel(board);
    buildContinuePanel(board);
    buildLineScorePanel(board);
    buildUpdatePanel(board);
    buildDealLabels(board);
    buildRankedControls(board);
    buildCoach(board);
}

void Tmain::buildCells(QWidget *board)
{
    for (int row = 1; row <= 5; ++row) {
        for (int col = 1; col <= 5; ++col) {
            auto *c = board_.card[row][col] = new CardImage(imagelist_cards, board);
            c->setObjectName(QStringLiteral("card_%1%2").arg(row).arg(col));
            c->move(cellX[col], row == 5 && col == 1 ? 359 : cellY[row]);
            c->setPlaceName(QStringLiteral("Row %1, column %2").arg(row).arg(col));
            if (row <= 4 && col <= 4) {
                c->setMarked(true);
                c->setClickable(true);
                connect(c, &CardImage::clicked, this, &Tmain::card_11Click);
            }
        }
    }
    board_.highlight = new CellHighlight(board);
    board_.highlight->setObjectName(QStringLiteral("board_highlight"));
    board_.lineframe = new CellHighlight(board);
    board_.lineframe->setObjectName(QStringLiteral("board_lineframe"));

    board_.image_nextcard = new CardImage(imagelist_cards, board);
    board_.image_nextcard->setObjectName(QStringLiteral("image_nextcard"));
    board_.image_nextcard->move(16, 38);
    board_.image_nextcard->setPlaceName(QStringLiteral("Next card"));
    board_.image_nextcard->showCard(qv::cardBack);
    board_.label_cardtype = makeLabel(board, QStringLiteral("label_cardtype"), QStringLiteral("Next Card"),
                                      {16, 23}, pixelFont(11, true), maroon, {57, 13},
                                      Qt::AlignHCenter | Qt::AlignTop);
}

void Tmain::buildScores(QWidget *board)
{
    for (int line : qv::boardLines) {
        auto *label = board_.label_linescore[line] = new ClickLabel(board);
        label->setObjectName(QStringLiteral("label_linescore%1").arg(line));
        label->setFont(pixelFont(19));
        look::setTextColour(label, maroon);
        if (line <= 4) {
            label->setGeometry(432, 40 + (line - 1) * 88, 64, 24);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            label->setAccessibleName(QStringLiteral("Score of row %1").arg(line));
        } else {
            label->setGeometry(102 + (line - 6) * 64, 443, 64, 24);
            label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
            label->setAccessibleName(QStringLiteral("Score of column %1").arg(line - 5));
        }
        label->setCursor(Qt::PointingHandCursor);
        connect(label, &ClickLabel::clicked, this, &Tmain::label_linescore1Click);
    }

    const QFont caption = pixelFont(13);
    makeLabel(board, QStringLiteral("label_roundscaption"), QStringLiteral("Rounds Played"), {8, 385},
              caption, Qt::black);
    makeLabel(board, QStringLiteral("label_totalcaption"), QStringLiteral("Running Total"), {8, 425},
              caption, Qt::black);
    makeLabel(board, QStringLiteral("label_scorecaption"), QStringLiteral("Hands Total"), {424, 425},
              caption, Qt::black);
    const QFont value = pixelFont(21, true);
    const Qt::Alignment centred = Qt::AlignHCenter | Qt::AlignTop;
    board_.label_rounds = makeLabel(board, QStringLiteral("label_rounds"), QStringLiteral("0"), {8, 400}, value,
                                    maroon, {82, 24}, centred);
    board_.label_rounds->setAccessibleName(QStringLiteral("Rounds Played"));
    board_.label_total = makeLabel(board, QStringLiteral("label_total"), QStringLiteral("0"), {8, 440}, value,
                                   maroon, {82, 24}, centred);
    board_.label_total->setAccessibleName(QStringLiteral("Running Total"));
    board_.label_score = makeLabel(board, QStringLiteral("label_score"), QStringLiteral("0"), {426, 440}, value,
                                   maroon, {72, 24}, centred);
    board_.label_score->setAccessibleName(QStringLiteral("Hands Total"));

    board_.label_breakdown = makeLabel(
        board, QStringLiteral("label_breakdown"),
        QStringLiteral("Press on the line's score in order to see a breakdown of the score."), {8, 169},
        pixelFont(13), Qt::black, {81, 88});
    board_.label_breakdown->setWordWrap(true);

    board_.button_start = makeButton(board, QStringLiteral("button_start"), QStringLiteral("start"),
                                     QStringLiteral("Start Game"), {515, 376});
    connect(board_.button_start, &QAbstractButton::clicked, this, &Tmain::button_startClick);
}
