// The sound channel on a machine without a sound card (as in CI), played through
// the sound module built beside the program.
#include "ui/sounds.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

// The effects live in the module, so they are told apart by class name.
QList<QObject *> effects(const EffectPlayer &player)
{
    QList<QObject *> found;
    for (QObject *o : player.findChildren<QObject *>())
        if (o->inherits("QSoundEffect"))
            found << o;
    return found;
}

int playing(const EffectPlayer &player)
{
    int n = 0;
    for (QObject *e : effects(player))
        n += e->property("playing").toBool() ? 1 : 0;
    return n;
}

bool waitForModule(const EffectPlayer &player)
{
    return QTest::qWaitFor([&] { return player.module() != EffectPlayer::Module::Opening; }, 10000);
}

// Lets every effect finish reading its sound: Qt Multimedia leaks a read still
// under way when the effect is destroyed, which the leak checker would report.
void settle(const EffectPlayer &player)
{
    constexpr int loading = 1; // QSoundEffect::Loading
    EXPECT_TRUE(QTest::qWaitFor([&] {
        const QList<QObject *> all = effects(player);
        return std::none_of(all.begin(), all.end(), [](QObject *e) { return e->property("status").toInt() == loading; });
    }, 10000));
}

} // namespace

TEST(EffectPlayer, OpensTheModuleOnlyForTheFirstSoundAndNotDuringIt)
{
    EffectPlayer player(QStringLiteral(QV_SOUND_MODULE));
    EXPECT_EQ(player.module(), EffectPlayer::Module::Unopened);
    player.playsounds("cardclick");
    // The caller (the window being built) never waits for the module.
    EXPECT_EQ(player.module(), EffectPlayer::Module::Opening);
    EXPECT_TRUE(effects(player).isEmpty());
    ASSERT_TRUE(waitForModule(player));
    EXPECT_EQ(player.module(), EffectPlayer::Module::Ready);
    player.playsounds("cardclick");
    EXPECT_EQ(effects(player).size(), 1);
    EXPECT_EQ(player.current(), "cardclick");
    settle(player);
}

TEST(EffectPlayer, ASoundAskedForWhileTheModuleOpensGivesWayToTheNext)
{
    EffectPlayer player(QStringLiteral(QV_SOUND_MODULE));
    player.playsounds("entered");
    player.playsounds("startgame");
    ASSERT_TRUE(waitForModule(player));
    const QList<QObject *> made = effects(player);
    ASSERT_EQ(made.size(), 1);
    EXPECT_EQ(made[0]->property("source").toUrl(), QUrl("qrc:/sounds/startgame.wav"));
    EXPECT_EQ(player.current(), "startgame");
    settle(player);
}

TEST(EffectPlayer, OneChannelNeverBlocksAndMatchesNamesWithoutCase)
{
    EffectPlayer player(QStringLiteral(QV_SOUND_MODULE));
    player.playsounds("entered");
    ASSERT_TRUE(waitForModule(player));
    QElapsedTimer clock;
    clock.start();
    for (int round = 0; round < 3; ++round) {
        for (const char *name : EffectPlayer::names) {
            player.playsounds(name);
            QCoreApplication::processEvents();
            // A new sound stops the one before it, even when no device ever
            // reports that a sound has ended.
            EXPECT_LE(playing(player), 1) << name;
        }
    }
    player.playsounds("GAMEOVER");
    EXPECT_EQ(player.current(), "gameover");
    EXPECT_EQ(effects(player).size(), int(EffectPlayer::names.size()));
    // An unknown name beeps instead.
    player.playsounds("applause");
    EXPECT_EQ(player.current(), "applause");
    EXPECT_LT(clock.elapsed(), 5000);
    settle(player);
}

TEST(EffectPlayer, WithoutTheModuleTheGameIsSilentAndCarriesOn)
{
    const QTemporaryDir empty;
    for (const QString &path : {QString(), empty.filePath("quenvale-sound.so")}) {
        EffectPlayer player(path);
        player.playsounds("entered");
        ASSERT_TRUE(waitForModule(player));
        EXPECT_EQ(player.module(), EffectPlayer::Module::Missing);
        player.playsounds("CardClick");
        player.playsounds("applause");
        EXPECT_EQ(player.current(), "applause");
        EXPECT_TRUE(effects(player).isEmpty());
    }
    // Not a module at all.
    QTemporaryDir folder;
    QFile junk(folder.filePath("quenvale-sound.so"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not a library");
    junk.close();
    EffectPlayer player(junk.fileName());
    player.playsounds("entered");
    ASSERT_TRUE(waitForModule(player));
    EXPECT_EQ(player.module(), EffectPlayer::Module::Missing);
}

TEST(EffectPlayer, DestroyedWhileTheModuleOpens)
{
    auto player = std::make_unique<EffectPlayer>(QStringLiteral(QV_SOUND_MODULE));
    player->playsounds("entered");
    QCoreApplication::processEvents(); // the worker starts
    player.reset();
    QCoreApplication::processEvents(); // its report finds no player
}

TEST(EffectPlayer, FindsTheModuleBesideTheProgramOrInItsLibraryFolder)
{
    QTemporaryDir root;
    const QDir top(root.path());
    ASSERT_TRUE(top.mkpath("bin") && top.mkpath(QStringLiteral("bin/%1").arg(QV_SOUND_MODULE_DIR)));
    const QString bin = top.filePath("bin");
    EXPECT_TRUE(EffectPlayer::installedModulePath(bin).isEmpty());

    // Installed: below the library folder.
    const QString installed = QDir::cleanPath(bin + "/" + QV_SOUND_MODULE_DIR + "/" + QV_SOUND_MODULE_NAME);
    QFile(installed).open(QIODevice::WriteOnly);
    EXPECT_EQ(EffectPlayer::installedModulePath(bin), installed);
    // Build tree: beside the program, which comes first.
    QFile(bin + "/" + QV_SOUND_MODULE_NAME).open(QIODevice::WriteOnly);
    EXPECT_EQ(EffectPlayer::installedModulePath(bin), QDir::cleanPath(bin + "/" + QV_SOUND_MODULE_NAME));
}
