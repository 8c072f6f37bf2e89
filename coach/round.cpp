#include "round.h"

#include "game/board.h"
#include "game/cards.h"
#include "game/deck.h"

#include <stdexcept>

namespace qv::coach {

RoundCards dealtCards(std::uint32_t deal)
{
    Random random;
    random.seed(deal);
    Deck deck;
    shufflecards(deck, random);
    RoundCards cards{};
    for (int i = 0; i < 17; ++i)
        cards[i] = deck.deck[i + 1];
    return cards;
}

int roundTotal(const std::array<int, cellCount> &cells, int starter)
{
    Board board;
    for (int row = 1; row <= 4; ++row)
        for (int col = 1; col <= 4; ++col)
            board.cell(row, col) = cells[cellIndex(row, col)];
    for (int k = 1; k <= 5; ++k)
        board.cell(5, k) = board.cell(k, 5) = starter;
    int total = 0;
    for (int line : boardLines)
        total += board.getlinescore(line, getsuit(starter));
    return total;
}

RoundPlay coachRound(const RoundCards &cards, const CoachOptions &options, std::stop_token stop)
{
    CardSet dealt = 0;
    for (int card : cards) {
        if (card < 1 || card > 52 || (dealt & cardBit(card)))
            throw std::invalid_argument("a round needs seventeen different cards 1..52");
        dealt |= cardBit(card);
    }
    RoundPlay play;
    CoachInput input;
    for (int i = 0; i < 16; ++i) {
        input.card = cards[i];
        CoachOptions step = options;
        step.seed = decisionSeed(options.seed, i);
        const CoachResult result = rateCells(input, step, stop);
        input.cells[result.best] = cards[i];
        play.expected[i] = *result.expected[result.best];
    }
    play.cells = input.cells;
    play.total = roundTotal(play.cells, cards[16]);
    return play;
}

} // namespace qv::coach
