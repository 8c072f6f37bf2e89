#pragma once
// The addresses the game uses below the server's root, answered from the score
// store and the files folder, and the ranked games' API and page.

#include "server/clientaddress.h"
#include "server/httpserver.h"
#include "server/rankedapi.h"
#include "server/scorestore.h"

#include <filesystem>
#include <string>

struct ServerOptions {
    HttpLimits http;
    int postsPerMinute = 30;  // per address; 0 for no limit
    RankedOptions ranked;
};

class ScoreServer {
public:
    ScoreServer(ScoreStore &store, std::filesystem::path filesDir, ServerOptions options = {});
    ScoreServer(const ScoreServer &) = delete;
    ScoreServer &operator=(const ScoreServer &) = delete;

    // Binds the listening socket; port 0 picks a free one. Returns the port
    // bound, or -1 when the address cannot be used (also when it is taken).
    int bind(const std::string &host, int port);
    // Serves until stop(); requests already received are answered first.
    bool listen();
    // Safe from any thread and at any time, also before listen() has begun,
    // which then returns at once.
    void stop();

private:
    HttpResponse handle(const HttpRequest &request);
    HttpResponse postScore(const HttpRequest &request);
    HttpResponse scorePage();
    HttpResponse serveFile(const std::string &name, const char *contentType);

    ScoreStore &store_;
    std::filesystem::path filesDir_;
    RateLimiter posts_;
    RankedApi ranked_;
    HttpServer http_;
};
