#include "ui/aboutform.h"

#include "platform/desktop.h"
#include "widgets/selbutton.h"
#include "widgets/url.h"

#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

#include <vector>

namespace {

struct AboutWindow : ::testing::Test {
    QPixmap tile{100, 100};
    Tabout about{tile};
    std::vector<QUrl> opened;

    void SetUp() override
    {
        platform::setUrlOpener([this](const QUrl &url) {
            opened.push_back(url);
            return true;
        });
        about.show();
    }
    void TearDown() override { platform::setUrlOpener({}); }

    QLabel *label(const char *name) const { return about.findChild<QLabel *>(name); }
};

TEST_F(AboutWindow, WindowProperties)
{
    EXPECT_EQ(about.windowTitle(), "Quenvale - About");
    EXPECT_EQ(about.size(), QSize(304, 193));
    EXPECT_EQ(about.minimumSize(), about.maximumSize());
    EXPECT_EQ(label("Label7")->geometry(), QRect(8, 84, 289, 20));
    EXPECT_EQ(about.findChild<TSelButton *>("button_done")->geometry(), QRect(202, 164, 95, 26));
}

TEST_F(AboutWindow, VersionReadsVersion1010)
{
    EXPECT_EQ(label("label_versionword")->text() + " " + label("version")->text() + label("label_build")->text(),
              "Version 1.0.1.0");
    // ".0" sits to the right of the version, never over it.
    EXPECT_GE(label("label_build")->x(), label("version")->x() + label("version")->fontMetrics().horizontalAdvance("1.0.1"));
}

TEST_F(AboutWindow, LinkLabelOpensThePublishersSite)
{
    EXPECT_EQ(label("Label7")->text(), "127.0.0.1:8471");
    QTest::mouseClick(label("Label7"), Qt::LeftButton);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl("http://127.0.0.1:8471"));

    about.setWebSite("games.example.org");
    EXPECT_EQ(label("Label7")->text(), "games.example.org");
    about.URL1()->open(); // as the main window's publisher strip does
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[1], QUrl("http://games.example.org"));
}

TEST_F(AboutWindow, SchemeInTheSettingIsNotDoubled)
{
    about.setWebSite("https://games.example.org/");
    EXPECT_EQ(label("Label7")->text(), "games.example.org/");
    EXPECT_EQ(about.URL1()->address(), "https://games.example.org/");
}

TEST_F(AboutWindow, EmptySiteOpensNothing)
{
    about.setWebSite("");
    QTest::mouseClick(label("Label7"), Qt::LeftButton);
    EXPECT_TRUE(opened.empty());
}

TEST_F(AboutWindow, DoneOnlyHides)
{
    QTest::mouseClick(about.findChild<TSelButton *>("button_done"), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_FALSE(about.isVisible());
    about.show();
    EXPECT_TRUE(about.isVisible());
    EXPECT_EQ(label("Label7")->text(), "127.0.0.1:8471");
}

} // namespace
