#include "server/rankedapi.h"

#include "server/json.h"
#include "server/scorepages.h"
#include "server/scorepost.h"

#include "game/cardtext.h"

#include <sys/random.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <iostream>

namespace {

const char *const kJsonType = "application/json";

HttpResponse json(int status, std::string body)
{
    HttpResponse response;
    response.status = status;
    response.contentType = kJsonType;
    response.body = std::move(body) + "\n";
    response.headers.emplace_back("Cache-Control", "no-store");
    return response;
}

HttpResponse jsonError(int status, std::string_view message)
{
    return json(status, errorReply(message));
}

HttpResponse storeFailed(const StoreError &e)
{
    std::cerr << "quenvale-server: " << e.what() << std::endl;
    return jsonError(503, "The game cannot be stored right now. Please try again.");
}

void randomBytes(void *buffer, std::size_t size)
{
    auto *bytes = static_cast<unsigned char *>(buffer);
    while (size > 0) {
        const ssize_t n = getrandom(bytes, size, 0);
        if (n <= 0)
            continue;  // interrupted; the system's source does not run dry
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
}

std::uint32_t freshSeed()
{
    std::uint32_t seed;
    randomBytes(&seed, sizeof seed);
    return seed;
}

bool isToken(std::string_view text)
{
    return text.size() == 32 &&
           text.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

std::optional<std::string> stringField(const JsonObject &object, std::string_view key)
{
    const auto it = object.find(key);
    if (it == object.end() || !std::holds_alternative<std::string>(it->second))
        return std::nullopt;
    return std::get<std::string>(it->second);
}

std::optional<std::int64_t> numberField(const JsonObject &object, std::string_view key)
{
    const auto it = object.find(key);
    if (it == object.end() || !std::holds_alternative<std::int64_t>(it->second))
        return std::nullopt;
    return std::get<std::int64_t>(it->second);
}

bool expired(const RankedGame &game, std::int64_t now)
{
    return !game.over && now - game.lastActive >= kGameExpirySeconds;
}

std::int64_t localMidnight(std::int64_t now)
{
    const std::time_t t = static_cast<std::time_t>(now);
    std::tm local{};
    localtime_r(&t, &local);
    local.tm_hour = local.tm_min = local.tm_sec = 0;
    local.tm_isdst = -1;
    return static_cast<std::int64_t>(std::mktime(&local));
}

const char *const kExpired = "The game has expired: it was not played for 24 hours.";
const char *const kUnknown = "There is no game with that token.";

}  // namespace

std::string newGameToken()
{
    unsigned char bytes[16];
    randomBytes(bytes, sizeof bytes);
    static constexpr char hex[] = "0123456789abcdef";
    std::string token;
    for (unsigned char b : bytes) {
        token += hex[b >> 4];
        token += hex[b & 15];
    }
    return token;
}

RankedApi::RankedApi(ScoreStore &store, RankedOptions options)
    : store_(store), options_(std::move(options)), newGames_(options_.gamesPerMinute)
{
}

std::int64_t RankedApi::now() const
{
    if (options_.clock)
        return options_.clock();
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

HttpResponse RankedApi::newGame(const HttpRequest &request)
{
    const JsonParse parsed = parseFlatObject(request.body);
    if (!parsed.object)
        return jsonError(400, parsed.error);
    const std::optional<std::string> name = stringField(*parsed.object, "name");
    if (!name)
        return jsonError(400, "The request needs a \"name\" text.");
    if (const std::string refusal = textRefusal("name", *name, kMaxRankedNameChars); !refusal.empty())
        return jsonError(400, refusal);
    if (const int wait = newGames_.take(request.client)) {
        HttpResponse response = jsonError(429, "Too many new games from your address. Please wait a minute.");
        response.headers.emplace_back("Retry-After", std::to_string(wait));
        return response;
    }
    const std::int64_t started = now();
    RankedGame game;
    game.token = newGameToken();
    game.name = *name;
    game.started = game.lastActive = started;
    game.seeds.push_back(freshSeed());
    try {
        store_.createGame(game);
    } catch (const StoreError &e) {
        return storeFailed(e);
    }
    forgetOldGames(started);
    return json(200, newGameReply(game));
}

HttpResponse RankedApi::place(const HttpRequest &request)
{
    const JsonParse parsed = parseFlatObject(request.body);
    if (!parsed.object)
        return jsonError(400, parsed.error);
    const std::optional<std::string> token = stringField(*parsed.object, "game");
    const std::optional<std::int64_t> row = numberField(*parsed.object, "row");
    const std::optional<std::int64_t> col = numberField(*parsed.object, "col");
    if (!token || !row || !col)
        return jsonError(400, "The request needs \"game\" (text), \"row\" and \"col\" (numbers).");
    if (*row < 1 || *row > 4 || *col < 1 || *col > 4)
        return jsonError(400, "\"row\" and \"col\" must be from 1 to 4.");
    std::optional<int> card;
    if (parsed.object->contains("card")) {
        const std::optional<std::string> text = stringField(*parsed.object, "card");
        card = text ? qv::parseCard(*text) : std::nullopt;
        if (!card)
            return jsonError(400, "\"card\" must be a card such as \"TH\".");
    }
    if (!isToken(*token))
        return jsonError(404, kUnknown);

    const std::int64_t at = now();
    const std::uint32_t nextSeed = freshSeed();
    bool found = false, tooOld = false;
    PlaceOutcome outcome;
    try {
        store_.updateGame(*token, [&](std::optional<RankedGame> &game) {
            found = game.has_value();
            tooOld = found && expired(*game, at);
            if (!found || tooOld)
                return false;
            outcome = placeCard(*game, static_cast<int>(*row), static_cast<int>(*col), card, nextSeed, at);
            return outcome.changed;
        });
    } catch (const StoreError &e) {
        return storeFailed(e);
    }
    if (!found)
        return jsonError(404, kUnknown);
    if (tooOld)
        return jsonError(410, kExpired);
    return json(outcome.status, outcome.reply);
}

HttpResponse RankedApi::state(const HttpRequest &request)
{
    std::string token;
    std::string_view query = request.query;
    while (!query.empty() && token.empty()) {
        const std::string_view pair = query.substr(0, query.find('&'));
        query.remove_prefix(std::min(query.size(), pair.size() + 1));
        if (pair.starts_with("id="))
            token = percentDecode(pair.substr(3), true);
    }
    if (!isToken(token))
        return jsonError(404, kUnknown);
    try {
        const std::optional<RankedGame> game = store_.game(token);
        if (!game)
            return jsonError(404, kUnknown);
        if (expired(*game, now()))
            return jsonError(410, kExpired);
        return json(200, gameStateReply(*game));
    } catch (const StoreError &e) {
        return storeFailed(e);
    }
}

HttpResponse RankedApi::page()
{
    try {
        const std::int64_t today = localMidnight(now());
        HttpResponse response;
        response.contentType = "text/html; charset=utf-8";
        response.body = renderRankedPage(store_.bestRanked(kScoresShown, today), store_.bestRanked(kScoresShown, 0));
        response.headers.emplace_back("Cache-Control", "no-cache");
        return response;
    } catch (const StoreError &e) {
        std::cerr << "quenvale-server: " << e.what() << std::endl;
        return HttpResponse::text(503, "The ranked scores cannot be read right now.\n");
    }
}

HttpResponse RankedApi::wrongMethod(const char *allowed)
{
    HttpResponse response = jsonError(405, "This address does not take that method.");
    response.headers.emplace_back("Allow", allowed);
    return response;
}

// Now and then, not on every request: a cheap indexed delete. Its failure is
// only logged; it does not touch the game just started.
void RankedApi::forgetOldGames(std::int64_t now)
{
    std::int64_t last = lastForget_;
    if (now - last < 3600 || !lastForget_.compare_exchange_strong(last, now))
        return;
    try {
        store_.forgetGames(now - kGameForgetSeconds);
    } catch (const StoreError &e) {
        std::cerr << "quenvale-server: " << e.what() << std::endl;
    }
}
