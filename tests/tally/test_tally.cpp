// The tally model on its own: ranking, counters, reset, grid text and the file.
#include "tally/tallyfile.h"
#include "tally/tallymodel.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>

namespace fs = std::filesystem;

namespace {

std::vector<std::string> lines(const std::string &text)
{
    std::vector<std::string> out;
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t end = text.find("\r\n", pos);
        out.push_back(text.substr(pos, end - pos));
        pos = end + 2;
    }
    return out;
}

std::string fileBytes(const fs::path &path)
{
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

// The text of a tally nobody has played on yet.
std::string emptyTallyText()
{
    std::string t = "9\r\n12\r\n0\r\n";
    for (int i = 0; i < 11; ++i) t += "\r\n";
    t += "0\r\n";
    for (int i = 0; i < 10; ++i) t += "-1000\r\n";
    t += "\r\n0\r\n";
    for (int i = 0; i < 11; ++i) t += "\r\n";
    t += "0\r\n";
    for (int i = 0; i < 11; ++i) t += "\r\n";
    t += "0\r\n";
    for (int i = 0; i < 59; ++i) t += "\r\n";
    return t;
}

// The empty tally's text with some lines changed (0-based line numbers).
std::string emptyTallyWith(const std::map<int, std::string> &changes)
{
    auto cells = lines(emptyTallyText());
    for (const auto &[line, text] : changes)
        cells[line] = text;
    std::string text;
    for (const auto &l : cells)
        text += l + "\r\n";
    return text;
}

struct Tally : ::testing::Test {
    fs::path dir;
    std::string path;
    std::unique_ptr<TallyModel> tally;
    int changes = 0;

    void SetUp() override
    {
        std::string templ = (fs::temp_directory_path() / "quenvale-tally-XXXXXX").string();
        dir = mkdtemp(templ.data());
        path = (dir / "quenvaletally.tld").string();
        open();
    }
    void TearDown() override { fs::remove_all(dir); }

    void open()
    {
        tally = std::make_unique<TallyModel>([] { return std::string("6/2/24"); });
        tally->changed = [this] { ++changes; };
    }
    // Ends the program (the tally is written) and starts it again (read back).
    std::string restart()
    {
        EXPECT_NO_THROW(tally->save(path));
        open();
        return tally->load(path);
    }
    std::string counters()
    {
        return tally->counter(1) + "," + tally->counter(2) + "," + tally->counter(3);
    }
};

} // namespace

TEST_F(Tally, NewTallyIsWrittenByteForByte)
{
    EXPECT_EQ(counters(), "0,0,0");
    EXPECT_EQ(tally->scoreText(1), "");
    EXPECT_EQ(tally->score(1), TallyModel::emptyScore);
    ASSERT_NO_THROW(tally->save(path));
    const std::string bytes = fileBytes(path);
    ASSERT_GE(bytes.size(), 12u);
    EXPECT_EQ(bytes.substr(0, 4), "\x57\x52\x5A\x4C");
    const std::string text = readTallyFile(path);
    EXPECT_EQ(lines(text).size(), 110u);
    EXPECT_EQ(text, emptyTallyText());
    EXPECT_EQ(tally->text(), emptyTallyText());
}

TEST_F(Tally, ResetChangesOnlyTheUnusedCells)
{
    tally->reset();
    const auto before = lines(emptyTallyText());
    const auto after = lines(tally->text());
    ASSERT_EQ(after.size(), 110u);
    std::vector<int> differing;
    for (size_t i = 0; i < after.size(); ++i)
        if (after[i] != before[i])
            differing.push_back(static_cast<int>(i) + 1);
    EXPECT_EQ(differing, (std::vector<int>{26, 63, 75, 87, 99}));
    EXPECT_EQ(after[25], "-1000");
    EXPECT_EQ(after[62], "0");
}

TEST_F(Tally, ResetEmptiesEveryPlaceAndTheHighlight)
{
    tally->checkscore(75, "Ann");
    tally->addtomineincrease(TallyModel::totalRounds);
    tally->reset();
    EXPECT_EQ(counters(), "0,0,0");
    EXPECT_EQ(tally->scoreText(1), "");
    EXPECT_EQ(tally->name(1), "");
    EXPECT_EQ(tally->score(1), TallyModel::emptyScore);
    EXPECT_EQ(tally->highlighted(), 0);
    for (int n = 1; n <= TallyModel::places; ++n)
        EXPECT_FALSE(tally->bold(n)) << n;
    // A score ranked after the reset makes its own place bold again.
    tally->checkscore(10, "Bo");
    EXPECT_TRUE(tally->bold(1));
    EXPECT_FALSE(tally->bold(2));
}

TEST_F(Tally, LoadThenSaveKeepsTheBytes)
{
    tally->checkscore(88, "Bea");
    tally->addtomineincrease(TallyModel::totalRounds);
    EXPECT_EQ(restart(), "");
    EXPECT_EQ(tally->scoreText(1), "88");
    EXPECT_EQ(tally->name(1), "Bea");
    EXPECT_EQ(tally->date(1), "6/2/24");
    EXPECT_EQ(counters(), "1,0,0");
    // The highlight is not saved.
    EXPECT_EQ(tally->highlighted(), 0);
    const std::string first = fileBytes(path);
    restart();
    ASSERT_NO_THROW(tally->save(path));
    EXPECT_EQ(fileBytes(path), first);
}

TEST_F(Tally, ScoreThatIsNotANumberRanksAsEmptyAndIsKept)
{
    tally->setText(emptyTallyWith({{15, "50"}, {16, "abc"}, {27, "Cy"}, {28, "Di"}})); // places 1 and 2
    EXPECT_EQ(tally->scoreText(2), "");
    EXPECT_EQ(tally->score(2), TallyModel::emptyScore);
    EXPECT_EQ(lines(tally->text())[16], "abc");
    // A new score goes above it; the letters move down with their place.
    EXPECT_TRUE(tally->checkscore(10, "Ed"));
    EXPECT_EQ(tally->scoreText(2), "10");
    EXPECT_EQ(tally->table().Cells(1, 3), "abc");
    EXPECT_EQ(tally->name(3), "Di");
}

TEST_F(Tally, EmptyScoreCellsReadAsEmptyPlaces)
{
    tally->setText(emptyTallyWith({{15, ""}, {16, "-2000"}}));
    EXPECT_EQ(tally->table().Cells(1, 1), "-1000");
    EXPECT_EQ(tally->table().Cells(1, 2), "-2000");
    EXPECT_EQ(tally->scoreText(2), "");
    // -1000 and less are empty places: any game score goes above them.
    EXPECT_TRUE(tally->checkscore(0, ""));
    EXPECT_EQ(tally->highlighted(), 1);
}

TEST_F(Tally, TextThatIsNotGridTextChangesNothing)
{
    tally->checkscore(40, "Flo");
    EXPECT_THROW(tally->setText("nine\r\n12\r\n"), EInOutError);
    EXPECT_EQ(tally->scoreText(1), "40");
}

TEST_F(Tally, DamagedFileIsReportedOnceAndKeptAside)
{
    {
        std::ofstream f(path, std::ios::binary);
        f << "this is not a tally";
    }
    const std::string error = tally->load(path);
    EXPECT_EQ(error, path + " : Lzrw1 decompression : this file has no valid header !");
    EXPECT_EQ(counters(), "0,0,0");
    ASSERT_NO_THROW(tally->save(path));
    EXPECT_EQ(fileBytes(path + ".bak"), "this is not a tally");
    EXPECT_EQ(readTallyFile(path), emptyTallyText());
    // Later saves write the tally and leave the damaged file where it was kept.
    tally->addtomineincrease(TallyModel::totalRounds);
    ASSERT_NO_THROW(tally->save(path));
    EXPECT_EQ(fileBytes(path + ".bak"), "this is not a tally");
    EXPECT_EQ(lines(readTallyFile(path))[14], "1");
    open();
    EXPECT_EQ(tally->load(path), "");
}

TEST_F(Tally, MissingFileIsTheEmptyTallyAndAFolderThatCannotBeWrittenFailsQuietly)
{
    EXPECT_EQ(tally->load(path), "");
    EXPECT_EQ(tally->text(), emptyTallyText());
    const std::string unwritable = (dir / "no-such-folder" / "quenvaletally.tld").string();
    try {
        tally->save(unwritable);
        ADD_FAILURE() << "saved into a missing folder";
    } catch (const std::runtime_error &e) {
        EXPECT_EQ(std::string(e.what()), "No such file or directory : " + unwritable); // the reason and the file
    }
    // A folder where the file should be is reported, not read.
    fs::create_directory(path);
    EXPECT_EQ(tally->load(path), "Is a directory : " + path);
}

TEST_F(Tally, RankingPlacesEqualScoresAboveOlderOnes)
{
    for (int s : {90, 90, 120})
        tally->checkscore(s, "old");
    for (int n = 4; n <= 10; ++n)
        tally->checkscore(10 - n, "p" + std::to_string(n)); // fills places 4..10
    changes = 0;
    EXPECT_TRUE(tally->checkscore(90, "new"));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(tally->scoreText(1), "120");
    EXPECT_EQ(tally->scoreText(2), "90");
    EXPECT_EQ(tally->name(2), "new");
    EXPECT_EQ(tally->date(2), "6/2/24");
    EXPECT_EQ(tally->scoreText(3), "90");
    EXPECT_EQ(tally->scoreText(4), "90");
    EXPECT_EQ(tally->name(4), "old");
    EXPECT_EQ(tally->highlighted(), 2);
    EXPECT_EQ(tally->table().Cells(2, 2), "new");
    // The former place 10 (p10, 0 points) is gone.
    EXPECT_EQ(tally->name(10), "p9");
}

TEST_F(Tally, FullListTakesOnlyScoresAtLeastItsLast)
{
    for (int s = 130; s >= 40; s -= 10)
        tally->checkscore(s, "p");
    EXPECT_EQ(tally->scoreText(10), "40");
    EXPECT_FALSE(tally->checkscore(39, "no"));
    EXPECT_EQ(tally->highlighted(), 0);
    EXPECT_TRUE(tally->checkscore(40, "yes"));
    EXPECT_EQ(tally->name(10), "yes");
    EXPECT_EQ(tally->scoreText(9), "50");
    EXPECT_EQ(tally->highlighted(), 10);
}

TEST_F(Tally, ZeroRanksFirstOnAnEmptyTally)
{
    EXPECT_TRUE(tally->checkscore(0, ""));
    EXPECT_EQ(tally->scoreText(1), "0");
    EXPECT_EQ(tally->name(1), "");
    EXPECT_EQ(tally->highlighted(), 1);
    EXPECT_EQ(tally->scoreText(2), "");
}

TEST_F(Tally, CountersAndPercentage)
{
    tally->addtomineincrease(TallyModel::totalRounds);
    EXPECT_EQ(counters(), "1,0,0");
    tally->addtomineincrease(TallyModel::roundsCleared);
    EXPECT_EQ(counters(), "1,1,0");
    tally->addtomineincrease(TallyModel::totalRounds);
    EXPECT_EQ(counters(), "2,1,50"); // a failed second round adds nothing more
    tally->addtomineincrease(TallyModel::totalRounds);
    EXPECT_EQ(counters(), "3,1,33");
}

TEST_F(Tally, CounterThatIsNotANumberStartsFromZero)
{
    tally->setText(emptyTallyWith({{14, "many"}})); // Total Rounds
    tally->addtomineincrease(TallyModel::totalRounds);
    EXPECT_EQ(counters(), "1,0,0");
}
