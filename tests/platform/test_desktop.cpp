#include "platform/desktop.h"

#include <QGuiApplication>
#include <QScreen>
#include <gtest/gtest.h>

namespace {

TEST(Desktop, OpenUrlAndStartProcessGoThroughTheReplaceableFunctions)
{
    QList<QUrl> urls;
    QStringList started;
    platform::setUrlOpener([&](const QUrl &url) {
        urls << url;
        return true;
    });
    platform::setProcessStarter([&](const QString &program, const QStringList &args) {
        started << program + " " + args.join(' ');
        return false;
    });
    EXPECT_TRUE(platform::openUrl(QUrl("http://127.0.0.1:8471/")));
    EXPECT_FALSE(platform::startProcess("/opt/q/qvlsetup.exe", {"/SP-", "/silent", "/noicons"}));
    platform::setUrlOpener({});
    platform::setProcessStarter({});
    EXPECT_EQ(urls, QList<QUrl>{QUrl("http://127.0.0.1:8471/")});
    EXPECT_EQ(started, QStringList{"/opt/q/qvlsetup.exe /SP- /silent /noicons"});
}

TEST(Desktop, WorkAreaIsTheAvailablePartOfTheScreen)
{
    ASSERT_NE(QGuiApplication::primaryScreen(), nullptr);
    const QRect primary = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(platform::workArea(), primary);
    const QScreen *last = QGuiApplication::screens().constLast();
    EXPECT_EQ(platform::workArea(last), last->availableGeometry());
    EXPECT_FALSE(platform::workArea().isEmpty());
}

} // namespace
