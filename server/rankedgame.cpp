#include "server/rankedgame.h"

#include "server/json.h"

#include "game/board.h"
#include "game/cards.h"
#include "game/cardtext.h"
#include "game/deck.h"
#include "game/gameflow.h"

#include <charconv>
#include <ctime>

namespace {

qv::Deck deckFor(std::uint32_t seed)
{
    qv::Random random;
    random.seed(seed);
    qv::Deck deck;
    qv::shufflecards(deck, random);
    return deck;
}

int moveCount(const RankedGame &game)
{
    return static_cast<int>(game.moves.size() / 2);
}

struct Cell {
    int row, col;
    bool operator==(const Cell &) const = default;
};

Cell moveAt(std::string_view moves, int i)
{
    return {moves[2 * i] - '0', moves[2 * i + 1] - '0'};
}

// The round's board so far: the placed cards in their cells.
qv::Board roundBoard(std::uint32_t seed, std::string_view roundMoves)
{
    const qv::Deck deck = deckFor(seed);
    qv::Board board;
    for (int i = 0; i < static_cast<int>(roundMoves.size() / 2); ++i) {
        const Cell cell = moveAt(roundMoves, i);
        board.cell(cell.row, cell.col) = deck.deck[i + 1];
    }
    return board;
}

std::string_view currentRoundMoves(const RankedGame &game)
{
    const std::size_t start = static_cast<std::size_t>(2 * kCardsPerRound * (gameRound(game) - 1));
    return std::string_view(game.moves).substr(std::min(start, game.moves.size()));
}

std::string cardJson(int number)
{
    return jsonString(qv::cardText(number));
}

template <typename List>
std::string numberList(const List &values)
{
    std::string out = "[";
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i > 0)
            out += ", ";
        out += std::to_string(values[i]);
    }
    return out + "]";
}

}  // namespace

int gameRound(const RankedGame &game)
{
    return static_cast<int>(game.seeds.size());
}

int placedThisRound(const RankedGame &game)
{
    return game.over ? kCardsPerRound : moveCount(game) - kCardsPerRound * (gameRound(game) - 1);
}

int cardOnOffer(const RankedGame &game)
{
    if (game.over || game.seeds.empty())
        return 0;
    return deckFor(game.seeds.back()).deck[placedThisRound(game) + 1];
}

RoundResult scoreRound(std::uint32_t seed, std::string_view roundMoves)
{
    RoundResult result;
    qv::Board board = roundBoard(seed, roundMoves);
    result.starter = deckFor(seed).deck[qv::Deck::starterSlot];
    for (int k = 1; k <= 5; ++k)
        board.cell(5, k) = board.cell(k, 5) = result.starter;
    const int startersuit = qv::getsuit(result.starter);
    for (std::size_t i = 0; i < qv::boardLines.size(); ++i) {
        result.lines[i] = board.getlinescore(qv::boardLines[i], startersuit);
        result.handsTotal += result.lines[i];
    }
    return result;
}

std::optional<Replay> replayGame(const std::vector<std::uint32_t> &seeds, std::string_view moves)
{
    constexpr std::size_t roundLength = 2 * kCardsPerRound;
    if (seeds.empty() || moves.size() != roundLength * seeds.size())
        return std::nullopt;
    Replay replay;
    for (std::size_t r = 0; r < seeds.size(); ++r) {
        const std::string_view round = moves.substr(r * roundLength, roundLength);
        bool used[5][5] = {};
        for (int i = 0; i < kCardsPerRound; ++i) {
            const Cell cell = moveAt(round, i);
            if (cell.row < 1 || cell.row > 4 || cell.col < 1 || cell.col > 4 || used[cell.row][cell.col])
                return std::nullopt;
            used[cell.row][cell.col] = true;
        }
        const int hands = scoreRound(seeds[r], round).handsTotal;
        const bool goesOn = hands >= qv::GameFlow::continueThreshold;
        if (goesOn != (r + 1 < seeds.size()))
            return std::nullopt;
        replay.roundTotals.push_back(hands);
        replay.score += hands;
    }
    return replay;
}

PlaceOutcome placeCard(RankedGame &game, int row, int col, std::optional<int> card, std::uint32_t nextSeed,
                       std::int64_t now)
{
    const int made = moveCount(game);
    if (made > 0 && moveAt(game.moves, made - 1) == Cell{row, col}) {
        const int last = made - 1;
        const int lastCard = deckFor(game.seeds[last / kCardsPerRound]).deck[last % kCardsPerRound + 1];
        const bool newRoundBegun = !game.over && placedThisRound(game) == 0;
        if (card ? *card == lastCard : !newRoundBegun)
            return {200, game.lastReply, false};
    }
    if (game.over)
        return {409, errorReply("The game is over."), false};
    const int offered = cardOnOffer(game);
    if (card && *card != offered)
        return {409, errorReply("Out of turn: the card on offer is " + qv::cardText(offered) + "."), false};
    const std::string_view roundMoves = currentRoundMoves(game);
    for (int i = 0; i < static_cast<int>(roundMoves.size() / 2); ++i)
        if (moveAt(roundMoves, i) == Cell{row, col})
            return {409, errorReply("That cell is taken."), false};

    game.moves += static_cast<char>('0' + row);
    game.moves += static_cast<char>('0' + col);
    game.lastActive = now;
    const int round = gameRound(game);
    const int placed = placedThisRound(game);
    std::string reply = "{\"round\": " + std::to_string(round) + ", \"placed\": " + std::to_string(placed);
    if (placed < kCardsPerRound) {
        reply += ", \"card\": " + cardJson(cardOnOffer(game)) + "}";
    } else {
        const RoundResult result = scoreRound(game.seeds.back(), currentRoundMoves(game));
        game.runningTotal += result.handsTotal;
        const bool goesOn = result.handsTotal >= qv::GameFlow::continueThreshold;
        reply += ", \"starter\": " + cardJson(result.starter) + ", \"lines\": " + numberList(result.lines) +
                 ", \"hands_total\": " + std::to_string(result.handsTotal) +
                 ", \"running_total\": " + std::to_string(game.runningTotal) +
                 ", \"verdict\": " + (goesOn ? "\"continue\"" : "\"over\"");
        if (goesOn) {
            game.seeds.push_back(nextSeed);
            reply += ", \"next_round_card\": " + cardJson(cardOnOffer(game));
        } else {
            game.over = true;
        }
        reply += "}";
    }
    game.lastReply = reply;
    return {200, std::move(reply), true};
}

std::string newGameReply(const RankedGame &game)
{
    return "{\"game\": " + jsonString(game.token) + ", \"round\": 1, \"card\": " + cardJson(cardOnOffer(game)) + "}";
}

std::string gameStateReply(const RankedGame &game)
{
    const std::string_view roundMoves = currentRoundMoves(game);
    const qv::Board board = roundBoard(game.seeds.back(), roundMoves);
    std::string rows;
    for (int row = 1; row <= 4; ++row) {
        rows += row > 1 ? ", [" : "[";
        for (int col = 1; col <= 4; ++col) {
            if (col > 1)
                rows += ", ";
            rows += cardJson(board.cell(row, col));
        }
        rows += "]";
    }
    // The totals of the rounds scored so far, played again from the placements.
    std::vector<int> totals;
    constexpr std::size_t roundLength = 2 * kCardsPerRound;
    for (std::size_t r = 0; (r + 1) * roundLength <= game.moves.size(); ++r)
        totals.push_back(scoreRound(game.seeds[r], std::string_view(game.moves).substr(r * roundLength, roundLength)).handsTotal);
    std::string reply = "{\"game\": " + jsonString(game.token) + ", \"name\": " + jsonString(game.name) +
                        ", \"round\": " + std::to_string(gameRound(game)) +
                        ", \"placed\": " + std::to_string(placedThisRound(game)) + ", \"board\": [" + rows + "]" +
                        ", \"card\": " + (game.over ? std::string("null") : cardJson(cardOnOffer(game))) +
                        ", \"round_totals\": " + numberList(totals) +
                        ", \"running_total\": " + std::to_string(game.runningTotal);
    if (game.over)
        reply += ", \"starter\": " + cardJson(deckFor(game.seeds.back()).deck[qv::Deck::starterSlot]) +
                 ", \"verdict\": \"over\"";
    return reply + "}";
}

std::string errorReply(std::string_view message)
{
    return "{\"error\": " + jsonString(message) + "}";
}

FinishedGame finishedRecord(const RankedGame &game)
{
    return {game.token, game.name, localDate(game.lastActive), game.lastActive, game.runningTotal,
            gameRound(game), game.seeds, game.moves};
}

std::string localDate(std::int64_t unixSeconds)
{
    const std::time_t t = static_cast<std::time_t>(unixSeconds);
    std::tm local{};
    localtime_r(&t, &local);
    char text[16];
    std::strftime(text, sizeof text, "%Y-%m-%d", &local);
    return text;
}

std::string seedsText(const std::vector<std::uint32_t> &seeds)
{
    std::string text;
    for (std::uint32_t seed : seeds) {
        if (!text.empty())
            text += ' ';
        text += std::to_string(seed);
    }
    return text;
}

std::vector<std::uint32_t> parseSeeds(std::string_view text)
{
    std::vector<std::uint32_t> seeds;
    const char *p = text.data();
    const char *end = text.data() + text.size();
    while (p < end) {
        std::uint32_t seed = 0;
        const auto [next, ec] = std::from_chars(p, end, seed);
        if (ec != std::errc{})
            break;
        seeds.push_back(seed);
        p = next;
        while (p < end && *p == ' ')
            ++p;
    }
    return seeds;
}
