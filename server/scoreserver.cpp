#include "server/scoreserver.h"

#include "server/scorepages.h"
#include "server/scorepost.h"

#include <sys/socket.h>

#include <algorithm>
#include <fstream>
#include <iostream>
#include <memory>
#include <thread>

namespace {

// Each player's request is short, but a keep-alive client holds a worker while
// it idles, so allow for many more than the default handful.
constexpr std::size_t kWorkerThreads = 32;
constexpr std::size_t kFileChunk = 64 * 1024;

const char *const kTextType = "text/plain; charset=utf-8";
const char *const kHtmlType = "text/html; charset=utf-8";

// The library's default also sets SO_REUSEPORT, which would let a second
// server bind the same port and silently take half of the players' posts.
void listeningSocketOptions(socket_t sock)
{
    int yes = 1;
    setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
}

std::string rawQuery(const std::string &target)
{
    const std::size_t mark = target.find('?');
    return mark == std::string::npos ? std::string() : target.substr(mark + 1);
}

}  // namespace

ScoreServer::ScoreServer(ScoreStore &store, std::filesystem::path filesDir)
    : store_(store)
{
    std::error_code ec;
    filesDir_ = std::filesystem::weakly_canonical(filesDir, ec);
    if (ec)
        filesDir_ = std::move(filesDir);

    http_.new_task_queue = [] { return new httplib::ThreadPool(kWorkerThreads); };
    http_.set_socket_options(listeningSocketOptions);
    http_.set_payload_max_length(64 * 1024);

    http_.Get("/cgi-bin/quenvale\\.cgi", [this](const httplib::Request &req, httplib::Response &res) {
        postScore(req, res);
    });
    http_.Get("/counter/quenvale\\.shtml", [this](const httplib::Request &, httplib::Response &res) {
        scorePage(res);
    });
    http_.Get("/quenvale/quenvaleversion\\.txt", [this](const httplib::Request &, httplib::Response &res) {
        serveFile("quenvaleversion.txt", kTextType, res);
    });
    http_.Get("/quenvale/qvlsetup\\.exe", [this](const httplib::Request &, httplib::Response &res) {
        serveFile("qvlsetup.exe", "application/octet-stream", res);
    });
    http_.Get("/", [](const httplib::Request &, httplib::Response &res) {
        res.set_content(renderHomePage(), kHtmlType);
    });
}

int ScoreServer::bind(const std::string &host, int port)
{
    if (port == 0)
        return http_.bind_to_any_port(host);
    return http_.bind_to_port(host, port) ? port : -1;
}

bool ScoreServer::listen()
{
    listenEntered_ = true;
    const bool served = stopRequested_ || http_.listen_after_bind();
    listenDone_ = true;
    return served;
}

void ScoreServer::stop()
{
    if (stopRequested_.exchange(true))
        return;
    // The library ignores a stop that comes before its accept loop is running,
    // so wait out the short moment between listen() being called and that.
    while (listenEntered_ && !listenDone_ && !http_.is_running())
        std::this_thread::yield();
    http_.stop();
}

void ScoreServer::postScore(const httplib::Request &req, httplib::Response &res)
{
    ScorePostParse parsed = parseScorePost(rawQuery(req.target));
    if (!parsed.post) {
        res.status = 400;
        res.set_content(parsed.reason + "\n", kTextType);
        return;
    }
    try {
        store_.add(*parsed.post);
    } catch (const StoreError &e) {
        std::cerr << "quenvale-server: " << e.what() << std::endl;
        res.status = 503;
        res.set_content("The score could not be stored. Please try again later.\n", kTextType);
        return;
    }
    res.set_content("Score recorded.\n", kTextType);
}

void ScoreServer::scorePage(httplib::Response &res)
{
    try {
        res.set_content(renderScorePage(store_.best(kScoresShown)), kHtmlType);
        res.set_header("Cache-Control", "no-cache");
    } catch (const StoreError &e) {
        std::cerr << "quenvale-server: " << e.what() << std::endl;
        res.status = 503;
        res.set_content("The high scores cannot be read right now.\n", kTextType);
    }
}

// Missing files are answered with an empty body: the game takes any text it
// receives as the version on offer.
void ScoreServer::serveFile(const std::string &name, const char *contentType, httplib::Response &res)
{
    res.status = 404;
    // Resolve links and dots, then insist the file is still directly inside the
    // files folder, so no name or link can lead a request elsewhere.
    std::error_code ec;
    const std::filesystem::path path = std::filesystem::weakly_canonical(filesDir_ / name, ec);
    if (ec || path.parent_path() != filesDir_ || !std::filesystem::is_regular_file(path, ec))
        return;

    auto file = std::make_shared<std::ifstream>(path, std::ios::binary | std::ios::ate);
    const std::streamoff size = *file ? static_cast<std::streamoff>(file->tellg()) : -1;
    if (size < 0)
        return;
    res.status = 200;
    if (size == 0) {
        res.set_content(std::string(), contentType);
        return;
    }
    res.set_content_provider(
        static_cast<std::size_t>(size), contentType,
        [file](std::size_t offset, std::size_t length, httplib::DataSink &sink) {
            char buffer[kFileChunk];
            file->seekg(static_cast<std::streamoff>(offset));
            file->read(buffer, static_cast<std::streamsize>(std::min(length, kFileChunk)));
            const std::streamsize got = file->gcount();
            // A file that shrank while it was sent ends the connection early.
            return got > 0 && sink.write(buffer, static_cast<std::size_t>(got));
        });
}
