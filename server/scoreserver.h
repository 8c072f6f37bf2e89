#pragma once
// The HTTP side of the score server: the addresses the game uses below the
// server's root, answered from the score store and the files folder.

#include "server/scorestore.h"

#include <httplib.h>

#include <atomic>
#include <filesystem>
#include <string>

class ScoreServer {
public:
    ScoreServer(ScoreStore &store, std::filesystem::path filesDir);
    ScoreServer(const ScoreServer &) = delete;
    ScoreServer &operator=(const ScoreServer &) = delete;

    // Binds the listening socket; port 0 picks a free one. Returns the port
    // bound, or -1 when the address cannot be used (also when it is taken).
    int bind(const std::string &host, int port);
    // Serves until stop(); requests already accepted are answered first.
    bool listen();
    // Safe from any thread and at any time, also before listen() has begun,
    // which then returns at once.
    void stop();

private:
    void postScore(const httplib::Request &req, httplib::Response &res);
    void scorePage(httplib::Response &res);
    void serveFile(const std::string &name, const char *contentType, httplib::Response &res);

    ScoreStore &store_;
    std::filesystem::path filesDir_;
    httplib::Server http_;
    std::atomic<bool> stopRequested_ = false;
    std::atomic<bool> listenEntered_ = false;
    std::atomic<bool> listenDone_ = false;
};
