#pragma once
// Running the real program as a user starts it: a copy in a folder of its own,
// its own home, started from another folder and ended as a desktop session ends it.

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>
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

// Starts program with cwd as its current folder, offscreen or on the X display
// given; returns the process id.
pid_t start(const fs::path &program, const fs::path &cwd, const fs::path &home, const std::string &display = {})
{
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(cwd.c_str()) != 0)
            _exit(120);
        if (display.empty()) {
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
        } else {
            unsetenv("QT_QPA_PLATFORM");
            setenv("DISPLAY", display.c_str(), 1);
        }
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
