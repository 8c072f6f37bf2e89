// The program as a user starts it: a copy in a folder of its own, started from
// another folder, ended as a desktop session ends it.
#include "tally/lzrw1.h"
#include "tests/program/program_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

TEST(Program, ClosedWithoutPlayingLeavesItsFilesBesideItselfOnly)
{
    TempDir programDir, currentDir, home;
    const fs::path program = programDir.path / "quenvale";
    fs::copy_file(QV_GAME_PROGRAM, program);

    const pid_t pid = start(program, currentDir.path, home.path);
    ASSERT_GT(pid, 0);
    // Give it time to come up under the sanitizers.
    std::this_thread::sleep_for(std::chrono::seconds(3));
    ASSERT_EQ(endAndWait(pid), 0);

    EXPECT_TRUE(fs::exists(programDir.path / "quenvale.ini"));
    ASSERT_TRUE(fs::exists(programDir.path / "quenvaletally.tld"));
    // The tally file holds the empty tally: 110 lines, no scores.
    Tlzrw1 coder;
    coder.InputFile = (programDir.path / "quenvaletally.tld").string();
    coder.OutputFile = (home.path / "tally.txt").string();
    ASSERT_NO_THROW(coder.Decompress());
    std::ifstream tally(coder.OutputFile, std::ios::binary);
    const std::string tallyText((std::istreambuf_iterator<char>(tally)), std::istreambuf_iterator<char>());
    EXPECT_EQ(std::count(tallyText.begin(), tallyText.end(), '\n'), 110);
    EXPECT_EQ(tallyText.substr(0, 10), "9\r\n12\r\n0\r\n");
    fs::remove(coder.OutputFile);
    EXPECT_TRUE(fs::is_empty(currentDir.path));
    EXPECT_FALSE(fs::exists(home.path / "config"));
    EXPECT_FALSE(fs::exists(home.path / "data"));

    std::ifstream ini(programDir.path / "quenvale.ini");
    const std::string text((std::istreambuf_iterator<char>(ini)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("[quenvale]"), std::string::npos);
    EXPECT_NE(text.find("Name=Guest"), std::string::npos);
}
