// The lzrw1 command-line tool: exit codes, messages on standard error, no output left on failure.
#include "compress_test_data.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace compresstest;
namespace fs = std::filesystem;

namespace {

struct Result {
    int exitCode;
    std::string out; // standard output and error, in that order
};

Result run(const std::string &args, const fs::path &dir)
{
    const std::string cmd = "cd '" + dir.string() + "' && '" LZRW1_TOOL "' " + args + " 2>err.txt";
    std::FILE *p = ::popen(cmd.c_str(), "r");
    std::string out;
    char buf[256];
    while (std::size_t n = std::fread(buf, 1, sizeof buf, p))
        out.append(buf, n);
    const int status = ::pclose(p);
    std::ifstream err(dir / "err.txt");
    out += std::string(std::istreambuf_iterator<char>(err), {});
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

class Lzrw1Tool : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("lzrw1-tool-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    fs::path dir;

    std::string contents(const std::string &name) const
    {
        std::ifstream f(dir / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(f), {}};
    }
    std::size_t files() const { return std::distance(fs::directory_iterator(dir), fs::directory_iterator()); }
};

} // namespace

TEST_F(Lzrw1Tool, CompressesAndRestoresInEveryMode)
{
    // A text that repeats every 1000 bytes: the fast coder shrinks it well, so auto picks it.
    Bytes data;
    const Bytes line = mixed(1000);
    for (int i = 0; i < 100; ++i)
        data.insert(data.end(), line.begin(), line.end());
    std::ofstream(dir / "in", std::ios::binary).write(reinterpret_cast<const char *>(data.data()),
                                                      std::streamsize(data.size()));
    for (const std::string mode : {"", "-m fast ", "-m good ", "-m auto "}) {
        ASSERT_EQ(run("c " + mode + "in c.lz", dir).exitCode, 0) << mode;
        ASSERT_EQ(run("d c.lz back", dir).exitCode, 0) << mode;
        std::ifstream back(dir / "back", std::ios::binary);
        EXPECT_EQ(Bytes(std::istreambuf_iterator<char>(back), {}), data) << mode;
    }
    std::ifstream c(dir / "c.lz", std::ios::binary);
    EXPECT_EQ(c.get(), 0x57);
}

TEST_F(Lzrw1Tool, FailuresExitOneWithTheMessageAndNoOutput)
{
    std::ofstream(dir / "bad") << "not a container";
    const Result r = run("d bad out", dir);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "bad : Lzrw1 decompression : this file has no valid header !\n");
    EXPECT_FALSE(fs::exists(dir / "out"));

    std::ofstream(dir / "out") << "kept";
    EXPECT_EQ(run("c missing out", dir).out, "Lzrw1 compression : Failed to obtain the size of : missing\n");
    EXPECT_TRUE(fs::exists(dir / "out"));
}

TEST_F(Lzrw1Tool, Usage)
{
    const Result help = run("--help", dir);
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("lzrw1 c [-m fast|good|auto] IN OUT"), std::string::npos);
    EXPECT_EQ(run("", dir).exitCode, 1);
    EXPECT_EQ(run("c -m best a b", dir).exitCode, 1);
    EXPECT_EQ(run("d a", dir).exitCode, 1);
}

TEST_F(Lzrw1Tool, AFailureLeavesTheOutputAsItWasAndASuccessReplacesIt)
{
    std::ofstream(dir / "bad") << "not a container";
    std::ofstream(dir / "precious.txt") << "precious";
    const Result r = run("d bad precious.txt", dir);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "bad : Lzrw1 decompression : this file has no valid header !\n");
    EXPECT_EQ(contents("precious.txt"), "precious");
    EXPECT_EQ(files(), 3u); // bad, precious.txt, err.txt: nothing left behind

    ASSERT_EQ(::chmod((dir / "precious.txt").c_str(), 0640), 0);
    ASSERT_EQ(run("c bad precious.txt", dir).exitCode, 0);
    EXPECT_EQ(fs::status(dir / "precious.txt").permissions(), fs::perms(0640));
    ASSERT_EQ(run("d precious.txt back", dir).exitCode, 0);
    EXPECT_EQ(contents("back"), "not a container");
}

TEST_F(Lzrw1Tool, AnOutputThatIsNotAPlainFileIsRefusedAndLeftAlone)
{
    std::ofstream(dir / "in") << "data";
    std::ofstream(dir / "target") << "target";
    fs::create_symlink(dir / "target", dir / "link");
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    fs::create_directory(dir / "folder");
    std::vector<std::string> outputs{"link", "fifo", "folder"};
    // A device node like /dev/null, made here when allowed (as root).
    if (::mknod((dir / "null").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0)
        outputs.push_back("null");
    for (const std::string &out : outputs) {
        const Result r = run("c in " + out, dir);
        EXPECT_EQ(r.exitCode, 1) << out;
        EXPECT_EQ(r.out, "lzrw1: " + out + " is not a regular file; it is left as it is\n");
    }
    EXPECT_TRUE(fs::is_symlink(dir / "link"));
    EXPECT_EQ(contents("target"), "target");
    EXPECT_TRUE(fs::is_fifo(dir / "fifo"));
    EXPECT_TRUE(fs::is_directory(dir / "folder"));
    if (outputs.size() == 4) {
        EXPECT_TRUE(fs::is_character_file(dir / "null"));
    }
    EXPECT_EQ(files(), outputs.size() + 3); // in, target, err.txt besides them
}
