// Quenvale: program start.
#include "net/highscoreform.h"
#include "tally/tallylistform.h"
#include "ui/aboutform.h"
#include "ui/application.h"
#include "ui/helpform.h"
#include "ui/mainform.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>

#include <cstdio>
#include <ctime>
#include <unistd.h>

namespace {

// For the start-up benchmark only: with QUENVALE_EXIT_AFTER_FIRST_PAINT set, the
// program prints when the main window has first been painted and ends at once.
class FirstPaintExit : public QObject {
public:
    explicit FirstPaintExit(QWidget *window) : QObject(window) { window->installEventFilter(this); }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            // Once this paint has reached the screen.
            QTimer::singleShot(0, [] {
                timespec now{};
                clock_gettime(CLOCK_MONOTONIC, &now);
                std::printf("first-paint monotonic-ns %lld\n",
                            static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
                std::fflush(stdout);
                _exit(0);
            });
        }
        return false;
    }

private:
    bool seen_ = false;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    initApplication();

    // The windows in their fixed order; the others copy the main window's tile.
    Tmain mainForm;
    closeOnTerminationSignals(&mainForm);
    Tabout about(mainForm.backgroundTile(), &mainForm);
    about.setWebSite(mainForm.webSite());
    Thelp help(mainForm.backgroundTile(), &mainForm);
    Thighscore highscore(mainForm.backgroundTile(), &mainForm);
    Ttallylist tallylist(mainForm.backgroundTile(), &mainForm);

    mainForm.setAboutWindow(&about);
    mainForm.setHelpWindow(&help);
    mainForm.setTallyListWindow(&tallylist);
    mainForm.setHighScoreWindow(&highscore);
    mainForm.setTally(&tallylist);
    QObject::connect(&help, &Thelp::aboutRequested, &mainForm, &Tmain::About1Click);
    // Closing the main window ends the program, whatever else is open.
    QObject::connect(&mainForm, &Tmain::closed, &app, &QApplication::quit, Qt::QueuedConnection);

    if (qEnvironmentVariableIsSet("QUENVALE_EXIT_AFTER_FIRST_PAINT"))
        new FirstPaintExit(&mainForm);
    mainForm.show();
    return app.exec();
}
