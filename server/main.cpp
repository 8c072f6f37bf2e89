// quenvale-server: the score and update server the game talks to.

#include "server/clientaddress.h"
#include "server/scoreserver.h"
#include "server/scorestore.h"

#include <pthread.h>
#include <signal.h>
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

namespace fs = std::filesystem;

namespace {

constexpr const char *kDefaultListen = "127.0.0.1:8471";

const char *const kUsage =
    "Usage: quenvale-server [--listen ADDR:PORT] [--db PATH] [--files DIR] [OPTION...]\n"
    "\n"
    "Serves Quenvale's high scores, ranked games and update files.\n"
    "\n"
    "  --listen ADDR:PORT  address to listen on (default 127.0.0.1:8471); port 0\n"
    "                      picks a free port. The address in use is printed as\n"
    "                      \"listening on ADDR:PORT\".\n"
    "  --db PATH|URI       the database: an SQLite file (default\n"
    "                      $XDG_DATA_HOME/quenvale-server/scores.db, where\n"
    "                      XDG_DATA_HOME defaults to ~/.local/share)\n"
    "                      or a PostgreSQL connection URI,\n"
    "                      postgresql://USER@HOST/DATABASE, which several servers\n"
    "                      may share\n"
    "  --files DIR         folder holding quenvaleversion.txt, qvlsetup.exe and\n"
    "                      its signature qvlsetup.exe.sig\n"
    "                      (default: share/quenvale-server/files of the\n"
    "                      installation, beside the program's bin folder)\n"
    "  --help              show this text\n"
    "\n"
    "Limits, against floods and slow clients:\n"
    "  --post-limit N      scores one address may post per minute (default 30;\n"
    "                      0 for no limit); more are answered 429\n"
    "  --per-address N     connections one address may hold open (default 64)\n"
    "  --max-connections N connections in all (default 10000, or fewer when the\n"
    "                      open-file limit allows fewer); when all are taken, the\n"
    "                      one that has waited longest for its request is closed\n"
    "  --request-timeout S seconds a client has to send a whole request, and a\n"
    "                      reply may stall, before the connection is closed\n"
    "                      (default 10)\n"
    "  --threads N         threads answering requests (default 16)\n"
    "  --ranked-limit N    ranked games one address may start per minute\n"
    "                      (default 10; 0 for no limit)\n"
    "  --trusted-proxy ADDR  the address of a reverse proxy in front of this\n"
    "                      server: its requests are counted against the address\n"
    "                      it names last in X-Forwarded-For, and it may hold any\n"
    "                      number of connections\n"
    "\n"
    "Stops on SIGINT or SIGTERM within two seconds, after answering the requests\n"
    "already received.\n";

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

std::optional<long> parseCount(std::string_view text, long lowest, long highest)
{
    long value = 0;
    if (text.empty() || text.size() > 9)
        return std::nullopt;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value < lowest || value > highest)
        return std::nullopt;
    return value;
}

// Connections are file descriptors: use all the system lets this process have,
// and keep some back for the database, served files and the log.
std::size_t connectionsTheFileLimitAllows()
{
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return 1000;
    if (limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
        getrlimit(RLIMIT_NOFILE, &limit);
    }
    constexpr rlim_t kReserved = 64;
    return limit.rlim_cur > 2 * kReserved ? static_cast<std::size_t>(limit.rlim_cur - kReserved) : kReserved;
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
    ServerOptions options;
    // Each numeric option: where it goes and the values it takes.
    struct Count {
        const char *name;
        long lowest, highest;
        std::function<void(long)> set;
    };
    const Count counts[] = {
        {"--post-limit", 0, 1000000, [&](long v) { options.postsPerMinute = static_cast<int>(v); }},
        {"--per-address", 1, 1000000, [&](long v) { options.http.perAddress = static_cast<std::size_t>(v); }},
        {"--max-connections", 16, 10000000, [&](long v) { options.http.maxConnections = static_cast<std::size_t>(v); }},
        {"--request-timeout", 1, 3600, [&](long v) { options.http.requestTimeout = std::chrono::seconds(v); }},
        {"--threads", 1, 256, [&](long v) { options.http.workers = static_cast<int>(v); }},
        {"--ranked-limit", 0, 1000000, [&](long v) { options.ranked.gamesPerMinute = static_cast<int>(v); }},
    };
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        }
        std::string value;
        const std::size_t eq = arg.find('=');
        const bool inline_ = arg.starts_with("--") && eq != std::string::npos;
        if (inline_) {
            value = arg.substr(eq + 1);
            arg.resize(eq);
        }
        const Count *count = nullptr;
        for (const Count &c : counts)
            if (arg == c.name)
                count = &c;
        if (!count && arg != "--listen" && arg != "--db" && arg != "--files" && arg != "--trusted-proxy")
            return usageError("unknown option " + arg);
        if (!inline_) {
            if (i + 1 >= argc)
                return usageError("option " + arg + " needs a value");
            value = argv[++i];
        }
        if (value.empty())
            return usageError("option " + arg + " needs a value");
        if (arg == "--listen")
            listen = value;
        else if (arg == "--db")
            db = fs::path(value);
        else if (arg == "--files")
            files = fs::path(value);
        else if (arg == "--trusted-proxy") {
            const std::optional<std::string> proxy = addressKey(value);
            if (!proxy)
                return usageError("--trusted-proxy wants an IP address, not " + value);
            options.http.trustedProxy = *proxy;
        } else {
            const std::optional<long> number = parseCount(value, count->lowest, count->highest);
            if (!number)
                return usageError(arg + " wants a whole number from " + std::to_string(count->lowest) + " to " +
                                  std::to_string(count->highest) + ", not " + value);
            count->set(*number);
        }
    }
    options.http.maxConnections = std::min(options.http.maxConnections, connectionsTheFileLimitAllows());

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
    const bool postgres = db->string().starts_with("postgresql://") || db->string().starts_with("postgres://");
    if (!postgres && db->has_parent_path() && !fs::exists(db->parent_path(), ec)) {
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
        const std::unique_ptr<ScoreStore> store = openScoreStore(db->string());
        ScoreServer server(*store, *files, options);
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
