// Scoring a whole board (the eight lines at the end of a round) and one shuffle.
#include "game/board.h"
#include "game/cards.h"
#include "game/deck.h"

#include <benchmark/benchmark.h>

namespace {

void ScoreBoard(benchmark::State &state)
{
    qv::Board board = qv::dealInOrder(42);
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
