#include "server/scorepages.h"

#include <gtest/gtest.h>

TEST(HtmlEscape, MarkupCharactersAndNonAscii)
{
    EXPECT_EQ(htmlEscape("<b>&\"'"), "&lt;b&gt;&amp;&quot;&#39;");
    EXPECT_EQ(htmlEscape("Zo\xC3\xAB \xF0\x9F\x82\xA1"), "Zo&#235; &#127137;");
    EXPECT_EQ(htmlEscape("\xFF<"), "&#65533;");
}

TEST(ScorePage, ListsPlacesInOrderInTheGamesColours)
{
    const std::string page = renderScorePage({{"Ann", "1/2/25", 120}, {"<i>Bo</i>", "1/3/25", 80}});
    const std::size_t first = page.find("<td align=\"right\">1</td><td align=\"left\">Ann</td>"
                                        "<td align=\"right\">120</td><td align=\"left\">1/2/25</td>");
    const std::size_t second = page.find("<td align=\"right\">2</td><td align=\"left\">&lt;i&gt;Bo&lt;/i&gt;</td>");
    ASSERT_NE(first, std::string::npos) << page;
    ASSERT_NE(second, std::string::npos) << page;
    EXPECT_LT(first, second);
    EXPECT_EQ(page.find("<i>"), std::string::npos);
    EXPECT_NE(page.find("bgcolor=\"#d2c584\""), std::string::npos);
    EXPECT_NE(page.find("#800000"), std::string::npos);
    EXPECT_NE(page.find("Times New Roman"), std::string::npos);
    EXPECT_EQ(page.find("<script"), std::string::npos);
}

TEST(ScorePage, SaysSoWhenEmpty)
{
    EXPECT_NE(renderScorePage({}).find("No scores have been posted yet."), std::string::npos);
}
