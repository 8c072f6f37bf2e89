// quenvale-server: the score and update server the game talks to.

#include "server/scoreserver.h"
#include "server/scorestore.h"

#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

namespace fs = std::filesystem;

namespace {

constexpr const char *kDefaultListen = "127.0.0.1:8471";

const char *const kUsage =
    "Usage: quenvale-server [--listen ADDR:PORT] [--db PATH] [--files DIR]\n"
    "\n"
    "Serves Quenvale's high scores and update files.\n"
    "\n"
    "  --listen ADDR:PORT  address to listen on (default 127.0.0.1:8471); port 0\n"
    "                      picks a free port. The address in use is printed as\n"
    "                      \"listening on ADDR:PORT\".\n"
    "  --db PATH           score database (default\n"
    "                      $XDG_DATA_HOME/quenvale-server/scores.db, where\n"
    "                      XDG_DATA_HOME defaults to ~/.local/share)\n"
    "  --files DIR         folder holding quenvaleversion.txt and qvlsetup.exe\n"
    "                      (default: share/quenvale-server/files of the\n"
    "                      installation, beside the program's bin folder)\n"
    "  --help              show this text\n"
    "\n"
    "Stops cleanly on SIGINT or SIGTERM.\n";

struct Options {
    std::string host;
    int port = 0;
    fs::path db;
    fs::path files;
};

struct ListenAddress {
    std::string host;
    int port;
};

std::optional<ListenAddress> parseListen(std::string_view text)
{
    const std::size_t colon = text.rfind(':');
    if (colon == std::string_view::npos || colon == 0)
        return std::nullopt;
    std::string_view host = text.substr(0, colon);
    const std::string_view portText = text.substr(colon + 1);
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    if (portText.empty() || portText.size() > 5 || host.empty())
        return std::nullopt;
    int port = 0;
    for (char c : portText) {
        if (c < '0' || c > '9')
            return std::nullopt;
        port = port * 10 + (c - '0');
    }
    if (port > 65535)
        return std::nullopt;
    return ListenAddress{std::string(host), port};
}

std::optional<fs::path> defaultDatabase()
{
    // A relative XDG_DATA_HOME is invalid and is ignored, as the XDG rules say.
    const char *xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && *xdg && fs::path(xdg).is_absolute())
        return fs::path(xdg) / "quenvale-server" / "scores.db";
    const char *home = std::getenv("HOME");
    if (home && *home)
        return fs::path(home) / ".local" / "share" / "quenvale-server" / "scores.db";
    return std::nullopt;
}

// Relative to the installed program, so the package may be installed anywhere.
fs::path defaultFiles()
{
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return (self.parent_path() / QV_SERVER_FILES_FROM_BINDIR).lexically_normal();
}

int usageError(const std::string &message)
{
    std::cerr << "quenvale-server: " << message << "\n"
              << "Try 'quenvale-server --help'.\n";
    return 2;
}

std::string showAddress(const std::string &host, int port)
{
    const bool ipv6 = host.find(':') != std::string::npos;
    return (ipv6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

}  // namespace

int main(int argc, char **argv)
{
    std::string listen = kDefaultListen;
    std::optional<fs::path> db, files;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        }
        std::string value;
        const std::size_t eq = arg.find('=');
        if (arg.starts_with("--") && eq != std::string::npos) {
            value = arg.substr(eq + 1);
            arg.resize(eq);
        } else if (arg == "--listen" || arg == "--db" || arg == "--files") {
            if (i + 1 >= argc)
                return usageError("option " + arg + " needs a value");
            value = argv[++i];
        } else {
            return usageError("unknown option " + arg);
        }
        if (value.empty())
            return usageError("option " + arg + " needs a value");
        if (arg == "--listen")
            listen = value;
        else if (arg == "--db")
            db = fs::path(value);
        else if (arg == "--files")
            files = fs::path(value);
        else
            return usageError("unknown option " + arg);
    }

    const std::optional<ListenAddress> address = parseListen(listen);
    if (!address)
        return usageError("--listen wants ADDR:PORT with a port from 0 to 65535, not " + listen);
    if (!db)
        db = defaultDatabase();
    if (!db)
        return usageError("neither XDG_DATA_HOME nor HOME is set; give the database with --db");
    if (!files)
        files = defaultFiles();
    std::error_code ec;
    if (!fs::is_directory(*files, ec)) {
        std::cerr << "quenvale-server: the files folder " << files->string()
                  << " does not exist; give one with --files\n";
        return 1;
    }
    if (db->has_parent_path() && !fs::exists(db->parent_path(), ec)) {
        fs::create_directories(db->parent_path(), ec);
        if (ec) {
            std::cerr << "quenvale-server: cannot create " << db->parent_path().string() << ": "
                      << ec.message() << "\n";
            return 1;
        }
    }

    // Block the stop signals before any thread starts, so every thread inherits
    // the mask and only the waiter below ever sees them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    try {
        ScoreStore store(*db);
        ScoreServer server(store, *files);
        const int port = server.bind(address->host, address->port);
        if (port < 0) {
            std::cerr << "quenvale-server: cannot listen on " << showAddress(address->host, address->port)
                      << " (address not available or already in use)\n";
            return 1;
        }
        std::cout << "listening on " << showAddress(address->host, port) << std::endl;

        std::atomic<bool> signalled = false;
        std::thread waiter([&] {
            int signal = 0;
            sigwait(&stopSignals, &signal);
            signalled = true;
            server.stop();
        });
        const bool served = server.listen();
        // listen() also returns when serving failed; wake the waiter then.
        if (!signalled)
            pthread_kill(waiter.native_handle(), SIGTERM);
        waiter.join();
        if (!served) {
            std::cerr << "quenvale-server: serving stopped unexpectedly\n";
            return 1;
        }
        // Every accepted request has been answered; the store closes with the scope.
    } catch (const StoreError &e) {
        std::cerr << "quenvale-server: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
