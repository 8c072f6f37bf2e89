#include "server/scorepost.h"

#include <gtest/gtest.h>

TEST(QueryDecoding, PercentAndPlus)
{
    EXPECT_EQ(decodeQueryValue("a+b%20c%3C%3e"), "a b c<>");
    EXPECT_EQ(decodeQueryValue("%C3%A9"), "\xC3\xA9");
    // What a player typed unescaped stays as typed.
    EXPECT_EQ(decodeQueryValue("50%"), "50%");
    EXPECT_EQ(decodeQueryValue("%zz%4"), "%zz%4");
}

TEST(QueryDecoding, Utf8IsCheckedStrictly)
{
    EXPECT_EQ(decodeUtf8("a\xC3\xA9\xF0\x9F\x82\xA1")->size(), 3u);
    EXPECT_FALSE(decodeUtf8("\xC3"));              // cut short
    EXPECT_FALSE(decodeUtf8("\xC0\xAF"));          // overlong '/'
    EXPECT_FALSE(decodeUtf8("\xED\xA0\x80"));      // surrogate
    EXPECT_FALSE(decodeUtf8("\xF4\x90\x80\x80"));  // past U+10FFFF
    EXPECT_FALSE(decodeUtf8("\xE9t\xE9"));         // Latin-1
}

TEST(ScorePostParsing, GameQuery)
{
    const ScorePostParse parsed = parseScorePost("name=Guest&date=3/14/25&score=142");
    ASSERT_TRUE(parsed.post) << parsed.reason;
    EXPECT_EQ(parsed.post->name, "Guest");
    EXPECT_EQ(parsed.post->date, "3/14/25");
    EXPECT_EQ(parsed.post->score, 142);
}

TEST(ScorePostParsing, UnescapedNamesFromTheGameSurviveWhole)
{
    EXPECT_EQ(parseScorePost("name=R&D&date=1/2/25&score=7").post->name, "R&D");
    EXPECT_EQ(parseScorePost("name=a=b&date=1/2/25&score=7").post->name, "a=b");
    EXPECT_EQ(parseScorePost("name=x&date=y&date=1.2.25&score=7").post->name, "x&date=y");
    EXPECT_EQ(parseScorePost("name=x&date=y&date=1.2.25&score=7").post->date, "1.2.25");
}

TEST(ScorePostParsing, OtherKeyOrdersAreUnderstood)
{
    const ScorePostParse parsed = parseScorePost("score=9&name=Ann+Lee&date=1%2F2%2F25");
    ASSERT_TRUE(parsed.post) << parsed.reason;
    EXPECT_EQ(parsed.post->name, "Ann Lee");
    EXPECT_EQ(parsed.post->date, "1/2/25");
    EXPECT_EQ(parsed.post->score, 9);
}

TEST(ScorePostParsing, LimitsCountCharactersNotBytes)
{
    const std::string eAcute = "%C3%A9";
    std::string name32, name33;
    for (int i = 0; i < 32; ++i)
        name32 += eAcute;
    name33 = name32 + "x";
    EXPECT_TRUE(parseScorePost("name=" + name32 + "&date=1/2/25&score=1").post);
    EXPECT_EQ(parseScorePost("name=" + name33 + "&date=1/2/25&score=1").reason,
              "The name is longer than 32 characters.");
    EXPECT_TRUE(parseScorePost("name=a&date=" + std::string(16, '1') + "&score=1").post);
    EXPECT_EQ(parseScorePost("name=a&date=" + std::string(17, '1') + "&score=1").reason,
              "The date is longer than 16 characters.");
}

TEST(ScorePostParsing, BadPostsAreRefusedWithAReason)
{
    const struct {
        const char *query;
        const char *reason;
    } cases[] = {
        {"", "Missing name."},
        {"date=1/2/25&score=1", "Missing name."},
        {"name=a&score=1", "Missing date."},
        {"name=a&date=1/2/25", "Missing score."},
        {"name=&date=1/2/25&score=1", "The name is empty."},
        {"name=a&date=&score=1", "The date is empty."},
        {"name=%FF&date=1/2/25&score=1", "The name is not valid UTF-8 text."},
        {"name=a%0Ab&date=1/2/25&score=1", "The name contains control characters."},
        {"name=a&date=1/2/25&score=", "The score is not an integer."},
        {"name=a&date=1/2/25&score=12a", "The score is not an integer."},
        {"name=a&date=1/2/25&score=1.5", "The score is not an integer."},
        {"name=a&date=1/2/25&score=+3", "The score is not an integer."},
        {"name=a&date=1/2/25&score=99999999999999999999", "The score is not an integer."},
    };
    for (const auto &c : cases) {
        const ScorePostParse parsed = parseScorePost(c.query);
        EXPECT_FALSE(parsed.post) << c.query;
        EXPECT_EQ(parsed.reason, c.reason) << c.query;
    }
}

TEST(ScorePostParsing, ScoresOutsideTheGamesRangeAreRefused)
{
    EXPECT_TRUE(parseScorePost("name=a&date=1/2/25&score=0").post);
    EXPECT_TRUE(parseScorePost("name=a&date=1/2/25&score=100000").post);
    for (const char *score : {"-5", "-1", "100001", "9223372036854775807"}) {
        const ScorePostParse parsed = parseScorePost(std::string("name=a&date=1/2/25&score=") + score);
        EXPECT_FALSE(parsed.post) << score;
        EXPECT_EQ(parsed.reason, "The score must be from 0 to 100000.") << score;
    }
}

TEST(NameRules, TextThatCouldPassForAnotherNameIsRefused)
{
    const struct {
        const char *name;
        const char *reason;
    } cases[] = {
        {"Ann\xE2\x80\xAE" "ekim", "The name contains invisible or direction-changing characters."},  // U+202E
        {"\xE2\x81\xA6" "Ann", "The name contains invisible or direction-changing characters."},       // U+2066
        {"An\xE2\x80\x8Bn", "The name contains invisible or direction-changing characters."},         // U+200B
        {"An\xEF\xBB\xBFn", "The name contains invisible or direction-changing characters."},         // U+FEFF
        {"Ann\xC2\xAD", "The name contains invisible or direction-changing characters."},             // soft hyphen
        {"\xE3\x85\xA4", "The name contains invisible or direction-changing characters."},            // Hangul filler
        {"Ann\xC2\x85", "The name contains control characters."},                                     // U+0085
        {"Ann\xC2\x9B", "The name contains control characters."},                                     // CSI
        {"Ann\xE2\x80\xA8", "The name contains control characters."},                                 // line separator
        {"Ann\xEF\xBF\xBE", "The name contains Unicode non-characters."},                             // U+FFFE
        {"Ann\xEF\xB7\x90", "The name contains Unicode non-characters."},                             // U+FDD0
        {"Ann\xF0\x9F\xBF\xBF", "The name contains Unicode non-characters."},                         // U+1FFFF
        {" ", "The name is only spaces."},
        {"  \xC2\xA0\xE3\x80\x80", "The name is only spaces."},                                       // NBSP, ideographic
    };
    for (const auto &c : cases)
        EXPECT_EQ(textRefusal("name", c.name, kMaxNameChars), c.reason) << c.name;
    for (const char *fine : {"Ann Lee", " Ann", "Zo\xC3\xAB", "\xD7\xA9\xD7\xA8\xD7\x94", "\xE5\xA4\xAA\xE9\x83\x8E",
                             "R&D <3"})
        EXPECT_EQ(textRefusal("name", fine, kMaxNameChars), "") << fine;
}

TEST(NameRules, TheDateFollowsThemToo)
{
    EXPECT_EQ(parseScorePost("name=a&date=1/2/25%E2%80%AE&score=1").reason,
              "The date contains invisible or direction-changing characters.");
    EXPECT_EQ(parseScorePost("name=%E2%80%AE&date=1/2/25&score=1").reason,
              "The name contains invisible or direction-changing characters.");
}
