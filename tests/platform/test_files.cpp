// Writing and reading the program's files: a failed step anywhere keeps the old
// file whole, and only plain files are read.
#include "platform/files.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

struct Files : ::testing::Test {
    fs::path dir;
    fs::path path;

    void SetUp() override
    {
        std::string templ = (fs::temp_directory_path() / "quenvale-files-XXXXXX").string();
        dir = mkdtemp(templ.data());
        path = dir / "quenvaletally.tld";
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string contents(const fs::path &p) const
    {
        std::ifstream f(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
    }
    std::vector<std::string> folder() const
    {
        std::vector<std::string> names;
        for (const auto &e : fs::directory_iterator(dir))
            names.push_back(e.path().filename().string());
        return names;
    }
};

// Sets errno and reports failure, as the system does.
int failWith(int error)
{
    errno = error;
    return -1;
}

} // namespace

TEST_F(Files, EveryFailedStepKeepsTheOldFileRemovesTheNewOneAndNamesThePath)
{
    platform::replaceFile(path, "the good tally");
    struct Case {
        const char *what;
        const char *reason;
        platform::WriteCalls calls;
    };
    auto calls = platform::WriteCalls::system;
    std::vector<Case> cases;
    // A disk that fills up after a few bytes.
    cases.push_back({"full disk", "No space left on device", calls()});
    cases.back().calls.write = [](int fd, const void *data, std::size_t) -> ssize_t {
        static thread_local int calls = 0;
        return calls++ % 2 == 0 ? ::write(fd, data, 3) : failWith(ENOSPC);
    };
    // A write that takes nothing and says nothing.
    cases.push_back({"no progress", "No space left on device", calls()});
    cases.back().calls.write = [](int, const void *, std::size_t) -> ssize_t { return 0; };
    cases.push_back({"flush", "Input/output error", calls()});
    cases.back().calls.fsync = [](int) { return failWith(EIO); };
    cases.push_back({"close", "Disk quota exceeded", calls()});
    cases.back().calls.close = [](int fd) {
        ::close(fd);
        return failWith(EDQUOT);
    };
    cases.push_back({"rename", "Invalid cross-device link", calls()});
    cases.back().calls.rename = [](const char *, const char *) { return failWith(EXDEV); };

    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        try {
            platform::replaceFile(path, "a longer tally that does not fit", c.calls);
            ADD_FAILURE() << "no error";
        } catch (const std::runtime_error &e) {
            EXPECT_EQ(std::string(e.what()), std::string(c.reason) + " : " + path.string());
        }
        EXPECT_EQ(contents(path), "the good tally");
        EXPECT_EQ(folder(), std::vector<std::string>{"quenvaletally.tld"});
    }
}

TEST_F(Files, ShortWritesAreCompletedAndTheRightsAndLinksKept)
{
    platform::WriteCalls calls = platform::WriteCalls::system();
    calls.write = [](int fd, const void *data, std::size_t) { return ::write(fd, data, 1); };
    platform::replaceFile(path, "old");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    platform::replaceFile(path, "one byte at a time", calls);
    EXPECT_EQ(contents(path), "one byte at a time");
    EXPECT_EQ(fs::status(path).permissions(), fs::perms(0640));

    // A link stays a link; the file it names gets the bytes.
    const fs::path link = dir / "link.tld";
    fs::create_symlink(path, link);
    platform::replaceFile(link, "through the link");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(contents(path), "through the link");
}

TEST_F(Files, WhatIsNotAPlainFileIsNeitherWaitedForNorReplaced)
{
    // A FIFO would hold a reader until some writer came; a folder cannot be replaced.
    const fs::path fifo = dir / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fs::create_directory(dir / "folder");
    for (const fs::path &p : {fifo, dir / "folder"}) {
        SCOPED_TRACE(p.string());
        EXPECT_THROW(platform::readSmallFile(p, 100), std::runtime_error);
        EXPECT_THROW(platform::replaceFile(p, "bytes"), std::runtime_error);
    }
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_TRUE(fs::is_directory(dir / "folder"));
    EXPECT_EQ(folder().size(), 2u);

    platform::replaceFile(path, "12345");
    EXPECT_EQ(platform::readSmallFile(path, 5), "12345");
    EXPECT_THROW(platform::readSmallFile(path, 4), std::runtime_error);
    EXPECT_THROW(platform::readSmallFile(dir / "missing", 4), std::runtime_error);
}
