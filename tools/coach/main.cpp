// quenvale-coach: the deal of a number, a hand's points, and numbered deals played
// by the coach or by a yardstick policy. Reads and writes no files.
#include "coach/deals.h"
#include "coach/round.h"
#include "game/cards.h"
#include "game/cardtext.h"
#include "game/scoring.h"

#include <cstdio>
#include <limits>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr const char *usage =
    "Usage: quenvale-coach deal N                      the 17 cards of deal N (0..4294967295), starter last\n"
    "       quenvale-coach score C1 C2 C3 C4 STARTER   a hand's points by category\n"
    "       quenvale-coach play [--policy coach|random|montecarlo] [--deals FIRST:COUNT]\n"
    "                           [--rollouts N] [--work N] [--threads N]\n"
    "Cards: a rank (A 2 3 4 5 6 7 8 9 T J Q K) and a suit (C D H S) such as TH, or a number 1..52.\n"
    "play: --deals 1:100, --rollouts 1000 Monte Carlo playouts per cell, --work 150000 card\n"
    "placements per coach decision, --threads 1 (deals side by side; decisions stay single-threaded).\n";

struct BadInput {
    std::string message;
};

// A decimal number in min..max, digits only.
std::uint64_t number(std::string_view text, std::uint64_t min, std::uint64_t max, std::string_view what)
{
    std::uint64_t n = 0;
    bool ok = !text.empty() && text.size() <= 10;
    for (char c : text) {
        if (c < '0' || c > '9')
            ok = false;
        n = n * 10 + std::uint64_t(c - '0');
    }
    if (!ok || n < min || n > max)
        throw BadInput{std::string(what) + " must be a number from " + std::to_string(min) + " to " +
                       std::to_string(max) + ", not '" + std::string(text) + "'"};
    return n;
}

int deal(const std::vector<std::string_view> &args)
{
    if (args.size() != 1)
        throw BadInput{"deal takes one number"};
    const auto n = std::uint32_t(number(args[0], 0, std::numeric_limits<std::uint32_t>::max(), "the deal"));
    std::string line;
    for (int card : qv::coach::dealtCards(n)) {
        if (!line.empty())
            line += ' ';
        line += qv::cardText(card);
    }
    std::printf("%s\n", line.c_str());
    return 0;
}

int score(const std::vector<std::string_view> &args)
{
    if (args.size() != 5)
        throw BadInput{"score takes five cards: four placed cards and the starter"};
    std::array<int, 5> cards{};
    std::set<int> seen;
    for (std::size_t i = 0; i < 5; ++i) {
        const std::optional<int> card = qv::parseCard(args[i]);
        if (!card)
            throw BadInput{"'" + std::string(args[i]) + "' is not a card"};
        if (!seen.insert(*card).second)
            throw BadInput{"the card " + qv::cardText(*card) + " is given twice"};
        cards[i] = *card;
    }
    qv::LineBreakdown breakdown{};
    const int total = qv::figurescore(1, cards, qv::getsuit(cards[4]), breakdown);
    const qv::CategoryPoints &p = breakdown[0];
    std::printf("nob=%d sets=%d runs=%d flush=%d fifteen=%d total=%d\n", p[qv::Nob], p[qv::Sets], p[qv::Runs],
                p[qv::Flush], p[qv::Fifteen], total);
    return 0;
}

const char *policyName(qv::coach::Policy policy)
{
    switch (policy) {
    case qv::coach::Policy::Random:
        return "random";
    case qv::coach::Policy::MonteCarlo:
        return "montecarlo";
    default:
        return "coach";
    }
}

int play(const std::vector<std::string_view> &args)
{
    qv::coach::DealsOptions options;
    std::set<std::string_view> given;
    for (std::size_t i = 0; i < args.size(); i += 2) {
        const std::string_view option = args[i];
        if (option != "--policy" && option != "--deals" && option != "--rollouts" && option != "--work" &&
            option != "--threads")
            throw BadInput{"unknown option '" + std::string(option) + "'"};
        if (!given.insert(option).second)
            throw BadInput{std::string(option) + " is given twice"};
        if (i + 1 >= args.size())
            throw BadInput{std::string(option) + " needs a value"};
        const std::string_view value = args[i + 1];
        if (option == "--policy") {
            if (value == "coach")
                options.policy = qv::coach::Policy::Coach;
            else if (value == "random")
                options.policy = qv::coach::Policy::Random;
            else if (value == "montecarlo")
                options.policy = qv::coach::Policy::MonteCarlo;
            else
                throw BadInput{"unknown policy '" + std::string(value) + "'"};
        } else if (option == "--deals") {
            const auto colon = value.find(':');
            if (colon == std::string_view::npos)
                throw BadInput{"--deals takes FIRST:COUNT, not '" + std::string(value) + "'"};
            options.first = std::uint32_t(
                number(value.substr(0, colon), 0, std::numeric_limits<std::uint32_t>::max(), "the first deal"));
            options.count = std::uint32_t(number(value.substr(colon + 1), 1, 1'000'000, "the count of deals"));
        } else if (option == "--rollouts") {
            options.rollouts = int(number(value, 1, 1'000'000, "--rollouts"));
        } else if (option == "--work") {
            options.coach.work = long(number(value, 1, 1'000'000'000, "--work"));
        } else {
            options.threads = int(number(value, 1, 64, "--threads"));
        }
    }
    const qv::coach::DealsReport report = qv::coach::playDeals(options);
    std::printf("policy=%s deals=%u mean=%.2f cleared=%.1f%% decision_ms_median=%.3f decision_ms_p95=%.3f\n",
                policyName(options.policy), options.count, report.mean(), report.clearedPercent(),
                report.decisionPercentileMs(50), report.decisionPercentileMs(95));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::fputs(usage, stdout);
        return 0;
    }
    try {
        if (args.empty())
            throw BadInput{"no command given"};
        const std::vector<std::string_view> rest(args.begin() + 1, args.end());
        if (args[0] == "deal")
            return deal(rest);
        if (args[0] == "score")
            return score(rest);
        if (args[0] == "play")
            return play(rest);
        throw BadInput{"unknown command '" + std::string(args[0]) + "'"};
    } catch (const BadInput &bad) {
        std::fprintf(stderr, "quenvale-coach: %s\n%s", bad.message.c_str(), usage);
        return 2;
    }
}
