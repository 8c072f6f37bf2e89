// What the windows leave until they are first shown, so the program starts
// sooner, is in place and right once they are.
#include "mainwindow_fixture.h"
#include "ui/aboutform.h"
#include "ui/helpform.h"

#include <QTextEdit>

TEST_F(MainWindow, BreakdownCaptionsFitTheirTextOnceThePanelShows)
{
    window();
    QWidget *panel = find("panel_linescore");
    ASSERT_FALSE(panel->isVisible());
    panel->show();
    for (const char *name : {"label_category1", "label_category2", "label_category3", "label_category4",
                             "label_category5", "label_totalheading"}) {
        const QLabel *label = find<QLabel>(name);
        EXPECT_EQ(label->size(), label->sizeHint()) << name;
    }
}

TEST(HelpPages, AreMadeWhenFirstShownWithThePageChosenBefore)
{
    const QPixmap tile(100, 100);
    Thelp help(tile);
    EXPECT_TRUE(help.findChildren<QTextEdit *>().isEmpty());
    EXPECT_EQ(help.currentPage(), 1);
    help.show();
    const QList<QTextEdit *> pages = help.findChildren<QTextEdit *>();
    ASSERT_EQ(pages.size(), 5);
    for (const QTextEdit *page : pages) {
        EXPECT_EQ(page->isVisible(), page->objectName() == "memo1") << page->objectName().toStdString();
        EXPECT_EQ(page->width(), help.findChild<QWidget *>("panel_main")->width() - 2);
    }
}

TEST(AboutLayout, VersionLineIsLaidOutWhenFirstShown)
{
    const QPixmap tile(100, 100);
    Tabout about(tile);
    about.show();
    const auto *version = about.findChild<QLabel *>("version");
    const auto *build = about.findChild<QLabel *>("label_build");
    EXPECT_EQ(version->size(), version->sizeHint());
    EXPECT_GE(build->x(), version->x() + version->fontMetrics().horizontalAdvance("1.0.1"));
    EXPECT_EQ(build->size(), build->sizeHint());
}
