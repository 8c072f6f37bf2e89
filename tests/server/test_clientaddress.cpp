#include "server/clientaddress.h"

#include <gtest/gtest.h>

TEST(AddressKey, Ipv4AndIpv6Networks)
{
    EXPECT_EQ(addressKey("192.0.2.7"), "192.0.2.7");
    EXPECT_EQ(addressKey("::ffff:192.0.2.7"), "192.0.2.7");
    // One household's /64 counts as one address.
    EXPECT_EQ(addressKey("2001:db8:1:2:aaaa::1"), "2001:db8:1:2::/64");
    EXPECT_EQ(addressKey("[2001:db8:1:2:bbbb::9]"), "2001:db8:1:2::/64");
    EXPECT_EQ(addressKey("not an address"), std::nullopt);
    EXPECT_EQ(addressKey(""), std::nullopt);
}

TEST(RateLimiter, ABurstThenOneTokenPerShare)
{
    RateLimiter limiter(6);  // one token every 10 s
    const RateLimiter::Clock::time_point t0{};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(limiter.take("a", t0 + std::chrono::seconds(1)), 0) << i;
    EXPECT_EQ(limiter.take("a", t0 + std::chrono::seconds(1)), 10);
    EXPECT_EQ(limiter.take("b", t0 + std::chrono::seconds(1)), 0);  // another address is not held up
    EXPECT_EQ(limiter.take("a", t0 + std::chrono::seconds(6)), 5);
    EXPECT_EQ(limiter.take("a", t0 + std::chrono::seconds(11)), 0);
    EXPECT_GT(limiter.take("a", t0 + std::chrono::seconds(11)), 0);
    // A bucket left alone for a minute is full again (and may be forgotten).
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(limiter.take("a", t0 + std::chrono::seconds(200)), 0) << i;
}

TEST(RateLimiter, NoLimitTakesEverything)
{
    RateLimiter limiter(0);
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(limiter.take("a"), 0);
}
