#include "savedgame.h"

#include "cardtext.h"
#include "dealnumber.h"
#include "gameflow.h"

#include <algorithm>
#include <array>
#include <optional>

namespace qv {

namespace {

constexpr std::string_view versionKey = "quenvale-game";
constexpr std::string_view endLine = "end";
constexpr std::array<std::pair<GameKind, std::string_view>, 3> kindNames = {
    {{GameKind::Random, "random"}, {GameKind::Practice, "practice"}, {GameKind::Ranked, "ranked"}}};

std::string_view kindName(GameKind kind)
{
    for (const auto &[k, name] : kindNames)
        if (k == kind)
            return name;
    return "random";
}

// A count of at most nine digits, so it always fits an int; nothing for any
// other text, or for a value outside lo..hi.
std::optional<int> boundedNumber(std::string_view text, int lo, int hi)
{
    if (text.empty() || text.size() > 9 || !std::all_of(text.begin(), text.end(), [](char c) {
            return c >= '0' && c <= '9';
        }))
        return std::nullopt;
    int value = 0;
    for (char c : text)
        value = value * 10 + (c - '0');
    if (value < lo || value > hi)
        return std::nullopt;
    return value;
}

// The text's lines one at a time, each without its line end ("\r\n" read as "\n").
class Lines {
public:
    explicit Lines(std::string_view text) : rest_(text) {}

    int number() const { return number_; }
    bool atEnd() const { return rest_.empty(); }

    std::string_view next()
    {
        ++number_;
        const std::string_view line = peek();
        const std::size_t end = rest_.find('\n');
        rest_.remove_prefix(end == std::string_view::npos ? rest_.size() : end + 1);
        return line;
    }
    // The next line, left to be read.
    std::string_view peek() const
    {
        std::string_view line = rest_.substr(0, rest_.find('\n'));
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        return line;
    }

    // The value of the next line, which must read key, one blank and a value.
    std::string_view field(std::string_view key)
    {
        if (atEnd())
            throw SavedGameError("it ends early");
        const std::string_view line = next();
        if (line.size() <= key.size() + 1 || !line.starts_with(key) || line[key.size()] != ' ')
            damaged();
        return line.substr(key.size() + 1);
    }

    [[noreturn]] void damaged() const
    {
        throw SavedGameError("line " + std::to_string(number_) + " is damaged");
    }

private:
    std::string_view rest_;
    int number_ = 0;
};

// The score server's token: 32 lower-case hex digits.
bool isRankedToken(std::string_view text)
{
    return text.size() == 32
        && std::all_of(text.begin(), text.end(), [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

template <typename T> T orDamaged(const std::optional<T> &value, const Lines &lines)
{
    if (!value)
        lines.damaged();
    return *value;
}

} // namespace

std::string formatSavedGame(const SavedGame &game)
{
    std::string text;
    text += std::string(versionKey) + ' ' + std::to_string(SavedGame::formatVersion) + '\n';
    text += "kind " + std::string(kindName(game.kind)) + '\n';
    text += "rounds " + std::to_string(game.rounds) + '\n';
    text += "total " + std::to_string(game.runningTotal) + '\n';
    text += "deal " + std::to_string(game.dealNumber) + '\n';
    text += std::string("cleared ") + (game.cleared ? "yes" : "no") + '\n';
    if (game.kind == GameKind::Ranked)
        text += "ranked " + game.rankedGame + '\n';
    for (const Placement &p : game.placements)
        text += "placed " + std::to_string(p.row) + std::to_string(p.col) + ' ' + cardText(p.card) + '\n';
    text += std::string(endLine) + '\n';
    return text;
}

SavedGame parseSavedGame(std::string_view text)
{
    if (text.size() > SavedGame::maxTextSize)
        throw SavedGameError("it is too long to be a saved game");
    Lines lines(text);
    if (!text.starts_with(versionKey))
        throw SavedGameError("it is not a saved game");
    std::string_view version = lines.field(versionKey);
    // A version of any length that is all digits and above ours is a later one.
    if (!std::all_of(version.begin(), version.end(), [](char c) { return c >= '0' && c <= '9'; }))
        lines.damaged();
    version.remove_prefix(std::min(version.find_first_not_of('0'), version.size()));
    if (version.empty())
        lines.damaged();
    if (version != std::to_string(SavedGame::formatVersion))
        throw SavedGameError("it was saved by a newer version of Quenvale");

    SavedGame game;
    const std::string_view kind = lines.field("kind");
    const auto named = std::find_if(kindNames.begin(), kindNames.end(), [&](const auto &k) { return k.second == kind; });
    if (named == kindNames.end())
        lines.damaged();
    game.kind = named->first;
    game.rounds = orDamaged(boundedNumber(lines.field("rounds"), 1, SavedGame::maxRounds), lines);
    game.runningTotal = orDamaged(boundedNumber(lines.field("total"), 0, 999999999), lines);
    game.dealNumber = orDamaged(parseDealNumber(lines.field("deal")), lines);
    const std::string_view cleared = lines.field("cleared");
    if (cleared != "yes" && cleared != "no")
        lines.damaged();
    game.cleared = cleared == "yes";
    if (game.kind == GameKind::Ranked) {
        const std::string_view token = lines.field("ranked");
        if (!isRankedToken(token))
            lines.damaged();
        game.rankedGame = token;
    }

    // The cards placed, then the closing line: a text cut short never reads as a
    // round with fewer cards.
    for (;;) {
        if (lines.atEnd())
            throw SavedGameError("it ends early");
        if (lines.peek() == endLine) {
            lines.next();
            if (!lines.atEnd()) {
                lines.next();
                lines.damaged();
            }
            break;
        }
        if (game.placements.size() == 16)
            throw SavedGameError("it holds more than sixteen cards");
        const std::string_view placed = lines.field("placed");
        // "RC CARD": row and column digits, a blank, the card's short form.
        if (placed.size() != 5 || placed[2] != ' ')
            lines.damaged();
        Placement p;
        p.row = orDamaged(boundedNumber(placed.substr(0, 1), 1, 4), lines);
        p.col = orDamaged(boundedNumber(placed.substr(1, 1), 1, 4), lines);
        const std::string_view card = placed.substr(3);
        p.card = orDamaged(parseCard(card), lines);
        if (cardText(p.card) != card) // the short form only, as written
            lines.damaged();
        game.placements.push_back(p);
    }
    return game;
}

SavedGame savedGameOf(const GameFlow &game)
{
    SavedGame saved;
    saved.kind = game.gameKind();
    saved.rounds = game.rounds();
    saved.runningTotal = game.runningTotal();
    saved.dealNumber = game.dealNumber();
    const Deck &deck = game.deck();
    // Slot k of the deck holds the k-th card placed; the board says where it went.
    for (int k = 1; k < deck.dealpos && k <= 16; ++k)
        for (int row = 1; row <= 4; ++row)
            for (int col = 1; col <= 4; ++col)
                if (game.board().cell(row, col) == deck.deck[k])
                    saved.placements.push_back({row, col, deck.deck[k]});
    // The verdict was "continue" once the pause is over on a scored round of a game
    // still on (a ranked round may wait for its scoring with all sixteen placed).
    saved.cleared = deck.dealpos > 16 && game.lineScore(1) && !game.timer2Running() && game.gameactive();
    saved.rankedGame = game.rankedGame();
    return saved;
}

} // namespace qv
