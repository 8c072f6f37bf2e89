// Saves a picture of a ranked game in progress beside its game-over panel, both
// from the main window playing against a score server on 127.0.0.1, and one of
// the board while the server cannot be reached:
//   ranked_screenshots RANKED.png UNREACHABLE.png
#include "net/rankedclient.h"
#include "platform/paths.h"
#include "tests/server/runningserver.h"
#include "ui/application.h"
#include "ui/mainform.h"
#include "shooting.h"

#include <QApplication>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

namespace {

bool answered(RankedClient *client)
{
    return QTest::qWaitFor([&] { return !client->busy(); }, 10000);
}

// Places the card on offer on the first empty cell, row by row.
bool placeNext(Tmain &window, RankedClient *client)
{
    for (int row = 1; row <= 4; ++row)
        for (int col = 1; col <= 4; ++col)
            if (window.game().board().cell(row, col) == 0) {
                window.game().card_11Click(row, col);
                return answered(client);
            }
    return false;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s RANKED.png UNREACHABLE.png\n", argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    initApplication();
    RunningServer server;

    QTemporaryDir dir;
    platform::setProgramDirOverride(dir.path());
    const QString ini = QStringLiteral("[quenvale]\nServer=http://127.0.0.1:%1/\nUpdate=0\nName=Marguerite\n").arg(server.port());
    if (!shots::writeSettings(dir, ini))
        return 1;

    shots::Silence silence;
    Tmain mainForm(&silence);
    mainForm.findChild<QWidget *>(QStringLiteral("panel_name"))->hide();
    mainForm.show();
    auto *client = mainForm.findChild<RankedClient *>(QStringLiteral("ranked"));
    mainForm.NewRankedGame1Click();
    bool ok = answered(client);
    for (int k = 0; ok && k < 9; ++k)
        ok = placeNext(mainForm, client);
    if (!ok) {
        std::fprintf(stderr, "the server's answers did not arrive\n");
        return 1;
    }
    QTest::qWait(200);
    const QPixmap progress = mainForm.grab();

    // Played to the end, the pause cut short.
    qv::GameFlow &game = mainForm.game();
    while (ok && game.gameactive()) {
        if (game.timer2Running())
            game.endPause();
        else if (mainForm.findChild<QWidget *>(QStringLiteral("panel_continue"))->isVisible())
            game.button_start2Click();
        else
            ok = placeNext(mainForm, client);
    }
    QTest::qWait(200);
    const QPixmap over = mainForm.grab();

    QPixmap both(progress.width() + over.width() + 12, std::max(progress.height(), over.height()));
    both.fill(Qt::white);
    {
        QPainter p(&both);
        p.drawPixmap(0, 0, progress);
        p.drawPixmap(progress.width() + 12, 0, over);
    }

    // A new game, then the server out of reach for the next placement.
    mainForm.NewRankedGame1Click();
    ok = ok && answered(client) && placeNext(mainForm, client) && placeNext(mainForm, client);
    client->setServer(QStringLiteral("http://127.0.0.1:1/"), QStringLiteral("quenvale"));
    game.card_11Click(1, 3);
    QTest::qWait(1200);
    const QPixmap unreachable = mainForm.grab();

    ok = ok && both.save(QString::fromLocal8Bit(argv[1])) && unreachable.save(QString::fromLocal8Bit(argv[2]));
    if (!ok)
        std::fprintf(stderr, "could not make the pictures\n");
    return ok ? 0 : 1;
}
