// The real program on a virtual X display, played with the keyboard as a player
// would, killed mid-round and started again: nothing of the session is lost.
#include "game/savedgame.h"
#include "tally/tallyfile.h"
#include "tests/program/program_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <optional>

namespace {

using Clock = std::chrono::steady_clock;

bool installed(const char *program)
{
    return std::system(("command -v " + std::string(program) + " >/dev/null 2>&1").c_str()) == 0;
}

// An Xvfb server of its own, on the first free display number.
class VirtualDisplay {
public:
    VirtualDisplay()
    {
        int pipe[2];
        if (::pipe(pipe) != 0)
            return;
        pid_ = fork();
        if (pid_ == 0) {
            ::close(pipe[0]);
            const int devnull = ::open("/dev/null", O_WRONLY);
            dup2(devnull, STDERR_FILENO);
            const std::string fd = std::to_string(pipe[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
                   static_cast<char *>(nullptr));
            _exit(121);
        }
        ::close(pipe[1]);
        // Xvfb writes its display number once it takes connections.
        std::string number;
        char c;
        while (::read(pipe[0], &c, 1) == 1 && c != '\n')
            number += c;
        ::close(pipe[0]);
        if (!number.empty())
            name_ = ":" + number;
    }
    ~VirtualDisplay()
    {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    const std::string &name() const { return name_; }

    // Runs an X command line on this display; its output, or nothing when it failed.
    std::optional<std::string> run(const std::string &command) const
    {
        FILE *out = popen(("DISPLAY=" + name_ + " timeout 30 " + command + " 2>/dev/null").c_str(), "r");
        if (!out)
            return std::nullopt;
        std::string text;
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, out))
            text += buffer;
        return pclose(out) == 0 ? std::optional(text) : std::nullopt;
    }

private:
    pid_t pid_ = -1;
    std::string name_;
};

// The program's main window once it is mapped, focused for the keyboard.
std::string mainWindow(const VirtualDisplay &display)
{
    const std::optional<std::string> id = display.run("xdotool search --sync --onlyvisible --name '^Quenvale$'");
    if (!id || id->empty())
        return {};
    const std::string window = id->substr(0, id->find('\n'));
    display.run("xdotool windowfocus --sync " + window);
    return window;
}

std::string fileText(const fs::path &path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// The window's pixels, as raw RGB.
std::string screenshot(const VirtualDisplay &display, const std::string &window, const fs::path &file)
{
    display.run("import -window " + window + " rgb:" + file.string());
    return fileText(file);
}

// Waits up to timeout for done() to hold.
template <typename Done> bool waitFor(Done done, std::chrono::seconds timeout = std::chrono::seconds(30))
{
    for (const auto end = Clock::now() + timeout; Clock::now() < end;) {
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return done();
}

std::size_t placementsIn(const fs::path &savedGame)
{
    try {
        return qv::parseSavedGame(fileText(savedGame)).placements.size();
    } catch (const std::exception &) {
        return 0; // not there yet
    }
}

} // namespace

TEST(KilledProgram, ComesBackWithTheSameBoardAndTheTallyOfItsSession)
{
    if (!installed("Xvfb") || !installed("xdotool") || !installed("import"))
        GTEST_SKIP() << "Xvfb, xdotool or ImageMagick's import is missing (scripts/bootstrap installs them): "
                        "this test needs a virtual X display and does not run offscreen";
    VirtualDisplay display;
    ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";

    TempDir programDir, currentDir, home;
    const fs::path program = programDir.path / "quenvale";
    fs::copy_file(QV_GAME_PROGRAM, program);
    std::ofstream(programDir.path / "quenvale.ini") << "[quenvale]\nSounds=no\nUpdate=false\n";
    const fs::path savedGame = programDir.path / "quenvalegame.txt";

    pid_t pid = start(program, currentDir.path, home.path, display.name());
    ASSERT_GT(pid, 0);
    std::string window = mainWindow(display);
    ASSERT_FALSE(window.empty()) << "the main window never showed";
    // Enter takes the name, Ctrl+S starts a game; four cards go right to left
    // along the top row, so the keyboard's frame ends on the first cell.
    ASSERT_TRUE(display.run("xdotool key --delay 50 Return ctrl+s Right Right Right Return Left Return Left Return "
                            "Left Return"));
    ASSERT_TRUE(waitFor([&] { return placementsIn(savedGame) == 4; })) << fileText(savedGame);
    const std::string savedBefore = fileText(savedGame);
    std::string before;
    // The last card is on the file before it is on the screen: wait for the picture to settle.
    ASSERT_TRUE(waitFor([&] {
        const std::string shot = screenshot(display, window, home.path / "before.rgb");
        const bool same = !shot.empty() && shot == before;
        before = shot;
        return same;
    }));

    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    // The round's start reached the tally file at once: one round played.
    std::string tally = readTallyFile((programDir.path / "quenvaletally.tld").string());
    for (int line = 1; line < 15; ++line) // line 15 holds the rounds played
        tally.erase(0, tally.find("\r\n") + 2);
    EXPECT_EQ(tally.substr(0, tally.find("\r\n")), "1");

    pid = start(program, currentDir.path, home.path, display.name());
    ASSERT_GT(pid, 0);
    window = mainWindow(display);
    ASSERT_FALSE(window.empty()) << "the main window never showed again";
    // The resumed board has the keyboard; Enter shows its frame on the first cell again.
    ASSERT_TRUE(display.run("xdotool key Return"));
    std::string after;
    const bool same = waitFor([&] {
        after = screenshot(display, window, home.path / "after.rgb");
        return after == before;
    });
    if (!same) {
        fs::copy_file(home.path / "before.rgb", fs::temp_directory_path() / "quenvale-killed-before.rgb",
                      fs::copy_options::overwrite_existing);
        fs::copy_file(home.path / "after.rgb", fs::temp_directory_path() / "quenvale-killed-after.rgb",
                      fs::copy_options::overwrite_existing);
    }
    EXPECT_TRUE(same) << "the window differs from the one killed; both pictures are in "
                      << fs::temp_directory_path() << " as quenvale-killed-*.rgb";
    EXPECT_EQ(fileText(savedGame), savedBefore);
    EXPECT_FALSE(fs::exists(savedGame.string() + ".bak"));
    endAndWait(pid);
}
