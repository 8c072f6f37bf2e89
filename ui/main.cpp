// Quenvale: program start.
#include "tally/tallymodel.h"
#include "ui/aboutform.h"
#include "ui/application.h"
#include "ui/helpform.h"
#include "ui/highscoreform.h"
#include "ui/mainform.h"
#include "ui/tallylistform.h"
#include "ui/tallyreport.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    initApplication();

    // The tally outlives the windows that show it and report to it.
    TallyModel tally(tallyDate);
    TallyReport tallyReport(tally);

    // The windows in their fixed order; the others copy the main window's tile.
    Tmain mainForm;
    closeOnTerminationSignals(&mainForm);
    Tabout about(mainForm.backgroundTile(), &mainForm);
    about.setWebSite(mainForm.webSite());
    Thelp help(mainForm.backgroundTile(), &mainForm);
    Thighscore highscore(mainForm.backgroundTile(), &mainForm);
    Ttallylist tallylist(tally, mainForm.backgroundTile(), &mainForm);

    mainForm.setAboutWindow(&about);
    mainForm.setHelpWindow(&help);
    mainForm.setTallyListWindow(&tallylist);
    mainForm.setHighScoreWindow(&highscore);
    mainForm.setTally(&tallyReport);
    QObject::connect(&help, &Thelp::aboutRequested, &mainForm, &Tmain::About1Click);
    // Closing the main window ends the program, whatever else is open.
    QObject::connect(&mainForm, &Tmain::closed, &app, &QApplication::quit, Qt::QueuedConnection);

    mainForm.show();
    // Before the first paint: the board comes up as it stood when the program last ended.
    mainForm.resumeGame();
    return app.exec();
}
