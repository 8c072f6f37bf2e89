// The quenvale-coach command line: its outputs, and bad input refused with exit
// code 2, a one-line error and the usage on standard error, nothing on standard output.
#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <string>
#include <sys/wait.h>

namespace {

struct Outcome {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string capture(const std::string &command, int &status)
{
    std::FILE *pipe = ::popen(command.c_str(), "r");
    std::string text;
    char buffer[512];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        text.append(buffer, n);
    status = ::pclose(pipe);
    return text;
}

Outcome run(const std::string &args)
{
    Outcome r;
    int status = 0;
    r.out = capture("'" COACH_TOOL "' " + args + " 2>/dev/null", status);
    r.err = capture("'" COACH_TOOL "' " + args + " 2>&1 >/dev/null", status);
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

void expectRefused(const std::string &args, const std::string &message)
{
    const Outcome r = run(args);
    EXPECT_EQ(r.exitCode, 2) << args;
    EXPECT_EQ(r.out, "") << args;
    const auto lineEnd = r.err.find('\n');
    EXPECT_EQ(r.err.substr(0, lineEnd), "quenvale-coach: " + message) << args;
    EXPECT_EQ(r.err.compare(lineEnd + 1, 7, "Usage: "), 0) << args;
}

} // namespace

TEST(CoachTool, DealPrintsTheSeventeenCardsStarterLast)
{
    const Outcome r = run("deal 0");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "AC 2C 8S KC JC 2S JS JD 8C QH 4C 4S 8D KH 5C 2D 7C\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(run("deal 4294967295").exitCode, 0);
}

TEST(CoachTool, ScorePrintsTheBreakdown)
{
    EXPECT_EQ(run("score 5C 5D 5H JS 5S").out, "nob=1 sets=12 runs=0 flush=0 fifteen=16 total=29\n");
    EXPECT_EQ(run("score 4C 4D 5H 6S 6C").out, "nob=0 sets=4 runs=12 flush=0 fifteen=8 total=24\n");
    // Card numbers and lower case: ace, 3, 7, 9 of hearts with the queen of hearts.
    EXPECT_EQ(run("score 27 3h 33 9H QH").out, "nob=0 sets=0 runs=0 flush=5 fifteen=0 total=5\n");
}

TEST(CoachTool, PlayEndsWithTheSummaryLine)
{
    const Outcome r = run("play --policy random --deals 1:3 --threads 2");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(std::regex_match(r.out, std::regex("policy=random deals=3 mean=[0-9]+\\.[0-9]{2} cleared=[0-9.]+% "
                                                   "decision_ms_median=[0-9.]+ decision_ms_p95=[0-9.]+\n")))
        << r.out;
    const Outcome coach = run("play --deals 7:1 --work 2000");
    EXPECT_EQ(coach.out.rfind("policy=coach deals=1 ", 0), 0u) << coach.out;
    const Outcome montecarlo = run("play --policy montecarlo --rollouts 5 --deals 7:1");
    EXPECT_EQ(montecarlo.out.rfind("policy=montecarlo deals=1 ", 0), 0u) << montecarlo.out;
}

TEST(CoachTool, HelpGoesToStandardOutput)
{
    const Outcome r = run("--help");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out.rfind("Usage: quenvale-coach deal N", 0), 0u);
}

TEST(CoachTool, BadCommandsAndCardsAreRefused)
{
    expectRefused("", "no command given");
    expectRefused("solve 3", "unknown command 'solve'");
    expectRefused("score 5C 5D 5H JS", "score takes five cards: four placed cards and the starter");
    expectRefused("score 5C 5D 5H JS 1X", "'1X' is not a card");
    expectRefused("score 5C 5D 5H JS 53", "'53' is not a card");
    expectRefused("score 5C 5D 5h JS 5H", "the card 5H is given twice");
    expectRefused("score 5C 5D 31 JS 5H", "the card 5H is given twice");
}

TEST(CoachTool, NumbersOutOfRangeAreRefused)
{
    expectRefused("deal 4294967296", "the deal must be a number from 0 to 4294967295, not '4294967296'");
    expectRefused("deal -1", "the deal must be a number from 0 to 4294967295, not '-1'");
    expectRefused("deal", "deal takes one number");
    expectRefused("play --deals 1:0", "the count of deals must be a number from 1 to 1000000, not '0'");
    expectRefused("play --deals 5", "--deals takes FIRST:COUNT, not '5'");
    expectRefused("play --threads 0", "--threads must be a number from 1 to 64, not '0'");
    expectRefused("play --rollouts x", "--rollouts must be a number from 1 to 1000000, not 'x'");
}

TEST(CoachTool, BadOptionsAreRefused)
{
    expectRefused("play --policy best", "unknown policy 'best'");
    expectRefused("play --fast", "unknown option '--fast'");
    expectRefused("play --threads", "--threads needs a value");
    expectRefused("play --threads 2 --threads 2", "--threads is given twice");
}
