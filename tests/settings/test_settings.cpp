#include "ui/settings.h"

#include "platform/paths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        path = tmp.filePath("quenvale.ini");
    }
    void put(const QByteArray &text) const
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    QByteArray contents() const
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    Settings loadWith(const QByteArray &lines) const
    {
        put("[quenvale]\n" + lines);
        return loadSettings(path);
    }

    QTemporaryDir tmp;
    QString path;
};

TEST_F(SettingsTest, NoFileGivesTheDefaultsAndCreatesNothing)
{
    const Settings s = loadSettings(path);
    EXPECT_EQ(s.left, 3);
    EXPECT_EQ(s.top, 3);
    EXPECT_EQ(s.width, 706);
    EXPECT_EQ(s.height, 571);
    EXPECT_EQ(s.name, "Guest");
    EXPECT_TRUE(s.sounds);
    EXPECT_TRUE(s.update);
    EXPECT_EQ(s.server, "http://127.0.0.1:8471/");
    EXPECT_EQ(s.webSite, "127.0.0.1:8471");
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(SettingsTest, SectionAndKeysMatchWithoutCase)
{
    put("[QUENVALE]\ntop=40\nWIDTH=800\nname= Ann \n");
    const Settings s = loadSettings(path);
    EXPECT_EQ(s.top, 40);
    EXPECT_EQ(s.width, 800);
    EXPECT_EQ(s.name, "Ann");
}

TEST_F(SettingsTest, IntegerKeysFollowTheIntegerRule)
{
    const Settings s = loadWith("Top=0x10\nLeft=-4\nWidth=abc\nHeight=$20\n");
    EXPECT_EQ(s.top, 16);
    EXPECT_EQ(s.left, -4);
    EXPECT_EQ(s.width, 706);  // letters give the default, the others still read
    EXPECT_EQ(s.height, 32);

    const Settings t = loadWith("Top=\nLeft=99999999999\nWidth=12px\nHeight=0x\n");
    EXPECT_EQ(t.top, 3);
    EXPECT_EQ(t.left, 3);
    EXPECT_EQ(t.width, 706);
    EXPECT_EQ(t.height, 571);
}

TEST(SettingsInteger, DecimalHexadecimalAndRange)
{
    EXPECT_EQ(parseSettingsInteger("0"), 0);
    EXPECT_EQ(parseSettingsInteger("+7"), 7);
    EXPECT_EQ(parseSettingsInteger("-0"), 0);
    EXPECT_EQ(parseSettingsInteger("007"), 7);
    EXPECT_EQ(parseSettingsInteger("2147483647"), 2147483647);
    EXPECT_EQ(parseSettingsInteger("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(parseSettingsInteger("0X1f"), 31);
    EXPECT_EQ(parseSettingsInteger("$Ff"), 255);
    EXPECT_EQ(parseSettingsInteger("$FFFFFFFF"), -1);  // hexadecimal is a 32-bit pattern
    EXPECT_EQ(parseSettingsInteger("0x000000010"), 16);

    for (const char *bad : {"", "-", "+", "2147483648", "-2147483649", "0x", "$", "0x1G", "$-1",
                            "-0x10", "1 0", "1.5", "1e3", "x10", "0x100000000", "99999999999999999999"})
        EXPECT_EQ(parseSettingsInteger(bad), std::nullopt) << '"' << bad << '"';
}

TEST_F(SettingsTest, OnlyExactlyNoAndFalseTurnTheOptionsOff)
{
    EXPECT_FALSE(loadWith("Sounds=no\n").sounds);
    EXPECT_FALSE(loadWith("Sounds=  no \n").sounds);  // the value is trimmed first
    for (const QByteArray v : {"No", "NO", "off", "", "yes", "0"})
        EXPECT_TRUE(loadWith("Sounds=" + v + "\n").sounds) << v.constData();

    EXPECT_FALSE(loadWith("Update=false\n").update);
    for (const QByteArray v : {"False", "FALSE", "no", "", "0"})
        EXPECT_TRUE(loadWith("Update=" + v + "\n").update) << v.constData();
}

TEST_F(SettingsTest, NameIsTakenAsWritten)
{
    EXPECT_EQ(loadWith("Name=\n").name, "");  // empty, not "Guest"
    EXPECT_EQ(loadWith("Name=Bartholome\n").name, "Bartholome");
    EXPECT_EQ(loadWith("Name=Zoë\n").name, QString::fromUtf8("Zoë"));
}

TEST_F(SettingsTest, ExtraKeysAreRead)
{
    const Settings s = loadWith("Server=http://scores.example/\nWebSite=www.example\n");
    EXPECT_EQ(s.server, "http://scores.example/");
    EXPECT_EQ(s.webSite, "www.example");
}

TEST_F(SettingsTest, FirstSaveWritesAllKeysInOrder)
{
    ASSERT_TRUE(saveSettings(path, Settings{}));
    EXPECT_EQ(contents(), "[quenvale]\nTop=3\nLeft=3\nWidth=706\nHeight=571\nName=Guest\nSounds=yes\nUpdate=true\n");
}

TEST_F(SettingsTest, SaveReplacesKeysInPlaceAndKeepsEverythingElse)
{
    put("# hand-made\r\n[quenvale]\r\nServer=http://scores.example/\r\nUPDATE=false\r\nTop=1\r\n"
        "odd line\r\n\r\n[other]\r\nName=keep\r\n");
    Settings s;
    s.top = -4;
    s.left = 10;
    s.width = 800;
    s.height = 600;
    s.name = "";
    s.sounds = false;
    s.update = true;
    ASSERT_TRUE(saveSettings(path, s));
    EXPECT_EQ(contents(), "# hand-made\r\n[quenvale]\r\nServer=http://scores.example/\r\nUpdate=true\r\nTop=-4\r\n"
                          "odd line\r\nLeft=10\r\nWidth=800\r\nHeight=600\r\nName=\r\nSounds=no\r\n\r\n"
                          "[other]\r\nName=keep\r\n");

    const Settings back = loadSettings(path);
    EXPECT_EQ(back.top, -4);
    EXPECT_EQ(back.name, "");
    EXPECT_FALSE(back.sounds);
    EXPECT_EQ(back.server, "http://scores.example/");
}

TEST_F(SettingsTest, FullScreenKeyAppearsOnlyOnceUsed)
{
    EXPECT_FALSE(loadWith("FullScreen=Yes\n").fullScreen); // only exactly "yes"
    EXPECT_TRUE(loadWith("FullScreen=yes\n").fullScreen);

    QFile::remove(path);
    Settings s;
    ASSERT_TRUE(saveSettings(path, s));
    EXPECT_FALSE(contents().contains("FullScreen"));
    s.fullScreen = true;
    ASSERT_TRUE(saveSettings(path, s));
    EXPECT_TRUE(contents().endsWith("Update=true\nFullScreen=yes\n"));
    EXPECT_TRUE(loadSettings(path).fullScreen);
    // Once there, leaving full screen is written too.
    s.fullScreen = false;
    ASSERT_TRUE(saveSettings(path, s));
    EXPECT_TRUE(contents().endsWith("Update=true\nFullScreen=no\n"));
    EXPECT_FALSE(loadSettings(path).fullScreen);
}

TEST_F(SettingsTest, SavingTwiceGivesTheSameFile)
{
    Settings s;
    s.name = QString::fromUtf8("Zoë");
    ASSERT_TRUE(saveSettings(path, s));
    const QByteArray first = contents();
    ASSERT_TRUE(saveSettings(path, loadSettings(path)));
    EXPECT_EQ(contents(), first);
}

TEST_F(SettingsTest, ReadOnlyFileFailsWithTheMessageAndIsUnchanged)
{
    put("[quenvale]\nTop=1\n");
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    EXPECT_FALSE(saveSettings(path, Settings{}));
    EXPECT_EQ(contents(), "[quenvale]\nTop=1\n");
    EXPECT_EQ(settingsWriteErrorText(path), "Unable to write to " + path + ".");
}

TEST_F(SettingsTest, MissingFolderFails)
{
    EXPECT_FALSE(saveSettings(tmp.filePath("gone/quenvale.ini"), Settings{}));
}

TEST(SettingsLocation, FileNameAndFolderFollowTheProgram)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const QByteArray savedConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", tmp.filePath("config").toUtf8());
    const QString program = tmp.filePath("bin");
    QDir().mkpath(program);
    platform::setProgramDirOverride(program);

    EXPECT_EQ(settingsFilePath(), program + "/quenvale.ini");
    QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner);
    EXPECT_EQ(settingsFilePath(), tmp.filePath("config/quenvale/quenvale.ini"));
    EXPECT_TRUE(saveSettings(settingsFilePath(), Settings{}));

    QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    platform::setProgramDirOverride({});
    qputenv("XDG_CONFIG_HOME", savedConfig);
}

} // namespace

TEST_F(SettingsTest, ANameLongerThanTheFieldIsCutToIt)
{
    // 33 characters, which the score server refuses.
    EXPECT_EQ(loadWith("Name=ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456\n").name, "ABCDEFGHIJ");
    // A character outside the basic plane that would be split is left out whole.
    EXPECT_EQ(loadWith("Name=123456789\xF0\x9F\x83\x8F\n").name, "123456789");
    EXPECT_EQ(loadWith("Name=12345678\xF0\x9F\x83\x8F\n").name, QString::fromUtf8("12345678\xF0\x9F\x83\x8F"));
}

TEST(FittedBounds, HugeAndFarValuesAreFittedIntoTheArea)
{
    const QRect area(0, 0, 1280, 994);
    const QSize least(500, 400);
    auto fitted = [&](int left, int top, int width, int height, QRect in) {
        Settings s;
        s.left = left;
        s.top = top;
        s.width = width;
        s.height = height;
        return fittedBounds(s, in, least);
    };
    EXPECT_EQ(fitted(3, 3, 706, 571, area), QRect(3, 3, 706, 571));
    EXPECT_EQ(fitted(3, 3, 2147483647, 2147483647, area), area);
    EXPECT_EQ(fitted(-99999, -99999, 706, 571, area), QRect(0, 0, 706, 571));
    EXPECT_EQ(fitted(2147483647, 2147483647, 706, 571, area), QRect(574, 423, 706, 571));
    EXPECT_EQ(fitted(-2147483647 - 1, 5, -2147483647 - 1, 10, area), QRect(0, 5, 500, 400));
    // A second screen to the right keeps its own window; an area below the minimum gives the minimum.
    EXPECT_EQ(fitted(1500, 10, 706, 571, QRect(1280, 0, 1920, 1080)), QRect(1500, 10, 706, 571));
    EXPECT_EQ(fitted(-50, -50, 706, 571, QRect(0, 0, 320, 240)), QRect(0, 0, 500, 400));
    // No screen at all: nothing to fit to.
    EXPECT_EQ(fitted(-4, 3, 706, 571, QRect()), QRect(-4, 3, 706, 571));
}
