// Ranked games through HTTP, on whichever backend this program tests.

#include "rawhttp.h"
#include "runningserver.h"
#include "testbackend.h"

#include "game/cardtext.h"

#include <atomic>

namespace {

class RankedGames : public BackendTest {
protected:
    void SetUp() override
    {
        BackendTest::SetUp();
        if (IsSkipped())
            return;
        options.ranked.clock = [this] { return clock.load(); };
    }
    RunningServer &server()
    {
        if (!server_)
            server_ = std::make_unique<RunningServer>(options, openTestStore(tmp.path()));
        return *server_;
    }
    RawReply start(const std::string &name = "Ann", const std::string &from = "127.0.0.1")
    {
        return postJson(server().port(), "/quenvale/ranked/new", "{\"name\": \"" + name + "\"}", from);
    }
    RawReply place(const std::string &token, int row, int col, const std::string &extra = "")
    {
        return postJson(server().port(), "/quenvale/ranked/place",
                        "{\"game\": \"" + token + "\", \"row\": " + std::to_string(row) +
                            ", \"col\": " + std::to_string(col) + extra + "}");
    }

    TempFolder tmp;
    ServerOptions options;
    std::atomic<std::int64_t> clock = 1'700'000'000;

private:
    std::unique_ptr<RunningServer> server_;
};

bool isJsonError(const RawReply &reply)
{
    return reply.headers.find("Content-Type: application/json") != std::string::npos &&
           reply.body.starts_with("{\"error\": \"") && reply.body.ends_with("\"}\n");
}

}  // namespace

TEST_F(RankedGames, AWholeGameToItsEndIsScoredStoredAndListed)
{
    const RawReply started = start();
    ASSERT_EQ(started.status, 200) << started.body;
    const std::string token = jsonField(started.body, "game");
    ASSERT_EQ(token.size(), 32u);
    EXPECT_EQ(jsonField(started.body, "round"), "1");
    ASSERT_TRUE(qv::parseCard(jsonField(started.body, "card")));

    RawReply last;
    int placements = 0, round = 1;
    for (int cell = 0; placements < 16 * 40; ++placements) {
        last = place(token, cell / 4 + 1, cell % 4 + 1);
        ASSERT_EQ(last.status, 200) << last.body;
        ASSERT_EQ(jsonField(last.body, "round"), std::to_string(round));
        ASSERT_EQ(jsonField(last.body, "placed"), std::to_string(cell + 1));
        cell = (cell + 1) % 16;
        if (cell != 0)
            continue;
        const std::string verdict = jsonField(last.body, "verdict");
        const int hands = std::stoi(jsonField(last.body, "hands_total"));
        EXPECT_EQ(verdict, hands >= 55 ? "continue" : "over");
        if (verdict == "over")
            break;
        ++round;
        EXPECT_TRUE(qv::parseCard(jsonField(last.body, "next_round_card")));
    }
    const int score = std::stoi(jsonField(last.body, "running_total"));
    const std::vector<FinishedGame> finished = server().store().finishedGames();
    ASSERT_EQ(finished.size(), 1u);
    EXPECT_EQ(finished[0].name, "Ann");
    EXPECT_EQ(finished[0].score, score);
    EXPECT_EQ(finished[0].rounds, round);
    const std::optional<Replay> replay = replayGame(finished[0].seeds, finished[0].moves);
    ASSERT_TRUE(replay);
    EXPECT_EQ(replay->score, score);

    const RawReply state = rawGet(server().port(), "/quenvale/ranked/game?id=" + token);
    EXPECT_EQ(state.status, 200);
    EXPECT_EQ(jsonField(state.body, "verdict"), "over");
    EXPECT_EQ(jsonField(state.body, "card"), "null");
    EXPECT_EQ(jsonField(state.body, "running_total"), std::to_string(score));
    const std::string page = rawGet(server().port(), "/counter/quenvale-ranked.shtml").body;
    const std::string row = "<td align=\"left\">Ann</td><td align=\"right\">" + std::to_string(score) + "</td>";
    const std::size_t today = page.find(row);
    EXPECT_NE(today, std::string::npos) << page;
    EXPECT_NE(page.find(row, today + 1), std::string::npos);  // and again under all time
}

TEST_F(RankedGames, ARetryGetsTheSameAnswerAndWrongTurnsAreRefused)
{
    const std::string token = jsonField(start().body, "game");
    const RawReply first = place(token, 2, 2);
    const RawReply again = place(token, 2, 2);
    EXPECT_EQ(again.status, 200);
    EXPECT_EQ(again.body, first.body);
    const std::string offered = jsonField(first.body, "card");
    EXPECT_EQ(jsonField(rawGet(server().port(), "/quenvale/ranked/game?id=" + token).body, "placed"), "1");

    EXPECT_EQ(place(token, 3, 3, ", \"card\": \"" + offered + "\"").status, 200);
    const RawReply taken = place(token, 2, 2);
    EXPECT_EQ(taken.status, 409);
    EXPECT_EQ(taken.body, "{\"error\": \"That cell is taken.\"}\n");
    const RawReply stale = place(token, 4, 4, ", \"card\": \"" + offered + "\"");
    EXPECT_EQ(stale.status, 409);
    EXPECT_TRUE(isJsonError(stale)) << stale.body;
    EXPECT_EQ(jsonField(rawGet(server().port(), "/quenvale/ranked/game?id=" + token).body, "placed"), "2");
}

TEST_F(RankedGames, UnknownAndExpiredGamesAreRefused)
{
    for (const std::string &token : {std::string(32, '0'), std::string("nonsense"), std::string(32, 'A')}) {
        const RawReply reply = place(token, 1, 1);
        EXPECT_EQ(reply.status, 404) << token;
        EXPECT_TRUE(isJsonError(reply)) << reply.body;
        EXPECT_EQ(rawGet(server().port(), "/quenvale/ranked/game?id=" + token).status, 404);
    }
    const std::string token = jsonField(start().body, "game");
    EXPECT_EQ(place(token, 1, 1).status, 200);
    clock += 24 * 3600 - 1;
    EXPECT_EQ(place(token, 1, 2).status, 200);  // a placement keeps the game alive
    clock += 24 * 3600;
    const RawReply expired = place(token, 1, 3);
    EXPECT_EQ(expired.status, 410);
    EXPECT_TRUE(isJsonError(expired));
    EXPECT_EQ(rawGet(server().port(), "/quenvale/ranked/game?id=" + token).status, 410);
}

TEST_F(RankedGames, BadRequestsGetAReason)
{
    const std::string token = jsonField(start().body, "game");
    const struct {
        const char *path;
        std::string body;
        int status;
    } cases[] = {
        {"/quenvale/ranked/new", "", 400},
        {"/quenvale/ranked/new", "{\"name\": \"Ann\"", 400},
        {"/quenvale/ranked/new", "{\"name\": 5}", 400},
        {"/quenvale/ranked/new", "{\"name\": \"Elevenchars\"}", 400},
        {"/quenvale/ranked/new", "{\"name\": \"Ann\\u202e\"}", 400},
        {"/quenvale/ranked/new", "{\"name\": \"   \"}", 400},
        {"/quenvale/ranked/new", "{\"name\": \"Ann\", \"name\": \"Bo\"}", 400},
        {"/quenvale/ranked/place", "{\"game\": \"" + token + "\", \"row\": 5, \"col\": 1}", 400},
        {"/quenvale/ranked/place", "{\"game\": \"" + token + "\", \"row\": 1}", 400},
        {"/quenvale/ranked/place", "{\"game\": \"" + token + "\", \"row\": 1, \"col\": 1.5}", 400},
        {"/quenvale/ranked/place", "{\"game\": \"" + token + "\", \"row\": 1, \"col\": 1, \"card\": \"ZZ\"}", 400},
        {"/quenvale/ranked/place", "[1, 2]", 400},
    };
    for (const auto &c : cases) {
        const RawReply reply = postJson(server().port(), c.path, c.body);
        EXPECT_EQ(reply.status, c.status) << c.body;
        EXPECT_TRUE(isJsonError(reply)) << c.body << " -> " << reply.body;
    }
    const RawReply wrongMethod = rawGet(server().port(), "/quenvale/ranked/new");
    EXPECT_EQ(wrongMethod.status, 405);
    EXPECT_TRUE(isJsonError(wrongMethod));
    EXPECT_EQ(postJson(server().port(), "/quenvale/ranked/new", "{\"name\": \"" + std::string(5000, 'a') + "\"}").status,
              413);
    EXPECT_EQ(jsonField(rawGet(server().port(), "/quenvale/ranked/game?id=" + token).body, "placed"), "0");
}

TEST_F(RankedGames, NewGamesPerAddressAreLimited)
{
    options.ranked.gamesPerMinute = 2;
    EXPECT_EQ(start().status, 200);
    EXPECT_EQ(start().status, 200);
    const RawReply refused = start();
    EXPECT_EQ(refused.status, 429);
    EXPECT_TRUE(isJsonError(refused));
    EXPECT_NE(refused.headers.find("Retry-After: 30"), std::string::npos) << refused.headers;
    EXPECT_EQ(start("Bo", "127.0.9.1").status, 200);
}

TEST_F(RankedGames, NamesAreEscapedInRepliesAndOnThePage)
{
    const std::string token = jsonField(start("<b>&\\\"\\u00e9").body, "game");
    const RawReply state = rawGet(server().port(), "/quenvale/ranked/game?id=" + token);
    EXPECT_EQ(jsonField(state.body, "name"), "<b>&\\\"\\u00e9");
    // Finish it by hand in the store, then look at the page.
    server().store().updateGame(token, [](std::optional<RankedGame> &g) {
        g->over = true;
        return true;
    });
    const std::string page = rawGet(server().port(), "/counter/quenvale-ranked.shtml").body;
    EXPECT_NE(page.find("&lt;b&gt;&amp;&quot;&#233;"), std::string::npos) << page;
    EXPECT_EQ(page.find("<b>"), std::string::npos);
}
