// The main window's settings: applied at start, saved by the three triggers.
#include "mainwindow_fixture.h"

#include "platform/desktop.h"

#include <QDir>
#include <QLineEdit>

using Strings = std::vector<std::string>;

TEST_F(MainWindow, SettingsAreAppliedAtStart)
{
    writeIni("[quenvale]\nTop=0x10\nLeft=-4\nWidth=abc\nHeight=575\nName=\nSounds=No\nUpdate=false\n");
    Tmain &m = window();
    // Four pixels left of the screen is brought onto it.
    const int left = platform::workArea(m.screen()).left();
    EXPECT_EQ(m.loadedBounds(), QRect(left, 16, 706, 575));
    EXPECT_EQ(m.pos(), QPoint(left, 16));
    EXPECT_EQ(find<QLineEdit>("edit_name")->text(), "");
    EXPECT_EQ(find<QLineEdit>("edit_aname")->text(), "");
    // Only exactly "no" silences the sounds; "false" turns the update check off.
    EXPECT_TRUE(action("PlaySounds1")->isChecked());
    EXPECT_FALSE(action("updatecheck")->isChecked());
    EXPECT_EQ(rec.sounds, Strings{"entered"});
}

TEST_F(MainWindow, LongNameFromTheFileIsCutToTheNameField)
{
    writeIni("[quenvale]\nName=Bartholomew Quentin Fitzgerald III\n");
    window();
    EXPECT_EQ(find<QLineEdit>("edit_name")->text(), "Bartholome");
    EXPECT_EQ(find<QLineEdit>("edit_aname")->text(), "Bartholome");
    window().game().generator().seed(0);
    click("button_namecancel");
    click("button_start");
    EXPECT_EQ(caption("label_name"), "Good Luck Bartholome");
}

TEST_F(MainWindow, HugeOrFarBoundsFromTheFileAreFittedToTheScreenAndFullScreenStillRestores)
{
    writeIni("[quenvale]\nTop=5\nLeft=-99999\nWidth=2147483647\nHeight=2147483647\nFullScreen=yes\n");
    Tmain &m = window();
    const QRect area = platform::workArea(m.screen());
    ASSERT_FALSE(area.isEmpty());
    EXPECT_EQ(m.loadedBounds(), area);
    QCoreApplication::processEvents();
    EXPECT_TRUE(m.isFullScreen());
    action("FullScreen1")->trigger();
    QCoreApplication::processEvents();
    EXPECT_FALSE(m.isFullScreen());
    EXPECT_EQ(m.windowBounds(), area);
    m.close();
    EXPECT_TRUE(iniContents().startsWith(QStringLiteral("[quenvale]\nTop=%1\nLeft=%2\nWidth=%3\nHeight=%4\n")
                                             .arg(area.top())
                                             .arg(area.left())
                                             .arg(area.width())
                                             .arg(area.height())
                                             .toUtf8()))
        << iniContents().toStdString();
}

TEST_F(MainWindow, SoundsOffSilencesEverythingFromTheStart)
{
    writeIni("[quenvale]\nSounds=no\n");
    window();
    EXPECT_FALSE(action("PlaySounds1")->isChecked());
    click("button_namedone");
    click("button_start");
    clickCell(1, 1);
    clickCell(1, 1);
    EXPECT_TRUE(rec.sounds.empty());

    // Turning them on plays from the next event.
    action("PlaySounds1")->trigger();
    clickCell(1, 1);
    EXPECT_EQ(rec.sounds, Strings{"invalid"});
}

TEST_F(MainWindow, TogglingAnOptionSavesEverything)
{
    window();
    find<QLineEdit>("edit_name")->setText("Ann");
    action("PlaySounds1")->trigger();
    EXPECT_FALSE(action("PlaySounds1")->isChecked());
    const QRect b = window().windowBounds();
    EXPECT_EQ(iniContents(), QStringLiteral("[quenvale]\nTop=%1\nLeft=%2\nWidth=%3\nHeight=%4\n"
                                            "Name=Ann\nSounds=no\nUpdate=true\n")
                                 .arg(b.y())
                                 .arg(b.x())
                                 .arg(b.width())
                                 .arg(b.height())
                                 .toUtf8());
    action("PlaySounds1")->trigger();
    action("updatecheck")->trigger();
    EXPECT_TRUE(iniContents().contains("Sounds=yes\nUpdate=false\n"));
    EXPECT_TRUE(errors.empty());
}

TEST_F(MainWindow, UnwritableFileReportsAndKeepsTheToggle)
{
    // A folder where the file should be: no write can succeed, not even as root.
    ASSERT_TRUE(QDir(dir.path()).mkdir("quenvale.ini"));
    window();
    action("PlaySounds1")->trigger();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], QStringLiteral("Unable to write to %1.").arg(iniPath));
    EXPECT_FALSE(action("PlaySounds1")->isChecked());
    click("button_namedone");
    click("button_start");
    EXPECT_TRUE(rec.sounds == Strings{"entered"});

    // At close the error is shown and the window still closes.
    EXPECT_TRUE(window().close());
    EXPECT_EQ(errors.size(), 2u);
}

TEST_F(MainWindow, ClosingSavesTheBounds)
{
    writeIni("[quenvale]\nTop=0\nLeft=30\nWidth=720\nHeight=600\nName=Zed\nSounds=yes\nUpdate=true\n; mine\n");
    Tmain &m = window();
    bool closed = false;
    QObject::connect(&m, &Tmain::closed, [&closed] { closed = true; });
    m.close();
    EXPECT_TRUE(closed);
    EXPECT_EQ(iniContents(),
              "[quenvale]\nTop=0\nLeft=30\nWidth=720\nHeight=600\nName=Zed\nSounds=yes\nUpdate=true\n; mine\n");
}

TEST_F(MainWindow, WindowLargerThanTheWorkAreaIsSavedSmaller)
{
    Tmain &m = window();
    const QRect area = platform::workArea(m.screen());
    ASSERT_FALSE(area.isEmpty());
    m.setWindowBounds(QRect(0, 0, area.width() + 50, area.height() + 40));
    m.close();
    const QByteArray ini = iniContents();
    EXPECT_TRUE(ini.contains("Width=" + QByteArray::number(area.width() + 47))) << ini.toStdString();
    EXPECT_TRUE(ini.contains("Height=" + QByteArray::number(area.height() + 37))) << ini.toStdString();
}

TEST_F(MainWindow, ResetScreenLocation)
{
    Tmain &m = window();
    m.setWindowBounds(QRect(200, 150, 900, 700));
    action("ResetScreenLocation1")->trigger();
    EXPECT_EQ(m.windowBounds().topLeft(), QPoint(Tmain::defaultLeft, Tmain::defaultTop));
    EXPECT_EQ(m.width(), Tmain::defaultWidth);
    EXPECT_GE(m.centralWidget()->height(), Tmain::boardHeight + 5);
    EXPECT_FALSE(QFile::exists(iniPath)); // nothing is saved at this moment
}
