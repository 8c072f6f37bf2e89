#include "net/httpclient.h"
#include "net/updatecheck.h"
#include "platform/desktop.h"
#include "tests/server/runningserver.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <fstream>

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// An installer that writes down what it was started with, one argument a line.
const QByteArray testInstaller = "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$(dirname \"$0\")/installer-args.tmp\"\n"
                                 "mv \"$(dirname \"$0\")/installer-args.tmp\" \"$(dirname \"$0\")/installer-args.txt\"\n";

class SelfUpdateSteps : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        program = dir.filePath(QStringLiteral("quenvale"));
        backup = dir.filePath(QStringLiteral("quenvale.BAK"));
        installer = dir.filePath(QStringLiteral("qvlsetup.exe"));
        writeFile(program, "the running program");
        SelfUpdate::programFile = [this] { return program; };
        SelfUpdate::exitProgram = [this](int code) { exits.push_back(code); };
    }
    void TearDown() override
    {
        SelfUpdate::programFile = savedProgramFile;
        SelfUpdate::exitProgram = savedExit;
        platform::setProcessStarter({});
    }

    void offerInstaller(const QByteArray &bytes)
    {
        std::ofstream(server.files() / "qvlsetup.exe", std::ios::binary).write(bytes.constData(), bytes.size());
    }
    void recordStarts(bool result)
    {
        platform::setProcessStarter([this, result](const QString &program, const QStringList &arguments) {
            starts.push_back(program + QLatin1Char(' ') + arguments.join(QLatin1Char('|')));
            return result;
        });
    }
    bool update()
    {
        SelfUpdate steps([this](const QString &s) { statuses.push_back(s); },
                         [this](const QString &m) { messages.push_back(m); });
        SelfUpdate::backupProgram();
        return steps.downloadit(getupdate, serverAddress(), QStringLiteral("quenvale"));
    }
    QString serverAddress() const { return QStringLiteral("http://127.0.0.1:%1/").arg(server.port()); }

    const std::function<QString()> savedProgramFile = SelfUpdate::programFile;
    const std::function<void(int)> savedExit = SelfUpdate::exitProgram;
    RunningServer server;
    THttpClient getupdate;
    QTemporaryDir dir;
    QString program, backup, installer;
    std::vector<QString> statuses, messages, starts;
    std::vector<int> exits;
};

} // namespace

TEST(UpdateCheck, AddressesAndFileNames)
{
    const QString server = QStringLiteral("http://scores.example:8080/");
    const QString product = QStringLiteral("quenvale");
    EXPECT_EQ(versionAddress(server, product), QStringLiteral("http://scores.example:8080/quenvale/quenvaleversion.txt"));
    EXPECT_EQ(installerAddress(server, product), QStringLiteral("http://scores.example:8080/quenvale/qvlsetup.exe"));
    EXPECT_EQ(installerFileName(installerAddress(server, product), QStringLiteral("/opt/q/")),
              QStringLiteral("/opt/q/qvlsetup.exe"));
    EXPECT_EQ(backupFileName(QStringLiteral("/opt/q/quenvale")), QStringLiteral("/opt/q/quenvale.BAK"));
    EXPECT_EQ(backupFileName(QStringLiteral("/opt/q/quenvale.exe")), QStringLiteral("/opt/q/quenvale.BAK"));
    EXPECT_EQ(backupFileName(QStringLiteral("/opt/q.d/quenvale")), QStringLiteral("/opt/q.d/quenvale.BAK"));
    EXPECT_EQ(installerArguments(), (QStringList{"/SP-", "/silent", "/noicons"}));
    EXPECT_EQ(updateErrorText(server, product), QStringLiteral("There was an error in the update process. Please "
                                                               "downloadQUENVALE manually from http://scores.example:8080."));
}

TEST(UpdateCheck, AnyDifferenceFromTheRunningVersionIsOffered)
{
    const QString running = QStringLiteral("1.0.1");
    EXPECT_FALSE(updateOffered("1.0.1", running));
    EXPECT_TRUE(updateOffered("1.0.1\n", running));
    EXPECT_TRUE(updateOffered("1.0.1\r\n", running));
    EXPECT_TRUE(updateOffered(" 1.0.1", running));
    EXPECT_TRUE(updateOffered("1.0.0", running));
    EXPECT_TRUE(updateOffered("<html>Not Found</html>", running));
}

TEST_F(SelfUpdateSteps, DownloadStartsTheInstallerWithItsArgumentsAndEnds)
{
    writeFile(backup, "left by an earlier update");
    offerInstaller(testInstaller);

    EXPECT_TRUE(update());
    EXPECT_EQ(statuses, (std::vector<QString>{QStringLiteral("Received %1 bytes").arg(testInstaller.size()),
                                              QStringLiteral("Installing")}));
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(exits, std::vector<int>{0});
    EXPECT_EQ(readAll(installer), testInstaller);
    EXPECT_TRUE(QFile::permissions(installer) & QFileDevice::ExeOwner);
    // The old backup made way for the running program's file, which stays aside
    // for the installer to replace.
    EXPECT_EQ(readAll(backup), "the running program");
    EXPECT_FALSE(QFile::exists(program));

    // The installer really ran, with the three arguments apart.
    const QString args = dir.filePath(QStringLiteral("installer-args.txt"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(args); }, 10000));
    EXPECT_EQ(readAll(args), "/SP-\n/silent\n/noicons\n");
}

TEST_F(SelfUpdateSteps, InstallerThatCannotStartGivesTheErrorAndPutsTheProgramBack)
{
    offerInstaller("MZ setup");
    recordStarts(false);
    EXPECT_FALSE(update());
    EXPECT_EQ(starts, std::vector<QString>{installer + QStringLiteral(" /SP-|/silent|/noicons")});
    EXPECT_EQ(statuses, (std::vector<QString>{QStringLiteral("Received 8 bytes"), QStringLiteral("Installing")}));
    EXPECT_EQ(messages, std::vector<QString>{updateErrorText(serverAddress(), QStringLiteral("quenvale"))});
    EXPECT_EQ(readAll(program), "the running program");
    EXPECT_FALSE(QFile::exists(backup));
    EXPECT_TRUE(exits.empty());
}

