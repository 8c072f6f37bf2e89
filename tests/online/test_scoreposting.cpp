#include "net/scoreposting.h"
#include "server/scorepost.h"

#include <QUrl>
#include <gtest/gtest.h>

namespace {

const QString server = QStringLiteral("http://scores.example/");
const QString product = QStringLiteral("quenvale");

// The query as the score server receives it, decoded by the server's own rules.
ScorePost received(const QString &name, const QString &date = QStringLiteral("3/5/24"),
                   const QString &score = QStringLiteral("57"))
{
    const QString address = scorePostAddress(server, product, name, date, score);
    const QString query = address.mid(address.indexOf(QLatin1Char('?')) + 1);
    ScorePostParse parsed = parseScorePost(query.toStdString());
    EXPECT_TRUE(parsed.post.has_value()) << parsed.reason << " in " << query.toStdString();
    return parsed.post.value_or(ScorePost{});
}

} // namespace

TEST(ScorePosting, AddressesBelowTheServer)
{
    EXPECT_EQ(scorePostAddress(server, product, QStringLiteral("Guest"), QStringLiteral("3/5/24"), QStringLiteral("57")),
              QStringLiteral("http://scores.example/cgi-bin/quenvale.cgi?name=Guest&date=3%2F5%2F24&score=57"));
    EXPECT_EQ(highScorePageAddress(server, product), QStringLiteral("http://scores.example/counter/quenvale.shtml"));
}

TEST(ScorePosting, EveryNameArrivesAsTyped)
{
    for (const QString &name : {QStringLiteral("a&score=999"), QStringLiteral("Ann Lee"), QStringLiteral("x=1&y=2"),
                               QStringLiteral("1+1 %41"), QStringLiteral("Zoë #1"), QStringLiteral("?/;\\\"<>")}) {
        const ScorePost post = received(name);
        EXPECT_EQ(post.name, name.toStdString());
        EXPECT_EQ(post.score, 57) << name.toStdString();
        EXPECT_EQ(post.date, "3/5/24");
    }
}

TEST(ScorePosting, DateIsMonthDayTwoDigitYearWithTheLocaleSeparator)
{
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    const QLocale de(QLocale::German, QLocale::Germany);
    EXPECT_EQ(postingDate(QDate(2024, 3, 5), us), QStringLiteral("3/5/24"));
    EXPECT_EQ(postingDate(QDate(2024, 12, 31), us), QStringLiteral("12/31/24"));
    EXPECT_EQ(postingDate(QDate(2000, 1, 9), us), QStringLiteral("1/9/00"));
    // The separator follows the locale; the order stays month first.
    EXPECT_EQ(postingDate(QDate(2024, 3, 5), de), QStringLiteral("3.5.24"));
    EXPECT_EQ(received(QStringLiteral("Guest"), postingDate(QDate(2024, 3, 5), de)).date, "3.5.24");
    // A locale that spells the month (the C locale: "5 Mar 2024") has no
    // separator of its own; no letter of the month name is taken for one.
    EXPECT_EQ(postingDate(QDate(2024, 3, 5), QLocale::c()), QStringLiteral("3/5/24"));
}

TEST(PostingWait, DotsCycleOneToFive)
{
    PostingWait wait;
    wait.start();
    std::vector<int> dots;
    for (int i = 0; i < 7; ++i) {
        EXPECT_FALSE(wait.tick());
        dots.push_back(wait.dots());
    }
    EXPECT_EQ(dots, (std::vector<int>{1, 2, 3, 4, 5, 1, 2}));
    EXPECT_EQ(wait.caption(), QStringLiteral("Posting Score, Please Wait.."));
}

TEST(PostingWait, FailsOnTheFortiethTickOnly)
{
    PostingWait wait;
    wait.start();
    for (int i = 1; i < PostingWait::ticks; ++i)
        ASSERT_FALSE(wait.tick()) << "tick " << i;
    EXPECT_TRUE(wait.tick());
    EXPECT_EQ(wait.countdown(), 0);
    EXPECT_FALSE(wait.tick());
    // A new post starts the count again.
    wait.start();
    EXPECT_EQ(wait.countdown(), 40);
    EXPECT_EQ(wait.dots(), 0);
}
