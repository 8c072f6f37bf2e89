// The sound channel on a machine without a sound card (as in CI).
#include "ui/sounds.h"

#include <QElapsedTimer>
#include <QSoundEffect>
#include <QTest>
#include <gtest/gtest.h>

TEST(EffectPlayer, CreatesEffectsOnlyWhenFirstPlayed)
{
    EffectPlayer player;
    EXPECT_TRUE(player.findChildren<QSoundEffect *>().isEmpty());
    player.playsounds("cardclick");
    player.playsounds("cardclick");
    EXPECT_EQ(player.findChildren<QSoundEffect *>().size(), 1);
    EXPECT_EQ(player.current(), "cardclick");
}

TEST(EffectPlayer, OneChannelNeverBlocksAndMatchesNamesWithoutCase)
{
    EffectPlayer player;
    QElapsedTimer clock;
    clock.start();
    for (int round = 0; round < 3; ++round) {
        for (const char *name : EffectPlayer::names) {
            player.playsounds(name);
            QCoreApplication::processEvents();
            // A new sound stops the one before it, even when no device ever
            // reports that a sound has ended.
            int playing = 0;
            for (QSoundEffect *e : player.findChildren<QSoundEffect *>())
                playing += e->isPlaying() ? 1 : 0;
            EXPECT_LE(playing, 1) << name;
        }
    }
    player.playsounds("GAMEOVER");
    EXPECT_EQ(player.current(), "gameover");
    EXPECT_EQ(player.findChildren<QSoundEffect *>().size(), int(EffectPlayer::names.size()));
    // An unknown name beeps instead.
    player.playsounds("applause");
    EXPECT_EQ(player.current(), "applause");
    EXPECT_LT(clock.elapsed(), 5000);
}
