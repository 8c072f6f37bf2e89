// Two server processes on one PostgreSQL database serve one ranked game, its
// placements alternating between them.

#include "postgresserver.h"
#include "rawhttp.h"
#include "serverprocess.h"
#include "server/postgresstore.h"
#include "tempfolder.h"
#include "testbackend.h"

#include <signal.h>

using TwoServers = BackendTest;

TEST_F(TwoServers, ServeOneGameTogether)
{
    TempFolder tmp;
    std::filesystem::create_directories(tmp.path() / "files");
    const std::string uri = PostgresServer::shared().freshDatabaseUri();
    const auto args = [&] {
        return std::vector<std::string>{"--listen", "127.0.0.1:0", "--db", uri, "--files", (tmp.path() / "files").string()};
    };
    ServerProcess a(QV_SERVER_EXE, args()), b(QV_SERVER_EXE, args());
    const int ports[2] = {a.listeningPort(), b.listeningPort()};
    ASSERT_GT(ports[0], 0);
    ASSERT_GT(ports[1], 0);

    const RawReply started = postJson(ports[0], "/quenvale/ranked/new", "{\"name\": \"Both\"}");
    ASSERT_EQ(started.status, 200) << started.body;
    const std::string token = jsonField(started.body, "game");
    std::string offered = jsonField(started.body, "card");
    RawReply last;
    int n = 0;
    for (int cell = 0; n < 16 * 40; ++n) {
        const int port = ports[n % 2];
        // Each server must offer what the other one dealt.
        EXPECT_EQ(jsonField(rawGet(port, "/quenvale/ranked/game?id=" + token).body, "card"), offered);
        const std::string body = "{\"game\": \"" + token + "\", \"row\": " + std::to_string(cell / 4 + 1) +
                                 ", \"col\": " + std::to_string(cell % 4 + 1) + ", \"card\": \"" + offered + "\"}";
        last = postJson(port, "/quenvale/ranked/place", body);
        ASSERT_EQ(last.status, 200) << last.body;
        // The other server answers the same request as a retry, with the same reply.
        EXPECT_EQ(postJson(ports[(n + 1) % 2], "/quenvale/ranked/place", body).body, last.body);
        cell = (cell + 1) % 16;
        if (cell == 0 && jsonField(last.body, "verdict") == "over")
            break;
        offered = jsonField(last.body, cell == 0 ? "next_round_card" : "card");
    }
    a.signal(SIGTERM);
    b.signal(SIGTERM);
    EXPECT_EQ(a.exitCode(), 0);
    EXPECT_EQ(b.exitCode(), 0);

    PostgresStore store(uri);
    const std::vector<FinishedGame> finished = store.finishedGames();
    ASSERT_EQ(finished.size(), 1u);
    EXPECT_EQ(static_cast<int>(finished[0].moves.size()), 2 * (n + 1));
    const std::optional<Replay> replay = replayGame(finished[0].seeds, finished[0].moves);
    ASSERT_TRUE(replay);
    EXPECT_EQ(std::to_string(replay->score), jsonField(last.body, "running_total"));
    EXPECT_EQ(finished[0].score, replay->score);
}
