// Scoring a whole board (the eight lines at the end of a round) and one shuffle.
#include "game/board.h"
#include "game/cards.h"
#include "game/deck.h"

#include <benchmark/benchmark.h>

namespace {

qv::Board dealtBoard(std::uint32_t seed)
{
    qv::Random r;
    r.seed(seed);
    qv::Deck d;
    qv::shufflecards(d, r);
    qv::Board b;
    for (int i = 0; i < 16; ++i)
        b.cell(i / 4 + 1, i % 4 + 1) = d.deck[i + 1];
    for (int k = 1; k <= 5; ++k)
        b.cell(5, k) = b.cell(k, 5) = d.deck[17];
    return b;
}

void ScoreBoard(benchmark::State &state)
{
    qv::Board board = dealtBoard(42);
    const int startersuit = qv::getsuit(board.cell(5, 5));
    for (auto _ : state) {
        int total = 0;
        for (int line : qv::boardLines)
            total += board.getlinescore(line, startersuit);
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(ScoreBoard);

void Shuffle(benchmark::State &state)
{
    qv::Random r;
    r.seed(1);
    qv::Deck d;
    for (auto _ : state) {
        qv::shufflecards(d, r);
        benchmark::DoNotOptimize(d.deck.data());
    }
}
BENCHMARK(Shuffle);

} // namespace

BENCHMARK_MAIN();
