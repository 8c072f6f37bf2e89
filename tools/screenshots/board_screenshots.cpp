// Saves pictures of the main window with a round under way, at the window's
// own size and enlarged, where the board is drawn larger:
//   board_screenshots DESIGN.png LARGE.png [WIDTH HEIGHT]
// The large one is WIDTH x HEIGHT (1600 x 1200 unless given).
#include "ui/application.h"
#include "ui/mainform.h"
#include "shooting.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    if (argc != 3 && argc != 5) {
        std::fprintf(stderr, "usage: %s DESIGN.png LARGE.png [WIDTH HEIGHT]\n", argv[0]);
        return 2;
    }
    const QSize large = argc == 5 ? QSize(std::atoi(argv[3]), std::atoi(argv[4])) : QSize(1600, 1200);
    QApplication app(argc, argv);
    initApplication();

    // No settings file: the window opens at its design size, without a server.
    QTemporaryDir dir;
    shots::useFolder(dir);
    shots::Silence silence;
    Tmain window(&silence);
    shots::showBoard(window);

    // The same deal every time, eleven cards down.
    window.game().generator().seed(20240611);
    window.button_startClick();
    const int cells[][2] = {{1, 1}, {1, 2}, {1, 3}, {1, 4}, {2, 2}, {2, 3}, {2, 4}, {3, 1}, {3, 2}, {3, 3}, {4, 1}};
    for (const auto &cell : cells)
        window.game().card_11Click(cell[0], cell[1]);

    bool ok = shots::save(window, argv[1]);
    window.resize(large);
    ok = shots::save(window, argv[2]) && ok;
    if (!ok)
        std::fprintf(stderr, "could not save the pictures\n");
    return ok ? 0 : 1;
}
