#pragma once
// A score server on an ephemeral port of 127.0.0.1 with its own files folder
// and a temporary SQLite database (or the store it is given), serving on a
// thread until destroyed.

#include "server/scoreserver.h"
#include "server/sqlitestore.h"
#include "tempfolder.h"

#include <memory>
#include <optional>
#include <stdexcept>
#include <thread>

class RunningServer {
public:
    explicit RunningServer(ServerOptions options = {}, std::unique_ptr<ScoreStore> store = nullptr)
        : files_(tmp_.path() / "files"),
          store_(store ? std::move(store) : std::make_unique<SqliteStore>(tmp_.path() / "scores.db"))
    {
        std::filesystem::create_directory(files_);
        server_.emplace(*store_, files_, options);
        port_ = server_->bind("127.0.0.1", 0);
        if (port_ <= 0)
            throw std::runtime_error("cannot bind a test port");
        thread_ = std::thread([this] { server_->listen(); });
    }
    ~RunningServer()
    {
        server_->stop();
        thread_.join();
    }

    int port() const { return port_; }
    ScoreStore &store() { return *store_; }
    const std::filesystem::path &files() const { return files_; }
    const std::filesystem::path &folder() const { return tmp_.path(); }

private:
    TempFolder tmp_;
    std::filesystem::path files_;
    std::unique_ptr<ScoreStore> store_;
    std::optional<ScoreServer> server_;
    int port_ = 0;
    std::thread thread_;
};
