#include "coach.h"

#include "game/random.h"
#include "lineworth.h"
#include "situation.h"

#include <algorithm>
#include <bit>
#include <limits>
#include <vector>

namespace qv::coach {

namespace {

// With this many empty cells (the card on offer's included) the coach works out
// the exact expectation: at most 3 x 38 x 2 x 37 full boards.
constexpr int exactEmptyCells = 3;

double bestExpected(const Position &pos, Pool &pool, int card, const EmptyCells &empty);

// Expected round total once every cell but those of empty is filled and pool
// holds the unseen cards: the next card is any of them, then the starter.
double expectedFrom(const Position &pos, Pool &pool, const EmptyCells &empty)
{
    if (empty.size == 0)
        return double(starterSum(pos, pool)) / pool.size;
    double sum = 0;
    const int size = pool.size;
    for (CardSet rest = pool.cards; rest != 0; rest &= rest - 1) {
        const int next = std::countr_zero(rest);
        pool.remove(next);
        sum += bestExpected(pos, pool, next, empty);
        pool.add(next);
    }
    return sum / size;
}

double bestExpected(const Position &pos, Pool &pool, int card, const EmptyCells &empty)
{
    double best = -1;
    for (int i = 0; i < empty.size; ++i) {
        Position next = pos;
        next.place(empty.at[i], card);
        best = std::max(best, expectedFrom(next, pool, empty.without(i)));
    }
    return best;
}

// Places the future cards one by one where the board's worth grows most.
void playOut(Position &pos, EmptyCells empty, const int *future, const LineWorth &worth)
{
    std::array<float, 8> now{};
    for (int l = 0; l < 8; ++l)
        now[l] = worth(pos.lines[l]);
    std::array<float, 8> gain{};
    while (empty.size > 0) {
        const int card = *future++;
        for (int l = 0; l < 8; ++l) {
            if (pos.lines[l].count == 4)
                continue;
            LineState with = pos.lines[l];
            with.add(card);
            gain[l] = worth(with) - now[l];
        }
        int pick = 0;
        float bestGain = -std::numeric_limits<float>::infinity();
        for (int i = 0; i < empty.size; ++i) {
            const int cell = empty.at[i];
            const float g = gain[rowLine(cell)] + gain[columnLine(cell)];
            if (g > bestGain) {
                bestGain = g;
                pick = i;
            }
        }
        const int cell = empty.at[pick];
        pos.place(cell, card);
        now[rowLine(cell)] += gain[rowLine(cell)];
        now[columnLine(cell)] += gain[columnLine(cell)];
        empty.at[pick] = empty.at[--empty.size];
    }
}

// Cells that a swap of empty rows or of empty columns maps onto each other are
// worth the same; only the first of each kind is played out.
int symmetryKind(const Position &pos, int cell)
{
    const bool rowEmpty = pos.lines[rowLine(cell)].count == 0;
    const bool columnEmpty = pos.lines[columnLine(cell)].count == 0;
    if (rowEmpty && columnEmpty)
        return 100;
    if (rowEmpty)
        return 200 + cell % 4;
    if (columnEmpty)
        return 300 + cell / 4;
    return cell;
}

class Clock {
public:
    Clock(std::chrono::milliseconds limit, std::stop_token stop)
        : limit_(limit), stop_(std::move(stop)), start_(std::chrono::steady_clock::now())
    {
    }
    bool over() const
    {
        return stop_.stop_requested() ||
               (limit_.count() > 0 && std::chrono::steady_clock::now() - start_ >= limit_);
    }

private:
    std::chrono::milliseconds limit_;
    std::stop_token stop_;
    std::chrono::steady_clock::time_point start_;
};

void rateExactly(const Situation &s, int card, CoachResult &result)
{
    Pool pool = s.pool;
    for (int i = 0; i < s.empty.size; ++i) {
        Position next = s.pos;
        next.place(s.empty.at[i], card);
        result.expected[s.empty.at[i]] = expectedFrom(next, pool, s.empty.without(i));
    }
    result.exact = true;
}

void rateByPlayouts(const Situation &s, int card, const CoachOptions &options, std::stop_token stop,
                    CoachResult &result)
{
    // One played-out cell for each kind of cell.
    std::array<int, cellCount> kindOf{};
    std::array<int, cellCount> played{};
    int playedCount = 0;
    for (int i = 0; i < s.empty.size; ++i) {
        const int cell = s.empty.at[i];
        kindOf[cell] = symmetryKind(s.pos, cell);
        bool known = false;
        for (int j = 0; j < playedCount; ++j)
            known = known || kindOf[played[j]] == kindOf[cell];
        if (!known)
            played[playedCount++] = cell;
    }

    const LineWorth &worth = LineWorth::randomFill();
    const int futureCount = s.empty.size - 1;
    std::vector<int> deck;
    for (CardSet rest = s.pool.cards; rest != 0; rest &= rest - 1)
        deck.push_back(std::countr_zero(rest));
    Random random;
    random.seed(options.seed);

    const long perFuture = long(playedCount) * (futureCount + 2);
    const long futures = std::max(1L, options.work / perFuture);
    const Clock clock(options.time, std::move(stop));
    std::array<long, cellCount> sums{};
    long done = 0;
    for (; done < futures; ++done) {
        if (clock.over()) {
            result.stopped = true;
            break;
        }
        // The same future for every cell, so that their differences show sooner.
        for (int i = 0; i < futureCount; ++i)
            std::swap(deck[i], deck[i + random.draw(std::uint32_t(deck.size() - i))]);
        Pool leaf = s.pool;
        for (int i = 0; i < futureCount; ++i)
            leaf.remove(deck[i]);
        for (int j = 0; j < playedCount; ++j) {
            const int cell = played[j];
            Position next = s.pos;
            next.place(cell, card);
            EmptyCells rest;
            for (int i = 0; i < s.empty.size; ++i)
                if (s.empty.at[i] != cell)
                    rest.at[rest.size++] = s.empty.at[i];
            playOut(next, rest, deck.data(), worth);
            sums[cell] += starterSum(next, leaf);
        }
    }
    result.playouts = done * playedCount;

    const int leafSize = s.pool.size - futureCount;
    for (int i = 0; i < s.empty.size; ++i) {
        const int cell = s.empty.at[i];
        int model = cell;
        for (int j = 0; j < playedCount; ++j)
            if (kindOf[played[j]] == kindOf[cell])
                model = played[j];
        if (done > 0) {
            result.expected[cell] = double(sums[model]) / (double(done) * leafSize);
        } else {
            // Stopped before any playout: rated by the worth of the board's lines.
            Position next = s.pos;
            next.place(model, card);
            double total = 0;
            for (const LineState &line : next.lines)
                total += worth(line);
            result.expected[cell] = total;
        }
    }
}

} // namespace

std::optional<Situation> situationOf(const CoachInput &input)
{
    if (input.card < 1 || input.card > 52)
        return std::nullopt;
    Situation s;
    CardSet placed = 0;
    for (int cell = 0; cell < cellCount; ++cell) {
        const int c = input.cells[cell];
        if (c == 0)
            s.empty.at[s.empty.size++] = cell;
        else if (c >= 1 && c <= 52 && c != input.card && !(placed & cardBit(c)))
            placed |= cardBit(c);
        else
            return std::nullopt; // a card twice, or not a card
    }
    s.pos = Position::from(input.cells);
    s.pool = Pool::without((input.seen & allCards) | placed | cardBit(input.card));
    // The rest of the round and the starter must come from unseen cards.
    if (s.empty.size == 0 || s.pool.size < s.empty.size)
        return std::nullopt;
    return s;
}

void pickBest(CoachResult &result)
{
    for (int cell = 0; cell < cellCount; ++cell)
        if (result.expected[cell] && (result.best < 0 || *result.expected[cell] > *result.expected[result.best]))
            result.best = cell;
}

CoachInput inputFrom(const Board &board, int card)
{
    CoachInput input;
    for (int row = 1; row <= 4; ++row)
        for (int col = 1; col <= 4; ++col)
            input.cells[cellIndex(row, col)] = board.cell(row, col);
    input.card = card;
    return input;
}

CoachResult rateCells(const CoachInput &input, const CoachOptions &options, std::stop_token stop)
{
    CoachResult result;
    const std::optional<Situation> situation = situationOf(input);
    if (!situation)
        return result;
    if (situation->empty.size <= exactEmptyCells)
        rateExactly(*situation, input.card, result);
    else
        rateByPlayouts(*situation, input.card, options, std::move(stop), result);
    pickBest(result);
    return result;
}

} // namespace qv::coach
