// The program as a user starts it: a copy in a folder of its own, started from
// another folder, ended as a desktop session ends it.
#include "tally/lzrw1.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct TempDir {
    fs::path path;
    TempDir()
    {
        std::string templ = (fs::temp_directory_path() / "quenvale-program-XXXXXX").string();
        path = mkdtemp(templ.data());
    }
    ~TempDir() { fs::remove_all(path); }
};

// Starts program with cwd as its current folder; returns the process id.
pid_t start(const fs::path &program, const fs::path &cwd, const fs::path &home)
{
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(cwd.c_str()) != 0)
            _exit(120);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        setenv("HOME", home.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
        setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
        execl(program.c_str(), program.c_str(), static_cast<char *>(nullptr));
        _exit(121);
    }
    return pid;
}

int endAndWait(pid_t pid)
{
    kill(pid, SIGTERM);
    int status = 0;
    for (int i = 0; i < 300; ++i) {
        if (waitpid(pid, &status, WNOHANG) == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return -1;
}

} // namespace

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
