#include "net/pagebound.h"
#include "tests/net/hostilepages.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

std::size_t count(const std::string &text, const std::string &what)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

// The longest run of characters without a space, a tag or a break opportunity.
std::size_t longestWord(const std::string &html)
{
    std::size_t longest = 0, run = 0;
    bool inTag = false;
    for (std::size_t k = 0; k < html.size(); ++k) {
        if (html.compare(k, 7, "&#8203;") == 0) {
            run = 0;
            k += 6;
        } else if (html[k] == '<' || html[k] == '>' || html[k] == ' ') {
            inTag = html[k] == '<';
            run = 0;
        } else if (!inTag) {
            longest = std::max(longest, ++run);
        }
    }
    return longest;
}

// What a real list looks like: a few KB, a table of names, dates and scores.
const std::string realList = "<html><head><title>High Scores</title></head><body>"
                             "<h2 align=\"center\">Top Scores</h2><table border=1 cellpadding=2>"
                             "<tr><th>Rank<th>Name<th>Date<th>Score"
                             "<tr><td>1<td>Ann &amp; Bo<td>2026-12-01<td>88"
                             "<tr><td>2<td>Guest<td>2026-11-30<td>61</table>"
                             "<p>Play again at <a href='http://example.org/quenvale'>our site</a>.<p>Bye</body></html>";

} // namespace

TEST(PageBound, HostilePagesAreCutToTheLimitsAndSaySo)
{
    const qv::PageLimits limits;
    for (const auto &[name, page] : hostile::all()) {
        SCOPED_TRACE(name);
        const qv::BoundedPage bounded = qv::boundPage(page, limits);
        EXPECT_TRUE(bounded.cut());
        EXPECT_LE(bounded.html.size(), limits.maxBytes + 300);
        EXPECT_LE(count(bounded.html, "<table"), limits.maxTableDepth * (limits.maxCells + 1));
        EXPECT_LE(count(bounded.html, "<td>"), limits.maxCells);
        EXPECT_LE(longestWord(bounded.html), limits.maxWord);
        EXPECT_NE(bounded.html.find("Part of this page was left out"), std::string::npos);
    }
    EXPECT_TRUE(qv::boundPage(hostile::nestedTables()).tablesTooDeep);
    EXPECT_EQ(count(qv::boundPage(hostile::nestedTables()).html, "<table>"), limits.maxTableDepth);
    EXPECT_TRUE(qv::boundPage(hostile::nestedLists()).tooDeep);
    EXPECT_EQ(count(qv::boundPage(hostile::nestedLists()).html, "<ul>"), limits.maxDepth / 2);
    EXPECT_TRUE(qv::boundPage(hostile::tenMegabyteWord()).tooLarge);
    EXPECT_TRUE(qv::boundPage(hostile::quarterMillionRows()).tooManyCells);
}

TEST(PageBound, RealListIsShownWholeAndBoundingAgainChangesNothing)
{
    const qv::BoundedPage bounded = qv::boundPage(realList);
    EXPECT_FALSE(bounded.cut());
    EXPECT_FALSE(bounded.wordsBroken);
    EXPECT_EQ(bounded.html.find("left out"), std::string::npos);
    EXPECT_NE(bounded.html.find("<td>Ann &amp; Bo</td>"), std::string::npos);
    EXPECT_NE(bounded.html.find("<a href=\"http://example.org/quenvale\">our site</a>"), std::string::npos);
    // Cells and paragraphs left open were closed where the next one starts,
    // so a long list does not count as deep nesting.
    EXPECT_EQ(count(bounded.html, "</tr>"), 3u);
    EXPECT_EQ(qv::boundPage(bounded.html).html, bounded.html);

    std::string longList = "<table>";
    for (int row = 0; row < 200; ++row)
        longList += "<tr><td>" + std::to_string(row) + "<td>Guest<td><p>55";
    EXPECT_FALSE(qv::boundPage(longList + "</table>").cut());
}

TEST(PageBound, LongWordsGetBreaksWithoutSplittingCharactersOrEntities)
{
    qv::PageLimits limits;
    limits.maxWord = 4;
    EXPECT_EQ(qv::boundPage("abcdefghij klm", limits).html, "abcd&#8203;efgh&#8203;ij klm");
    EXPECT_EQ(qv::boundPage("\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9", limits).html,
              "\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9&#8203;\xc3\xa9");
    EXPECT_EQ(qv::boundPage("a&amp;b&lt;cd", limits).html, "a&amp;b&lt;&#8203;cd");
    // A word already broken is not broken again.
    EXPECT_EQ(qv::boundPage("abcd&#8203;efgh", limits).html, "abcd&#8203;efgh");
}

TEST(PageBound, NoTagHidesInTextOrAttributes)
{
    // What the viewer might read as a tag is written so that it cannot be one.
    EXPECT_EQ(qv::boundPage("1 < 2 & 3").html, "1 &lt; 2 &amp; 3");
    EXPECT_EQ(qv::boundPage("<a title='<table><table>'>x</a>").html,
              "<a title=\"&lt;table&gt;&lt;table&gt;\">x</a>");
    EXPECT_EQ(qv::boundPage("<div/><div/>x").html, "<div></div><div></div>x");
    EXPECT_EQ(qv::boundPage("a<!-- <table> -->b<!DOCTYPE html></b></i>c<b").html, "abc");
}

TEST(PageBound, CutPageEndsWithEveryElementClosedThenTheNotice)
{
    qv::PageLimits limits;
    limits.maxBytes = 64;
    const qv::BoundedPage bounded = qv::boundPage("<table><tr><td>" + std::string(200, 'x'), limits);
    EXPECT_TRUE(bounded.tooLarge);
    const std::string notice = qv::cutNotice(bounded, limits);
    EXPECT_NE(notice.find("longer than"), std::string::npos);
    ASSERT_GT(bounded.html.size(), notice.size());
    const std::string page = bounded.html.substr(0, bounded.html.size() - notice.size());
    EXPECT_LE(page.size(), limits.maxBytes);
    EXPECT_EQ(page.substr(page.size() - 18), "</td></tr></table>");
}

TEST(PageBound, SizesStylesAndSheetsCannotBlowUpTheLayout)
{
    // Sizes are clamped to 999, spans to 9; colours and links stay as they are.
    EXPECT_EQ(qv::boundPage("<img width=5000 height='100000' src=\"http://h/123456.png\">").html,
              "<img width=\"999\" height=\"999\" src=\"http://h/123456.png\">");
    EXPECT_EQ(qv::boundPage("<table border=10000 bgcolor=#800000><tr><td colspan=1000 nowrap>x</table>").html,
              "<table border=\"999\" bgcolor=\"#800000\"><tr><td colspan=\"9\">x</td></tr></table>");
    // A style keeps colours, fonts, borders and small sizes only.
    EXPECT_EQ(qv::boundPage("<p style=\"font-family:'Times New Roman',serif; color:#000; font-size:100000px; "
                            "font-size:99em; white-space:pre; border-style:solid; width:50%\">x</p>")
                  .html,
              "<p style=\"font-family:'Times New Roman',serif; color:#000; border-style:solid; width:50%\">x</p>");
    // Style sheets and scripts go with their content.
    EXPECT_EQ(qv::boundPage("<STYLE>* { font-size: 10000px }</Style>a<script>var t = '<table>';</script>b").html, "ab");
    EXPECT_EQ(qv::boundPage("<style>endless").html, "");

    qv::PageLimits limits;
    limits.maxPreLine = 5;
    limits.maxPictures = 2;
    // A preformatted line is broken with a new line; spaces do not break it.
    EXPECT_EQ(qv::boundPage("<pre>ab cdefg\nhi</pre>", limits).html, "<pre>ab cd\nefg\nhi</pre>");
    const qv::BoundedPage pictures = qv::boundPage("<img><img><img>x", limits);
    EXPECT_TRUE(pictures.tooManyPictures);
    EXPECT_EQ(pictures.html.substr(0, 11), "<img><img>x");
}
