#include "platform/profile.h"

#include "platform/files.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace fs = std::filesystem;
using platform::readProfileString;
using platform::writeProfileString;

namespace {

class ProfileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/qv_profile_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        file = dir / "test.ini";
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(dir, ec);
    }

    void put(const std::string &text) const { std::ofstream(file, std::ios::binary) << text; }
    std::string contents() const
    {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }
    std::string read(std::string_view section, std::string_view key, std::string_view def = "DEF") const
    {
        return readProfileString(file, section, key, def);
    }
    bool write(std::string_view section, std::string_view key, std::string_view value) const
    {
        return writeProfileString(file, section, key, value);
    }

    fs::path dir, file;
};

// Reading

TEST_F(ProfileTest, MissingFileSectionOrKeyGivesTheDefault)
{
    EXPECT_EQ(read("s", "k"), "DEF");
    put("[s]\nk=1\n");
    EXPECT_EQ(read("other", "k"), "DEF");
    EXPECT_EQ(read("s", "other"), "DEF");
    EXPECT_EQ(read("s", "k"), "1");
}

TEST_F(ProfileTest, NamesMatchWithoutCaseAndBlanks)
{
    put("  [ QuenVale ]  \n  TOP = 12 \n");
    EXPECT_EQ(read("quenvale", "top"), "12");
    EXPECT_EQ(read("QUENVALE", "Top"), "12");
}

TEST_F(ProfileTest, ValuesAreTrimmedButKeepInnerBlanksAndQuotes)
{
    put("[s]\na=\t two words \t\nb=\nc=\"q\"\nd=x=y\n");
    EXPECT_EQ(read("s", "a"), "two words");
    EXPECT_EQ(read("s", "b"), "");  // present but empty: not the default
    EXPECT_EQ(read("s", "c"), "\"q\"");
    EXPECT_EQ(read("s", "d"), "x=y");
}

TEST_F(ProfileTest, KeyIsLookedUpOnlyInItsOwnSectionAndFirstMatchWins)
{
    put("k=top\n[a]\nk=1\nk=2\n[b]\nk=3\n[a]\nk=4\n");
    EXPECT_EQ(read("a", "k"), "1");
    EXPECT_EQ(read("b", "k"), "3");
}

TEST_F(ProfileTest, CommentsAndStrayLinesAreNotKeys)
{
    put("[s]\n;k=comment\njunk line\n[broken\nk=real\n");
    EXPECT_EQ(read("s", "k"), "real");
    EXPECT_EQ(read("s", ";k"), "comment");
}

TEST_F(ProfileTest, CrLfAndByteOrderMarkAreRead)
{
    put("\xEF\xBB\xBF[s]\r\nk= v \r\nlast=end");
    EXPECT_EQ(read("s", "k"), "v");
    EXPECT_EQ(read("s", "last"), "end");
}

TEST_F(ProfileTest, LongValuesAreCutTo2047Characters)
{
    put("[s]\nascii=" + std::string(3000, 'a') + "\nutf8=" + std::string(2, 'b') + [] {
        std::string s;
        for (int i = 0; i < 2100; ++i)
            s += "\xC3\xA9";  // é, two bytes each
        return s;
    }() + "\n");
    EXPECT_EQ(read("s", "ascii"), std::string(2047, 'a'));
    const std::string utf8 = read("s", "utf8");
    EXPECT_EQ(utf8.size(), 2 + 2045 * 2u);  // cut between characters, never inside one
    EXPECT_EQ(utf8.substr(utf8.size() - 2), "\xC3\xA9");
}

TEST_F(ProfileTest, UnreadablePathsGiveTheDefault)
{
    EXPECT_EQ(readProfileString(dir, "s", "k", "DEF"), "DEF");  // a folder
    EXPECT_EQ(readProfileString(dir / "no" / "such.ini", "s", "k", "DEF"), "DEF");
}

// Writing

TEST_F(ProfileTest, NewFileHasHeaderThenKeysInWriteOrder)
{
    ASSERT_TRUE(write("quenvale", "Top", "3"));
    ASSERT_TRUE(write("quenvale", "Left", "-4"));
    ASSERT_TRUE(write("quenvale", "Name", "Guest"));
    EXPECT_EQ(contents(), "[quenvale]\nTop=3\nLeft=-4\nName=Guest\n");
}

TEST_F(ProfileTest, ExistingKeyIsReplacedWhereItStandsAndEverythingElseKept)
{
    const std::string before = "; my notes\r\n[other]\r\nTop=99\r\n\r\n[QuenVale]\r\n  top = 1 \r\n"
                               "Server=http://example.test/\r\nweird line\r\n\r\n[last]\r\nx=y";
    put(before);
    ASSERT_TRUE(write("quenvale", "Top", "5"));
    EXPECT_EQ(contents(), "; my notes\r\n[other]\r\nTop=99\r\n\r\n[QuenVale]\r\nTop=5\r\n"
                          "Server=http://example.test/\r\nweird line\r\n\r\n[last]\r\nx=y");
}

TEST_F(ProfileTest, NewKeyGoesAfterTheSectionsLastLineBeforeBlankSeparators)
{
    put("[a]\nk=1\n\n\n[b]\nk=2\n");
    ASSERT_TRUE(write("A", "new", "v"));
    EXPECT_EQ(contents(), "[a]\nk=1\nnew=v\n\n\n[b]\nk=2\n");
}

TEST_F(ProfileTest, MissingSectionIsAppendedInTheFilesLineEndStyle)
{
    put("[a]\r\nk=1");  // no line end after the last line
    ASSERT_TRUE(write("b", "k", "2"));
    EXPECT_EQ(contents(), "[a]\r\nk=1\r\n[b]\r\nk=2\r\n");
}

TEST_F(ProfileTest, ByteOrderMarkAndOddBytesSurviveAWrite)
{
    const std::string tail = "[x]\n\xFF\xFE raw \x01\n";
    put("\xEF\xBB\xBF[s]\nk=1\n" + tail);
    ASSERT_TRUE(write("s", "k", "2"));
    EXPECT_EQ(contents(), "\xEF\xBB\xBF[s]\nk=2\n" + tail);
}

TEST_F(ProfileTest, LineBreaksInAValueCannotAddLines)
{
    ASSERT_TRUE(write("s", "Name", "evil\n[s]\r\nTop=1"));
    EXPECT_EQ(contents(), "[s]\nName=evil [s]  Top=1\n");
    EXPECT_EQ(read("s", "Top"), "DEF");
}

TEST_F(ProfileTest, NamesThatCannotBeWrittenAreRefused)
{
    EXPECT_FALSE(write("", "k", "v"));
    EXPECT_FALSE(write("a]b", "k", "v"));
    EXPECT_FALSE(write("s", "", "v"));
    EXPECT_FALSE(write("s", "a=b", "v"));
    EXPECT_FALSE(write("s", "[k", "v"));
    EXPECT_FALSE(write("s", "k\n", "v"));
    EXPECT_FALSE(fs::exists(file));
}

TEST_F(ProfileTest, ReadOnlyFileIsAFailureAndStaysUntouched)
{
    put("[s]\nk=1\n");
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_FALSE(write("s", "k", "2"));
    EXPECT_EQ(contents(), "[s]\nk=1\n");
}

TEST_F(ProfileTest, ReadOnlyFolderIsAFailureAndLeavesNothingBehind)
{
    put("[s]\nk=1\n");
    fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_FALSE(write("s", "k", "2"));
    EXPECT_FALSE(writeProfileString(dir / "new.ini", "s", "k", "v"));
    fs::permissions(dir, fs::perms::owner_all);
    EXPECT_EQ(contents(), "[s]\nk=1\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST_F(ProfileTest, MissingFolderOrAFolderInPlaceOfTheFileIsAFailure)
{
    EXPECT_FALSE(writeProfileString(dir / "no" / "such.ini", "s", "k", "v"));
    fs::create_directory(file);
    EXPECT_FALSE(write("s", "k", "v"));
}

TEST_F(ProfileTest, WriteKeepsPermissionsAndLeavesNoTemporaryFile)
{
    put("[s]\n");
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_TRUE(write("s", "k", "v"));
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::mask,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST_F(ProfileTest, WriteGoesThroughASymbolicLink)
{
    const fs::path real = dir / "real.ini";
    std::ofstream(real) << "[s]\nk=1\n";
    const fs::path link = dir / "link.ini";
    fs::create_symlink(real, link);
    ASSERT_TRUE(writeProfileString(link, "s", "k", "2"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(readProfileString(real, "s", "k", ""), "2");
}

TEST(Files, WritableHonoursReadOnlyBitsEvenForRoot)
{
    char pattern[] = "/tmp/qv_files_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const fs::path dir = pattern;
    EXPECT_TRUE(platform::isWritable(dir));
    fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_FALSE(platform::isWritable(dir));
    fs::permissions(dir, fs::perms::owner_all);
    EXPECT_FALSE(platform::isWritable(dir / "missing"));
    fs::remove_all(dir);
}

} // namespace
