// The lzrw1 command-line tool: exit codes, messages on standard error, no output left on failure.
#include "compress_test_data.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
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
