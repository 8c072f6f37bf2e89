#include "platform/paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Every test runs with the program folder and both XDG folders inside one
// temporary folder, so the real home folder is never touched.
class PathsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        program = tmp.path() + "/bin";
        ASSERT_TRUE(QDir().mkpath(program));
        platform::setProgramDirOverride(program);
        savedConfig = qgetenv("XDG_CONFIG_HOME");
        savedData = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_CONFIG_HOME", (tmp.path() + "/config").toUtf8());
        qputenv("XDG_DATA_HOME", (tmp.path() + "/data").toUtf8());
    }
    void TearDown() override
    {
        QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        platform::setProgramDirOverride({});
        qputenv("XDG_CONFIG_HOME", savedConfig);
        qputenv("XDG_DATA_HOME", savedData);
    }
    void makeProgramFolderReadOnly() const
    {
        ASSERT_TRUE(QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner));
    }

    QTemporaryDir tmp;
    QString program;
    QByteArray savedConfig, savedData;
};

TEST_F(PathsTest, ProgramFolderEndsWithASlash)
{
    EXPECT_EQ(platform::programDir(), program + "/");
    platform::setProgramDirOverride({});
    EXPECT_EQ(platform::programDir(), QCoreApplication::applicationDirPath() + "/");
}

TEST_F(PathsTest, FilesLiveBesideAWritableProgram)
{
    EXPECT_EQ(platform::settingsFilePath("quenvale.ini"), program + "/quenvale.ini");
    EXPECT_EQ(platform::dataFilePath("quenvaletally.tld"), program + "/quenvaletally.tld");
    EXPECT_FALSE(QFileInfo::exists(tmp.path() + "/config"));
}

TEST_F(PathsTest, ReadOnlyProgramFolderSendsFilesToTheXdgFolders)
{
    makeProgramFolderReadOnly();
    EXPECT_EQ(platform::settingsFilePath("quenvale.ini"), tmp.path() + "/config/quenvale/quenvale.ini");
    EXPECT_EQ(platform::dataFilePath("t.tld"), tmp.path() + "/data/quenvale/t.tld");
    EXPECT_TRUE(QFileInfo(tmp.path() + "/config/quenvale").isDir());
    EXPECT_TRUE(QFileInfo(tmp.path() + "/data/quenvale").isDir());
}

TEST_F(PathsTest, UnsetOrRelativeXdgVariablesFallBackToTheHomeFolder)
{
    makeProgramFolderReadOnly();
    const QByteArray home = qgetenv("HOME");
    qputenv("HOME", tmp.path().toUtf8());
    qunsetenv("XDG_CONFIG_HOME");
    qputenv("XDG_DATA_HOME", "relative/dir");
    const QString settings = platform::settingsFilePath("quenvale.ini");
    const QString data = platform::dataFilePath("t.tld");
    qputenv("HOME", home);
    EXPECT_EQ(settings, tmp.path() + "/.config/quenvale/quenvale.ini");
    EXPECT_EQ(data, tmp.path() + "/.local/share/quenvale/t.tld");
}

} // namespace
