#include "net/httpclient.h"
#include "net/updatecheck.h"
#include "platform/desktop.h"
#include "net/updatesignature.h"
#include "tests/net/rawserver.h"
#include "tests/online/testreleasekey.h"
#include "tests/server/runningserver.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>
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
        SelfUpdate::releaseKey = [] { return TestReleaseKey::shared().publicPem(); };
    }
    void TearDown() override
    {
        SelfUpdate::programFile = savedProgramFile;
        SelfUpdate::exitProgram = savedExit;
        SelfUpdate::releaseKey = savedKey;
        platform::setProcessStarter({});
    }

    void offerInstaller(const QByteArray &bytes)
    {
        std::ofstream(server.files() / "qvlsetup.exe", std::ios::binary).write(bytes.constData(), bytes.size());
    }
    void offerSignature(const QByteArray &bytes)
    {
        std::ofstream(server.files() / "qvlsetup.exe.sig", std::ios::binary).write(bytes.constData(), bytes.size());
    }
    void offerSignedInstaller(const QByteArray &bytes)
    {
        offerInstaller(bytes);
        offerSignature(TestReleaseKey::shared().sign(bytes));
    }
    // Nothing ran, nothing was left behind, and the program is where it was.
    void expectNothingRunAndTheProgramInPlace()
    {
        EXPECT_TRUE(starts.empty());
        EXPECT_TRUE(exits.empty());
        EXPECT_EQ(readAll(program), "the running program");
        EXPECT_FALSE(QFile::exists(backup));
        EXPECT_FALSE(QFile::exists(installer));
        EXPECT_FALSE(QFile::exists(partialFileName(installer)));
    }
    void recordStarts(bool result)
    {
        platform::setProcessStarter([this, result](const QString &program, const QStringList &arguments) {
            starts.push_back(program + QLatin1Char(' ') + arguments.join(QLatin1Char('|')));
            return result;
        });
    }
    bool update() { return update(serverAddress()); }
    bool update(const QString &base)
    {
        SelfUpdate steps([this](const QString &s) { statuses.push_back(s); },
                         [this](const QString &m) { messages.push_back(m); });
        return steps.downloadit(getupdate, base, QStringLiteral("quenvale"));
    }
    QString serverAddress() const { return QStringLiteral("http://127.0.0.1:%1/").arg(server.port()); }

    const std::function<QString()> savedProgramFile = SelfUpdate::programFile;
    const std::function<void(int)> savedExit = SelfUpdate::exitProgram;
    const std::function<QByteArray()> savedKey = SelfUpdate::releaseKey;
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

TEST(UpdateCheck, OnlyAVersionInA200ReplyIsOfferedAndTheOfferNamesIt)
{
    const QString running = QStringLiteral("1.0.1");
    EXPECT_EQ(offeredVersion(200, "1.0.2", running), QStringLiteral("1.0.2"));
    EXPECT_EQ(offeredVersion(200, " 9.9.9\r\n", running), QStringLiteral("9.9.9"));
    EXPECT_EQ(offeredVersion(200, "1.0.0", running), QStringLiteral("1.0.0"));
    EXPECT_EQ(offeredVersion(200, "1234567890.12345", running), QStringLiteral("1234567890.12345"));
    // The running version, with or without a line break: nothing to offer.
    EXPECT_EQ(offeredVersion(200, "1.0.1", running), QString());
    EXPECT_EQ(offeredVersion(200, "1.0.1\n", running), QString());
    // Error pages, redirects and junk offer nothing, whatever their text.
    EXPECT_EQ(offeredVersion(500, "9.9.9", running), QString());
    EXPECT_EQ(offeredVersion(302, "9.9.9", running), QString());
    EXPECT_EQ(offeredVersion(404, "<html>Not Found</html>", running), QString());
    for (const char *junk : {"", "<html>Not Found</html>", "9.9.9 beta", "v9.9.9", "9..9", ".9", "9.", "9,9",
                             "12345678901234567", "9.9.9\n<script>", "\xff\xfe" "9"})
        EXPECT_EQ(offeredVersion(200, junk, running), QString()) << junk;
    EXPECT_TRUE(updateOffered("1.0.2", running));
    EXPECT_FALSE(updateOffered("junk", running));
}

TEST(UpdateSignature, OnlyTheReleaseKeysSignatureOverTheseBytesPasses)
{
    const TestReleaseKey &key = TestReleaseKey::shared();
    const QByteArray installer = "MZ the installer";
    const QByteArray signature = key.sign(installer);
    ASSERT_EQ(signature.size(), 64);
    EXPECT_EQ(ed25519KeyFromPem(key.publicPem()).size(), 32);

    QString why;
    EXPECT_TRUE(verifyUpdateSignature(installer, signature, key.publicPem(), &why)) << why.toStdString();
    EXPECT_FALSE(verifyUpdateSignature(installer + "!", signature, key.publicPem()));
    QByteArray flipped = signature;
    flipped[10] = char(flipped[10] ^ 1);
    EXPECT_FALSE(verifyUpdateSignature(installer, flipped, key.publicPem()));
    EXPECT_FALSE(verifyUpdateSignature(installer, signature.left(63), key.publicPem()));
    EXPECT_FALSE(verifyUpdateSignature(installer, QByteArray(), key.publicPem()));
    // No key built in, or not an Ed25519 key: nothing ever passes.
    EXPECT_FALSE(verifyUpdateSignature(installer, signature, QByteArray(), &why));
    EXPECT_FALSE(why.isEmpty());
    EXPECT_FALSE(verifyUpdateSignature(installer, signature, "-----BEGIN PUBLIC KEY-----\nMCowBQ==\n-----END PUBLIC KEY-----"));

    // The tool checks what it signed, and refuses a changed file.
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("qvlsetup.exe"));
    const QString priv = dir.filePath(QStringLiteral("k")), pub = dir.filePath(QStringLiteral("k.pub"));
    writeFile(file, installer);
    EXPECT_EQ(TestReleaseKey::run({QStringLiteral("genkey"), priv, pub}), 0);
    EXPECT_NE(TestReleaseKey::run({QStringLiteral("genkey"), priv, pub}), 0); // never overwrites a key
    EXPECT_EQ(TestReleaseKey::run({QStringLiteral("sign"), priv, file}), 0);
    EXPECT_EQ(TestReleaseKey::run({QStringLiteral("verify"), pub, file}), 0);
    EXPECT_TRUE(verifyUpdateSignature(installer, readAll(file + QStringLiteral(".sig")), readAll(pub)));
    writeFile(file, installer + "!");
    EXPECT_EQ(TestReleaseKey::run({QStringLiteral("verify"), pub, file}), 1);
}

TEST_F(SelfUpdateSteps, DownloadStartsTheInstallerWithItsArgumentsAndEnds)
{
    writeFile(backup, "left by an earlier update");
    writeFile(partialFileName(installer), "left by a download that was cut off");
    offerSignedInstaller(testInstaller);

    EXPECT_TRUE(update());
    EXPECT_EQ(statuses, (std::vector<QString>{QStringLiteral("Received %1 bytes").arg(testInstaller.size()),
                                              QStringLiteral("Installing")}));
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(exits, std::vector<int>{0});
    EXPECT_EQ(readAll(installer), testInstaller);
    EXPECT_FALSE(QFile::exists(partialFileName(installer)));
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
    offerSignedInstaller("MZ setup");
    recordStarts(false);
    EXPECT_FALSE(update());
    EXPECT_EQ(starts, std::vector<QString>{installer + QStringLiteral(" /SP-|/silent|/noicons")});
    EXPECT_EQ(statuses, (std::vector<QString>{QStringLiteral("Received 8 bytes"), QStringLiteral("Installing")}));
    EXPECT_EQ(messages, std::vector<QString>{updateErrorText(serverAddress(), QStringLiteral("quenvale"))});
    EXPECT_EQ(readAll(program), "the running program");
    EXPECT_FALSE(QFile::exists(backup));
    EXPECT_FALSE(QFile::exists(installer));
    EXPECT_TRUE(exits.empty());
}


TEST_F(SelfUpdateSteps, InstallerWithoutTheReleaseKeysSignatureNeverRuns)
{
    const QByteArray setup = "MZ setup from somewhere";
    const QByteArray good = TestReleaseKey::shared().sign(setup);
    QByteArray flipped = good;
    flipped[0] = char(flipped[0] ^ 0x80);
    const std::vector<std::pair<const char *, std::function<void()>>> cases = {
        {"no signature on the server", [] {}},
        {"a signature of other bytes", [&] { offerSignature(TestReleaseKey::shared().sign("MZ the real one")); }},
        {"one bit changed", [&] { offerSignature(flipped); }},
        {"a signature too long to be one", [&] { offerSignature(good + QByteArray(100000, 'x')); }},
        {"no release key in the program", [&] {
             offerSignature(good);
             SelfUpdate::releaseKey = [] { return QByteArray(); };
         }},
    };
    for (const auto &[name, prepare] : cases) {
        SCOPED_TRACE(name);
        std::filesystem::remove(server.files() / "qvlsetup.exe.sig");
        SelfUpdate::releaseKey = [] { return TestReleaseKey::shared().publicPem(); };
        offerInstaller(setup);
        prepare();
        recordStarts(true);
        messages.clear();
        EXPECT_FALSE(update());
        EXPECT_EQ(messages, std::vector<QString>{updateErrorText(serverAddress(), QStringLiteral("quenvale"))});
        expectNothingRunAndTheProgramInPlace();
    }
}

TEST_F(SelfUpdateSteps, FailedDownloadsLeaveNoFileBehind)
{
    // Cut off after 10 of 100000 bytes, refused, and a server that is gone.
    RawServer cutOff([](RawServer::Connection &c) {
        c.send("HTTP/1.0 200 OK\r\nContent-Length: 100000\r\n\r\nMZ partial");
    });
    RawServer refused([](RawServer::Connection &c) { c.send(RawServer::reply("500 Oops", "9.9.9")); });
    for (const QString &base : {cutOff.url("/"), refused.url("/"),
                                QStringLiteral("http://127.0.0.1:%1/").arg(RawServer::closedPort())}) {
        SCOPED_TRACE(base.toStdString());
        recordStarts(true);
        statuses.clear();
        EXPECT_FALSE(update(base));
        EXPECT_EQ(statuses, std::vector<QString>{QStringLiteral("Download Aborted")});
        expectNothingRunAndTheProgramInPlace();
    }
}

TEST_F(SelfUpdateSteps, InstallerThatCannotBePutInPlacePutsTheProgramBack)
{
    offerSignedInstaller("MZ setup");
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("qvlsetup.exe")));
    recordStarts(true);
    EXPECT_FALSE(update());
    EXPECT_EQ(messages, std::vector<QString>{updateErrorText(serverAddress(), QStringLiteral("quenvale"))});
    EXPECT_TRUE(starts.empty());
    EXPECT_EQ(readAll(program), "the running program");
    EXPECT_FALSE(QFile::exists(backup));
    EXPECT_FALSE(QFile::exists(partialFileName(installer)));
}
