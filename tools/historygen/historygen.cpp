#include "tools/historygen/historygen.h"

#include "coach/handtable.h"
#include "coach/lineworth.h"
#include "coach/position.h"
#include "coach/round.h"
#include "game/gameflow.h"

#include <algorithm>
#include <random>
#include <vector>

namespace qv::historygen {

namespace {

using namespace qv::coach;

struct Round {
    std::int64_t at = 0; // seconds from the history's start
    history::RoundRecord record;
};

struct Game {
    GameKind kind = GameKind::Random;
    std::int64_t start = 0;
    std::vector<Round> rounds;
};

// One round of a deal: each card on the cell whose row and column gain most in
// worth, or, with probability careless, on any empty cell.
history::RoundRecord playRound(std::uint32_t deal, double careless, std::mt19937_64 &random)
{
    const RoundCards cards = dealtCards(deal);
    const LineWorth &worth = LineWorth::randomFill();
    std::array<LineState, 8> lines{};
    std::array<int, cellCount> empty{};
    for (int i = 0; i < cellCount; ++i)
        empty[std::size_t(i)] = i;
    int left = cellCount;
    std::uniform_real_distribution<double> chance(0, 1);
    for (int n = 0; n < 16; ++n) {
        const int card = cards[std::size_t(n)];
        int pick = 0;
        if (chance(random) < careless) {
            pick = int(random() % std::uint64_t(left));
        } else {
            float best = -1e9f;
            for (int i = 0; i < left; ++i) {
                const int cell = empty[std::size_t(i)];
                LineState row = lines[std::size_t(rowLine(cell))], column = lines[std::size_t(columnLine(cell))];
                const float before = worth(row) + worth(column);
                row.add(card);
                column.add(card);
                const float gain = worth(row) + worth(column) - before;
                if (gain > best) {
                    best = gain;
                    pick = i;
                }
            }
        }
        const int cell = empty[std::size_t(pick)];
        lines[std::size_t(rowLine(cell))].add(card);
        lines[std::size_t(columnLine(cell))].add(card);
        empty[std::size_t(pick)] = empty[std::size_t(--left)];
    }
    history::RoundRecord record;
    record.deal = deal;
    // Rows are lines 1..4, columns lines 6..9: the history's order.
    for (std::size_t l = 0; l < 8; ++l) {
        record.lines[l] = linePoints(lines[l], cards[16]);
        record.total += record.lines[l];
    }
    return record;
}

} // namespace

Generated generateHistory(history::HistoryDatabase &db, long count, std::uint32_t seed, std::int64_t endTime)
{
    std::mt19937_64 random(seed);
    std::uniform_real_distribution<double> chance(0, 1);
    std::vector<Game> games;
    games.reserve(std::size_t(std::max(0L, count)));
    std::int64_t clock = 0;
    int sessionLeft = 0;
    // Sessions of 4.5 games on average, a day and a bit apart; a long history is
    // played more often, so that even 100,000 games fit in five years.
    const double sessions = std::max(1.0, double(count) / 4.5);
    const double span = std::min(double(count) * 4 * 3600, 5 * 365.0 * 86400);
    const std::int64_t meanGap = std::max<std::int64_t>(3600, std::int64_t(span / sessions));
    for (long g = 0; g < count; ++g) {
        if (sessionLeft == 0) {
            // The next session (about a day later in a short history), of one to eight games.
            clock += meanGap / 2 + std::int64_t(random() % std::uint64_t(meanGap));
            sessionLeft = 1 + int(random() % 8);
        }
        --sessionLeft;
        Game game;
        const double k = chance(random);
        game.kind = k < 0.08 ? GameKind::Practice : k < 0.13 ? GameKind::Ranked : GameKind::Random;
        game.start = clock;
        // Careless placements fall from one in three to one in ten as the games go by.
        const double careless = 0.33 - 0.23 * double(g) / double(std::max(1L, count - 1));
        for (;;) {
            clock += 60 + std::int64_t(random() % 120);
            game.rounds.push_back({clock, playRound(std::uint32_t(random()), careless, random)});
            if (game.rounds.back().record.total < GameFlow::continueThreshold || game.rounds.size() >= 40)
                break;
            clock += 5 + std::int64_t(random() % 20);
        }
        clock += 20 + std::int64_t(random() % 60);
        games.push_back(std::move(game));
    }

    const std::int64_t shift = endTime - clock;
    Generated made;
    db.beginBatch();
    try {
        for (const Game &game : games) {
            history::GameState state{game.kind, game.start + shift, 0, 0, true};
            for (const Round &round : game.rounds) {
                history::RoundRecord record = round.record;
                record.playedAt = round.at + shift;
                state.runningTotal += record.total;
                ++state.rounds;
                db.recordRound(state, record);
                state.fresh = false;
                ++made.rounds;
            }
            db.gameOver(state);
            ++made.games;
        }
        db.commitBatch();
    } catch (...) {
        db.close(); // the transaction goes with the connection
        throw;
    }
    return made;
}

} // namespace qv::historygen
