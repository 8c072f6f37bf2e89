// The history file: rounds and games recorded, a game put back after a restart,
// a damaged or newer history, the writer's thread, and the CSV export.
#include "history/historycsv.h"
#include "history/historydatabase.h"
#include "history/historywriter.h"
#include "history/statistics.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <sys/stat.h>

using namespace qv::history;
namespace fs = std::filesystem;

namespace {

std::string readAll(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class HistoryFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("qv-history-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        path = (dir / "quenvalehistory.db").string();
    }
    void TearDown() override { fs::remove_all(dir); }

    static RoundRecord round(int total, std::uint32_t deal = 7)
    {
        RoundRecord r;
        r.playedAt = 1'800'000'000;
        r.deal = deal;
        r.lines = {total, 0, 0, 0, 0, 0, 0, 0};
        r.total = total;
        return r;
    }

    fs::path dir;
    std::string path;
};

} // namespace

TEST_F(HistoryFile, RecordsRoundsAndTheirGame)
{
    HistoryDatabase db;
    ASSERT_EQ(db.open(path).state, HistoryDatabase::Opened::Ready);
    GameState game{qv::GameKind::Random, 1'800'000'000, 60, 1, true};
    db.recordRound(game, round(60));
    game = {qv::GameKind::Random, 1'800'000'000, 100, 2, false};
    db.recordRound(game, round(40));
    db.gameOver(game);
    // A second game, then the program ends with it open after one round.
    db.recordRound({qv::GameKind::Practice, 1'800'000'100, 70, 1, true}, round(70, 99));
    db.close();

    // After a restart the game put back carries on in its own row.
    ASSERT_EQ(db.open(path).state, HistoryDatabase::Opened::Ready);
    db.recordRound({qv::GameKind::Practice, 1'800'000'100, 75, 2, false}, round(5));
    // A game put back that the history does not match begins a row of its own.
    db.close();
    ASSERT_EQ(db.open(path).state, HistoryDatabase::Opened::Ready);
    db.recordRound({qv::GameKind::Random, 1'800'000'200, 30, 5, false}, round(30));
    // The coach helps in its next round: the whole game is practice from then on.
    db.recordRound({qv::GameKind::Practice, 1'800'000'200, 90, 6, false}, round(60));
    EXPECT_EQ(computeStatistics(db.handle(), {}).figures.rounds, 2);
    EXPECT_EQ(computeStatistics(db.handle(), {0, true}).figures.rounds, 4);

    sqlite3_stmt *stmt = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db.handle(), "SELECT kind, total, rounds, cleared, over FROM games ORDER BY id", -1,
                                 &stmt, nullptr),
              SQLITE_OK);
    std::vector<std::string> rows;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        std::string row;
        for (int c = 0; c < 5; ++c)
            row += std::to_string(sqlite3_column_int(stmt, c)) + (c < 4 ? " " : "");
        rows.push_back(row);
    }
    sqlite3_finalize(stmt);
    EXPECT_EQ(rows, (std::vector<std::string>{"0 100 2 1 1", "1 75 2 1 0", "1 90 6 1 0"}));
}

TEST_F(HistoryFile, DamagedHistoryIsKeptAsBakAndANewOneBegun)
{
    const std::string garbage(5000, 'x');
    std::ofstream(path, std::ios::binary) << garbage;
    HistoryDatabase db;
    const auto opened = db.open(path);
    EXPECT_EQ(opened.state, HistoryDatabase::Opened::Replaced);
    EXPECT_NE(opened.message.find(path + ".bak"), std::string::npos) << opened.message;
    EXPECT_EQ(readAll(path + ".bak"), garbage);
    db.recordRound({qv::GameKind::Random, 1, 60, 1, true}, round(60));
    db.close();

    // A database that is not a history is damage too; the older .bak is replaced.
    fs::remove(path);
    sqlite3 *other = nullptr;
    sqlite3_open(path.c_str(), &other);
    sqlite3_exec(other, "CREATE TABLE scores(x)", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_EQ(db.open(path).state, HistoryDatabase::Opened::Replaced);
    EXPECT_NE(readAll(path + ".bak"), garbage);
    const Statistics s = computeStatistics(db.handle(), {});
    EXPECT_EQ(s.figures.games, 0);

    // Something that is no file at all is set aside unopened: reading a FIFO would wait forever.
    db.close();
    fs::remove(path);
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    HistoryDatabase reader;
    EXPECT_EQ(reader.openForReading(path).state, HistoryDatabase::Opened::Failed);
    EXPECT_EQ(db.open(path).state, HistoryDatabase::Opened::Replaced);
    EXPECT_TRUE(fs::is_fifo(path + ".bak"));

    // An empty file (a crash at the first write) simply becomes the history.
    db.close();
    fs::remove(path);
    std::ofstream(path).close();
    EXPECT_EQ(db.open(path).state, HistoryDatabase::Opened::Ready);
}

TEST_F(HistoryFile, NewerHistoryIsNeverWritten)
{
    sqlite3 *newer = nullptr;
    sqlite3_open(path.c_str(), &newer);
    sqlite3_exec(newer, "CREATE TABLE games(id); PRAGMA user_version = 2", nullptr, nullptr, nullptr);
    sqlite3_close(newer);
    const std::string before = readAll(path);

    std::vector<std::string> reports;
    {
        HistoryWriter writer([&](const std::string &m) { reports.push_back(m); });
        const auto opened = writer.open(path);
        EXPECT_EQ(opened.state, HistoryDatabase::Opened::Newer);
        EXPECT_NE(opened.message.find("newer version"), std::string::npos);
        EXPECT_FALSE(writer.recording());
        writer.recordRound({qv::GameKind::Random, 1, 60, 1, true}, round(60));
        writer.gameOver({});
        writer.flush();
    }
    EXPECT_EQ(readAll(path), before);
    EXPECT_FALSE(fs::exists(path + ".bak"));
    EXPECT_FALSE(fs::exists(path + "-wal"));
    EXPECT_TRUE(reports.empty());
    HistoryDatabase reader;
    EXPECT_EQ(reader.openForReading(path).state, HistoryDatabase::Opened::Newer);
}

TEST_F(HistoryFile, WriterRecordsOnItsThreadAndReportsAFailureOnce)
{
    std::vector<std::string> reports;
    HistoryWriter writer([&](const std::string &m) { reports.push_back(m); });
    ASSERT_EQ(writer.open(path).state, HistoryDatabase::Opened::Ready);
    writer.recordRound({qv::GameKind::Ranked, 5, 80, 1, true}, round(80));
    writer.flush();
    HistoryDatabase reader;
    ASSERT_EQ(reader.openForReading(path).state, HistoryDatabase::Opened::Ready);
    EXPECT_EQ(computeStatistics(reader.handle(), {}).figures.bestRound, 80);

    // The reader holds a write lock: writes fail, and say so once.
    sqlite3_busy_timeout(reader.handle(), 0);
    sqlite3 *blocker = nullptr;
    sqlite3_open(path.c_str(), &blocker);
    sqlite3_exec(blocker, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    writer.recordRound({qv::GameKind::Ranked, 5, 150, 2, false}, round(70));
    writer.recordRound({qv::GameKind::Ranked, 5, 220, 3, false}, round(70));
    writer.flush();
    sqlite3_exec(blocker, "ROLLBACK", nullptr, nullptr, nullptr);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("database is locked"), std::string::npos) << reports[0];

    // A lock held briefly (another copy of the game writing) is waited for.
    sqlite3_exec(blocker, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        sqlite3_exec(blocker, "ROLLBACK", nullptr, nullptr, nullptr);
    });
    writer.recordRound({qv::GameKind::Ranked, 5, 260, 4, false}, round(40));
    writer.recordRound({qv::GameKind::Ranked, 5, 300, 5, false}, round(40));
    writer.flush();
    release.join();
    sqlite3_close(blocker);
    EXPECT_EQ(reports.size(), 1u);
    EXPECT_EQ(computeStatistics(reader.handle(), {}).figures.rounds, 3);
}

TEST_F(HistoryFile, CsvOfTheRounds)
{
    setenv("TZ", "UTC0", 1);
    tzset();
    std::ostringstream line;
    CsvRound r{1'800'000'000, 12, 1, {0, 4294967295u, {1, 2, 3, 4, 6, 7, 8, 9}, 40}};
    writeCsvRound(line, r);
    EXPECT_EQ(line.str(), "2027-01-15,08:00:00,12,practice,4294967295,1,2,3,4,6,7,8,9,40\n");

    HistoryDatabase db;
    ASSERT_EQ(db.open(path).state, HistoryDatabase::Opened::Ready);
    RoundRecord early = round(60, 3), late = round(20, 4);
    late.playedAt = early.playedAt + 100;
    db.recordRound({qv::GameKind::Random, 0, 60, 1, true}, early);
    db.recordRound({qv::GameKind::Random, 0, 80, 2, false}, late);
    const std::string csv = (dir / "rounds.csv").string();
    EXPECT_EQ(exportRoundsCsv(db.handle(), 0, csv), 2);
    std::ostringstream expected;
    writeCsvHeader(expected);
    expected << "2027-01-15,08:00:00,1,random,3,60,0,0,0,0,0,0,0,60\n"
             << "2027-01-15,08:01:40,1,random,4,20,0,0,0,0,0,0,0,20\n";
    EXPECT_EQ(readAll(csv), expected.str());
    EXPECT_EQ(exportRoundsCsv(db.handle(), late.playedAt, csv), 1);

    // A folder that is not there: an error, and no file left behind.
    const std::string nowhere = (dir / "missing" / "rounds.csv").string();
    EXPECT_THROW(exportRoundsCsv(db.handle(), 0, nowhere), HistoryError);
    EXPECT_FALSE(fs::exists(nowhere));
    EXPECT_FALSE(fs::exists(nowhere + ".part"));
}
