// The main window's menu, and the commands that only open another window.
#include "ui/mainform.h"

#include "ui/aboutform.h"
#include "ui/statisticsmodule.h"
#include "widgets/url.h"

#include <QMenuBar>

void Tmain::buildMenu()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    auto menu = [bar](const char *name, const QString &caption) {
        QMenu *m = bar->addMenu(caption);
        m->setObjectName(QLatin1String(name));
        return m;
    };
    auto item = [this](QMenu *m, const char *name, const QString &caption) {
        QAction *a = m->addAction(caption);
        a->setObjectName(QLatin1String(name));
        a->setParent(this); // the window owns its menu items
        return a;
    };
    auto separator = [this](QMenu *m, const char *name) {
        QAction *a = m->addSeparator();
        a->setObjectName(QLatin1String(name));
        a->setParent(this);
    };

    QMenu *file1 = menu("file1", QStringLiteral("&File"));
    menu_.StartGame1 = item(file1, "StartGame1", QStringLiteral("Start Game"));
    // Ctrl+N as well, where players of other games look for a new game.
    menu_.StartGame1->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_S), QKeySequence(Qt::CTRL | Qt::Key_N)});
    connect(menu_.StartGame1, &QAction::triggered, this, &Tmain::StartGame1Click);
    menu_.PlayNumberedDeal1 = item(file1, "PlayNumberedDeal1", QStringLiteral("Play Numbered Deal..."));
    connect(menu_.PlayNumberedDeal1, &QAction::triggered, this, &Tmain::PlayNumberedDeal1Click);
    menu_.NewRankedGame1 = item(file1, "NewRankedGame1", QStringLiteral("New Ranked Game"));
    connect(menu_.NewRankedGame1, &QAction::triggered, this, &Tmain::NewRankedGame1Click);
    buildCoachItems(file1);
    separator(file1, "N1");
    menu_.Exit1 = item(file1, "Exit1", QStringLiteral("Exit"));
    menu_.Exit1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(menu_.Exit1, &QAction::triggered, this, &Tmain::Exit1Click);

    QMenu *Options1 = menu("Options1", QStringLiteral("&Options"));
    menu_.PlaySounds1 = item(Options1, "PlaySounds1", QStringLiteral("Play Sounds"));
    menu_.PlaySounds1->setCheckable(true);
    menu_.PlaySounds1->setChecked(true);
    connect(menu_.PlaySounds1, &QAction::triggered, this, &Tmain::PlaySounds1Click);
    menu_.ResetScreenLocation1 = item(Options1, "ResetScreenLocation1", QStringLiteral("Reset Screen Location"));
    connect(menu_.ResetScreenLocation1, &QAction::triggered, this, &Tmain::ResetScreenLocation1Click);
    menu_.ChangeName1 = item(Options1, "ChangeName1", QStringLiteral("Change  Name"));
    connect(menu_.ChangeName1, &QAction::triggered, this, &Tmain::ChangeName1Click);
    menu_.updatecheck = item(Options1, "updatecheck", QStringLiteral("Automatically Check for Updates"));
    menu_.updatecheck->setCheckable(true);
    menu_.updatecheck->setChecked(true);
    connect(menu_.updatecheck, &QAction::triggered, this, &Tmain::updatecheckClick);

    QMenu *View1 = menu("View1", QStringLiteral("&View"));
    menu_.TallyList1 = item(View1, "TallyList1", QStringLiteral("Tally List"));
    connect(menu_.TallyList1, &QAction::triggered, this, &Tmain::TallyList1Click);
    menu_.ViewHighScoreList1 = item(View1, "ViewHighScoreList1", QStringLiteral("View High Score List"));
    connect(menu_.ViewHighScoreList1, &QAction::triggered, this, &Tmain::ViewHighScoreList1Click);
    menu_.Statistics1 = item(View1, "Statistics1", QStringLiteral("Statistics"));
    connect(menu_.Statistics1, &QAction::triggered, this, &Tmain::Statistics1Click);
    menu_.CopyDealNumber1 = item(View1, "CopyDealNumber1", QStringLiteral("Copy Deal Number"));
    menu_.CopyDealNumber1->setEnabled(false);
    connect(menu_.CopyDealNumber1, &QAction::triggered, this, &Tmain::CopyDealNumber1Click);
    separator(View1, "N4");
    menu_.FullScreen1 = item(View1, "FullScreen1", QStringLiteral("Full Screen"));
    menu_.FullScreen1->setCheckable(true);
    menu_.FullScreen1->setShortcut(QKeySequence(Qt::Key_F11));
    connect(menu_.FullScreen1, &QAction::triggered, this, &Tmain::FullScreen1Click);

    QMenu *Help1 = menu("Help1", QStringLiteral("&Help"));
    menu_.Help2 = item(Help1, "Help2", QStringLiteral("Help"));
    menu_.Help2->setShortcut(QKeySequence(Qt::Key_F1));
    connect(menu_.Help2, &QAction::triggered, this, &Tmain::Help2Click);
    separator(Help1, "N2");
    menu_.CheckforUpdateNow1 = item(Help1, "CheckforUpdateNow1", QStringLiteral("Check for Update Now"));
    connect(menu_.CheckforUpdateNow1, &QAction::triggered, this, &Tmain::CheckforUpdateNow1Click);
    separator(Help1, "N3");
    menu_.About1 = item(Help1, "About1", QStringLiteral("About"));
    connect(menu_.About1, &QAction::triggered, this, &Tmain::About1Click);
}

void Tmain::ResetScreenLocation1Click()
{
    setFullScreen(false);
    setWindowBounds({defaultLeft, defaultTop, defaultWidth, defaultHeight});
}

void Tmain::Exit1Click()
{
    close();
}

void Tmain::About1Click()
{
    showWindow(about_);
}

void Tmain::Help2Click()
{
    showWindow(help_);
}

void Tmain::TallyList1Click()
{
    showWindow(tallylist_);
}

void Tmain::image_logoClick()
{
    if (about_)
        about_->URL1()->open();
}

void Tmain::Statistics1Click()
{
    if (!statistics_) {
        QString error;
        const QString module = statisticsModule_.isNull() ? installedStatisticsModule() : statisticsModule_;
        statistics_ = openStatisticsWindow(module, history_.path(), this, [this] { history_.flush(); }, error);
        if (!statistics_) {
            reportError_(QStringLiteral("The statistics window could not be opened: %1.").arg(error));
            return;
        }
    } else if (statistics_->isVisible()) {
        QMetaObject::invokeMethod(statistics_, "refresh");
    }
    showWindow(statistics_);
}
