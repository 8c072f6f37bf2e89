// Saves pictures of the help and about windows:
//   help_screenshots HELP.png ABOUT.png [PAGE-BUTTON]
// where PAGE-BUTTON (e.g. button_scoring) picks the help page shown.
#include "ui/aboutform.h"
#include "ui/helpform.h"
#include "widgets/look.h"
#include "widgets/selbutton.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: %s HELP.png ABOUT.png [PAGE-BUTTON]\n", argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    // The program's own font mapping and background tile.
    look::installFontSubstitutions();
    const QPixmap tile = look::backgroundTile();

    Thelp help(tile);
    Tabout about(tile);
    if (argc == 4) {
        TSelButton *page = help.findChild<TSelButton *>(QString::fromLocal8Bit(argv[3]));
        if (!page) {
            std::fprintf(stderr, "no button %s\n", argv[3]);
            return 2;
        }
        emit page->clicked();
    }
    help.show();
    about.show();
    QApplication::processEvents();
    const bool ok = help.grab().save(QString::fromLocal8Bit(argv[1])) && about.grab().save(QString::fromLocal8Bit(argv[2]));
    if (!ok)
        std::fprintf(stderr, "could not save the pictures\n");
    return ok ? 0 : 1;
}
