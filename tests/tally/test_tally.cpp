// The tally model on its own: ranking, counters, reset, grid text and the file.
#include "tally/lzrw1.h"
#include "tally/tallyfile.h"
#include "tally/tallymodel.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

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

TEST_F(Tally, FullDiskKeepsTheGoodTallyAndTheNextSaveStoresIt)
{
    // A tiny file system of its own, then filled up to the last byte.
    const fs::path small = dir / "small";
    fs::create_directory(small);
    // In a mount namespace of this test's own where allowed, so nothing outlives it.
    if (::unshare(CLONE_NEWNS) == 0)
        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr);
    if (::mount("tmpfs", small.c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "no tmpfs can be mounted here: " << std::strerror(errno);
    struct Unmount {
        fs::path at;
        ~Unmount() { ::umount2(at.c_str(), MNT_DETACH); }
    } unmount{small};
    const std::string file = (small / "quenvaletally.tld").string();
    tally->checkscore(120, "Ann");
    ASSERT_NO_THROW(tally->save(file));
    const std::string good = fileBytes(file);
    {
        const int fd = ::open((small / "filler").c_str(), O_WRONLY | O_CREAT, 0600);
        ASSERT_GE(fd, 0);
        const std::string block(4096, 'x');
        while (::write(fd, block.data(), block.size()) > 0) {}
        while (::write(fd, block.data(), 1) > 0) {}
        ::close(fd);
    }

    tally->checkscore(90, "Bob");
    try {
        tally->save(file);
        ADD_FAILURE() << "saved on a full disk";
    } catch (const std::runtime_error &e) {
        EXPECT_EQ(std::string(e.what()), "No space left on device : " + file);
    }
    EXPECT_EQ(fileBytes(file), good);
    EXPECT_EQ(std::distance(fs::directory_iterator(small), fs::directory_iterator()), 2);

    fs::remove(small / "filler");
    ASSERT_NO_THROW(tally->save(file));
    open();
    EXPECT_EQ(tally->load(file), "");
    EXPECT_EQ(tally->name(2), "Bob");
}

TEST_F(Tally, FifoAtTheTallyPathIsReportedAtOnceAndKeptAside)
{
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    ::alarm(30); // a read that waits for a writer ends the test program instead of hanging it
    EXPECT_EQ(tally->load(path), "Not a regular file : " + path);
    ::alarm(0);
    ASSERT_NO_THROW(tally->save(path));
    EXPECT_TRUE(fs::is_fifo(path + ".bak"));
    EXPECT_EQ(readTallyFile(path), emptyTallyText());
}

TEST_F(Tally, ContainerDeclaringTwoGigabytesIsRefusedBeforeDecoding)
{
    // A real tally's container with its size raised to 2,147,483,647 bytes.
    std::string bytes = compressString(emptyTallyText(), TCompressMode::Fast);
    bytes.replace(4, 4, "\xFF\xFF\xFF\x7F");
    std::ofstream(path, std::ios::binary) << bytes;
    EXPECT_EQ(tally->load(path), path + " : this file declares 2147483647 bytes, far more than a tally holds");
    EXPECT_EQ(tally->text(), emptyTallyText());
    ASSERT_NO_THROW(tally->save(path));
    EXPECT_EQ(fileBytes(path + ".bak"), bytes);

    // As large as the one found: 2.6 MB behind the same header is not even read.
    bytes.resize(2'600'000, '\x55');
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    open();
    EXPECT_EQ(tally->load(path), "File too large : " + path);
}

TEST_F(Tally, SmallerGridGrowsToTheTallyKeepingItsCells)
{
    // 9 columns and 1 row: the counters only. A score ranked later is stored.
    tally->setText("9\r\n1\r\n0\r\n7\r\n3\r\n42\r\n0\r\n\r\n\r\n\r\n\r\n");
    EXPECT_EQ(counters(), "7,3,42");
    tally->checkscore(55, "Ann");
    EXPECT_EQ(restart(), "");
    EXPECT_EQ(tally->text(), emptyTallyWith({{14, "7"}, {26, "3"}, {38, "42"}, {3, "6/2/24"}, {15, "55"}, {27, "Ann"}}));

    // 2 x 3: its cells stay where they were, everything else as in an empty tally.
    tally->setText("2\r\n3\r\nx\r\n6/1/24\r\n\r\n5\r\n90\r\n\r\n");
    EXPECT_EQ(tally->text(), emptyTallyWith({{2, "x"}, {3, "6/1/24"}, {14, "5"}, {15, "90"}}));
    EXPECT_EQ(tally->score(1), 90);
    EXPECT_EQ(tally->score(2), TallyModel::emptyScore);
}

TEST_F(Tally, LargerGridKeepsItsExtraCells)
{
    std::string text = "10\r\n13\r\n";
    for (int cell = 0; cell < 10 * 13; ++cell)
        text += "c" + std::to_string(cell) + "\r\n";
    tally->setText(text);
    EXPECT_EQ(restart(), "");
    EXPECT_EQ(tally->text(), text);
}
