// Saves pictures of the coach in the main window: a hint on the board, and the
// line after a round that says what the coach made of the same cards:
//   coach_screenshots HINT.png REVIEW.png [WIDTH HEIGHT]
// at the window's own size unless a size is given.
#include "ui/application.h"
#include "ui/mainform.h"
#include "shooting.h"

#include <QAction>
#include <QApplication>
#include <QLabel>

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    if (argc != 3 && argc != 5) {
        std::fprintf(stderr, "usage: %s HINT.png REVIEW.png [WIDTH HEIGHT]\n", argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    initApplication();

    QTemporaryDir dir;
    shots::useFolder(dir);
    shots::Silence silence;
    Tmain window(&silence);
    shots::showBoard(window);
    if (argc == 5)
        window.resize(std::atoi(argv[3]), std::atoi(argv[4]));

    // Nine cards down, then a hint for the tenth.
    window.game().generator().seed(20240611);
    window.button_startClick();
    const int cells[][2] = {{1, 1}, {1, 2}, {1, 3}, {2, 1}, {2, 2}, {2, 4}, {3, 1}, {3, 3}, {4, 2}};
    for (const auto &cell : cells)
        window.game().card_11Click(cell[0], cell[1]);
    window.Hint1Click();
    QWidget *mark = window.findChild<QWidget *>(QStringLiteral("hint_mark"));
    bool ok = shots::waitFor([mark] { return mark->isVisible(); }) && shots::save(window, argv[1]);

    // The rest of the round by the player, row by row; the review follows the verdict.
    for (int row = 1; row <= 4; ++row)
        for (int col = 1; col <= 4; ++col)
            if (window.game().board().cell(row, col) == 0)
                window.game().card_11Click(row, col);
    window.game().endPause();
    QLabel *review = window.findChild<QLabel *>(QStringLiteral("label_review"));
    ok = shots::waitFor([review] { return review->isVisible(); }) && shots::save(window, argv[2]) && ok;
    if (!ok)
        std::fprintf(stderr, "could not save the pictures\n");
    return ok ? 0 : 1;
}
