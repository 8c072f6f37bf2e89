#pragma once
// Ranked games over HTTP: a small JSON API where the server deals every card and
// scores every round itself, and the page of the best ranked scores. Nothing is
// kept in this object but its limits: each request reads and writes the game
// in the store, so any number of server processes can serve one game.

#include "server/clientaddress.h"
#include "server/httpmessage.h"
#include "server/scorestore.h"

#include <atomic>
#include <cstdint>
#include <functional>

struct RankedOptions {
    int gamesPerMinute = 10;                 // new games per address; 0 for no limit
    std::function<std::int64_t()> clock;     // Unix seconds; the system's clock when empty
};

inline constexpr std::int64_t kGameExpirySeconds = 24 * 3600;
// Games not played for this long are forgotten (their finished records stay).
inline constexpr std::int64_t kGameForgetSeconds = 7 * 24 * 3600;

class RankedApi {
public:
    RankedApi(ScoreStore &store, RankedOptions options);

    HttpResponse newGame(const HttpRequest &request);
    HttpResponse place(const HttpRequest &request);
    HttpResponse state(const HttpRequest &request);
    HttpResponse page();
    static HttpResponse wrongMethod(const char *allowed);

private:
    std::int64_t now() const;
    void forgetOldGames(std::int64_t now);

    ScoreStore &store_;
    RankedOptions options_;
    RateLimiter newGames_;
    std::atomic<std::int64_t> lastForget_ = 0;
};

// 128 bits from the system's random source as 32 lower-case hex digits.
std::string newGameToken();
