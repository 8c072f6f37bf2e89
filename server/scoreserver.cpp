#include "server/scoreserver.h"

#include "server/scorepages.h"
#include "server/scorepost.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <iostream>

namespace {

const char *const kTextType = "text/plain; charset=utf-8";
const char *const kHtmlType = "text/html; charset=utf-8";

HttpResponse html(std::string body)
{
    HttpResponse response;
    response.contentType = kHtmlType;
    response.body = std::move(body);
    return response;
}

// Missing files are answered with an empty body: the game takes any text it
// receives as the version on offer.
HttpResponse notFound()
{
    HttpResponse response;
    response.status = 404;
    return response;
}

HttpResponse methodNotAllowed(const char *allowed)
{
    HttpResponse response = HttpResponse::text(405, "This address does not take that method.\n");
    response.headers.emplace_back("Allow", allowed);
    return response;
}

}  // namespace

ScoreServer::ScoreServer(ScoreStore &store, std::filesystem::path filesDir, ServerOptions options)
    : store_(store),
      posts_(options.postsPerMinute),
      ranked_(store, options.ranked),
      http_(options.http, [this](const HttpRequest &request) { return handle(request); })
{
    std::error_code ec;
    filesDir_ = std::filesystem::weakly_canonical(filesDir, ec);
    if (ec)
        filesDir_ = std::move(filesDir);
}

int ScoreServer::bind(const std::string &host, int port)
{
    return http_.bind(host, port);
}

bool ScoreServer::listen()
{
    return http_.run();
}

void ScoreServer::stop()
{
    http_.stop();
}

HttpResponse ScoreServer::handle(const HttpRequest &request)
{
    const bool get = request.method == "GET", head = request.method == "HEAD";
    const std::string &path = request.path;
    // Posting a score changes the list, so HEAD is not taken for it.
    if (path == "/cgi-bin/quenvale.cgi")
        return get ? postScore(request) : methodNotAllowed("GET");
    if (path == "/quenvale/ranked/new")
        return request.method == "POST" ? ranked_.newGame(request) : RankedApi::wrongMethod("POST");
    if (path == "/quenvale/ranked/place")
        return request.method == "POST" ? ranked_.place(request) : RankedApi::wrongMethod("POST");
    const bool known = path == "/counter/quenvale.shtml" || path == "/quenvale/quenvaleversion.txt" ||
                       path == "/quenvale/qvlsetup.exe" || path == "/" || path == "/quenvale/ranked/game" ||
                       path == "/counter/quenvale-ranked.shtml" || path == "/quenvale/qvlsetup.exe.sig";
    if (!known)
        return notFound();
    if (path == "/quenvale/ranked/game" && !get && !head)
        return RankedApi::wrongMethod("GET, HEAD");
    if (!get && !head)
        return methodNotAllowed("GET, HEAD");
    if (path == "/counter/quenvale.shtml")
        return scorePage();
    if (path == "/counter/quenvale-ranked.shtml")
        return ranked_.page();
    if (path == "/quenvale/ranked/game")
        return ranked_.state(request);
    if (path == "/quenvale/quenvaleversion.txt")
        return serveFile("quenvaleversion.txt", kTextType);
    if (path == "/quenvale/qvlsetup.exe")
        return serveFile("qvlsetup.exe", "application/octet-stream");
    if (path == "/quenvale/qvlsetup.exe.sig") // its signature, made with the release key
        return serveFile("qvlsetup.exe.sig", "application/octet-stream");
    return html(renderHomePage());
}

HttpResponse ScoreServer::postScore(const HttpRequest &request)
{
    ScorePostParse parsed = parseScorePost(request.query);
    if (!parsed.post)
        return HttpResponse::text(400, parsed.reason + "\n");
    if (const int wait = posts_.take(request.client)) {
        HttpResponse response =
            HttpResponse::text(429, "Too many scores from your address. Please try again in a minute.\n");
        response.headers.emplace_back("Retry-After", std::to_string(wait));
        return response;
    }
    try {
        store_.add(*parsed.post);
    } catch (const StoreError &e) {
        std::cerr << "quenvale-server: " << e.what() << std::endl;
        return HttpResponse::text(503, "The score could not be stored. Please try again later.\n");
    }
    return HttpResponse::text(200, "Score recorded.\n");
}

HttpResponse ScoreServer::scorePage()
{
    try {
        HttpResponse response = html(renderScorePage(store_.best(kScoresShown)));
        response.headers.emplace_back("Cache-Control", "no-cache");
        return response;
    } catch (const StoreError &e) {
        std::cerr << "quenvale-server: " << e.what() << std::endl;
        return HttpResponse::text(503, "The high scores cannot be read right now.\n");
    }
}

// The whole file, always: ranges are not served, as a request for many
// overlapping ranges of a small file would multiply it.
HttpResponse ScoreServer::serveFile(const std::string &name, const char *contentType)
{
    // Resolve links and dots, then insist the file is still directly inside the
    // files folder, so no name or link can lead a request elsewhere.
    std::error_code ec;
    const std::filesystem::path path = std::filesystem::weakly_canonical(filesDir_ / name, ec);
    if (ec || path.parent_path() != filesDir_)
        return notFound();
    UniqueFd file(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    struct stat info {};
    if (!file || fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return notFound();
    HttpResponse response;
    response.contentType = contentType;
    response.headers.emplace_back("Accept-Ranges", "none");
    response.file = std::move(file);
    response.fileSize = static_cast<std::uint64_t>(info.st_size);
    return response;
}
