#include "widgets/url.h"

#include "platform/desktop.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Records what would have been opened, so no browser starts.
struct UrlOpening : ::testing::Test {
    std::vector<QUrl> opened;
    bool result = true;

    void SetUp() override
    {
        platform::setUrlOpener([this](const QUrl &url) {
            opened.push_back(url);
            return result;
        });
    }
    void TearDown() override { platform::setUrlOpener({}); }
};

TEST(Url, EachLinkTypeGetsItsPrefix)
{
    const struct {
        TURL::TURLType type;
        const char *address;
    } cases[] = {
        {TURL::utFile, "file://host/x"},      {TURL::utFtp, "ftp://host/x"},
        {TURL::utGopher, "gopher://host/x"},  {TURL::utHttp, "http://host/x"},
        {TURL::utHttps, "https://host/x"},    {TURL::utMailto, "mailto:host/x"},
        {TURL::utNews, "news:host/x"},        {TURL::utTelnet, "telnet:host/x"},
        {TURL::utWais, "wais:host/x"},        {TURL::utnone, "host/x"},
    };
    TURL url;
    url.setURL("host/x");
    for (const auto &c : cases) {
        url.setURLType(c.type);
        EXPECT_EQ(url.address(), c.address);
    }
}

TEST(Url, StartsEmptyAsAWebLink)
{
    TURL url;
    EXPECT_TRUE(url.URL().isEmpty());
    EXPECT_EQ(url.URLType(), TURL::utHttp);
    EXPECT_TRUE(url.address().isEmpty());
}

TEST_F(UrlOpening, HandsTheFullAddressOver)
{
    TURL url;
    url.setURL("127.0.0.1:8471");
    EXPECT_TRUE(url.open());
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl("http://127.0.0.1:8471"));

    url.setURLType(TURL::utMailto);
    url.setURL("player@example.org");
    EXPECT_TRUE(url.open());
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[1].toString(), "mailto:player@example.org");
}

TEST_F(UrlOpening, EmptyAddressOpensNothing)
{
    TURL url;
    for (auto type : {TURL::utHttp, TURL::utnone, TURL::utMailto}) {
        url.setURLType(type);
        EXPECT_FALSE(url.open());
    }
    EXPECT_TRUE(opened.empty());
}

TEST_F(UrlOpening, ReportsAFailedHandOver)
{
    result = false;
    TURL url;
    url.setURL("example.org");
    EXPECT_FALSE(url.open());
    EXPECT_EQ(opened.size(), 1u);
}

} // namespace
