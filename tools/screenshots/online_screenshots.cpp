// Saves pictures of the high-score window showing a page with scores, and of the
// main window offering an update, both served by a score server on 127.0.0.1:
//   online_screenshots HIGHSCORES.png UPDATE.png
#include "platform/paths.h"
#include "tests/server/runningserver.h"
#include "ui/aboutform.h"
#include "ui/application.h"
#include "ui/highscoreform.h"
#include "ui/mainform.h"
#include "shooting.h"
#include "widgets/htmlview.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <fstream>

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s HIGHSCORES.png UPDATE.png\n", argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    initApplication();

    RunningServer server;
    const ScorePost scores[] = {{"Marguerite", "6/2/24", 312}, {"Tobias", "6/9/24", 268}, {"Guest", "5/30/24", 241},
                                {"Ines", "6/1/24", 197},       {"Ravi", "6/4/24", 163},   {"Ondine", "5/28/24", 122}};
    for (const ScorePost &post : scores)
        server.store().add(post);
    std::ofstream(server.files() / "quenvaleversion.txt") << "1.0.2";

    // Settings in a folder of their own, pointing at this server.
    QTemporaryDir dir;
    platform::setProgramDirOverride(dir.path());
    const QString ini = QStringLiteral("[quenvale]\nServer=http://127.0.0.1:%1/\nUpdate=1\nName=Guest\n").arg(server.port());
    if (!shots::writeSettings(dir, ini))
        return 1;

    shots::Silence silence;
    Tmain mainForm(&silence);
    Tabout about(mainForm.backgroundTile(), &mainForm);
    Thighscore highscore(mainForm.backgroundTile(), &mainForm);
    mainForm.setAboutWindow(&about);
    mainForm.setHighScoreWindow(&highscore);
    mainForm.findChild<QWidget *>(QStringLiteral("panel_name"))->hide();
    mainForm.show();

    QWidget *offer = mainForm.findChild<QWidget *>(QStringLiteral("panel_update"));
    const bool offered = QTest::qWaitFor([&] { return offer->isVisible(); }, 10000);
    highscore.loadit();
    highscore.showWindow();
    const bool paged = QTest::qWaitFor(
        [&] { return highscore.viewer()->toPlainText().contains(QStringLiteral("Marguerite")); }, 10000);
    if (!offered || !paged) {
        std::fprintf(stderr, "the server's answers did not arrive\n");
        return 1;
    }
    QTest::qWait(200);
    const bool ok = highscore.grab().save(QString::fromLocal8Bit(argv[1]))
                    && mainForm.grab().save(QString::fromLocal8Bit(argv[2]));
    if (!ok)
        std::fprintf(stderr, "could not save the pictures\n");
    return ok ? 0 : 1;
}
