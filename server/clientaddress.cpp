#include "server/clientaddress.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Past this many remembered addresses the full buckets are swept out at once
// rather than once a minute, so a flood from many addresses stays bounded.
constexpr std::size_t kSweepAbove = 100000;

std::string ipv4Text(const in_addr &address)
{
    char text[INET_ADDRSTRLEN];
    inet_ntop(AF_INET, &address, text, sizeof text);
    return text;
}

std::string ipv6Key(const in6_addr &address)
{
    if (IN6_IS_ADDR_V4MAPPED(&address)) {
        in_addr v4;
        std::memcpy(&v4, address.s6_addr + 12, 4);
        return ipv4Text(v4);
    }
    in6_addr network = address;
    std::memset(network.s6_addr + 8, 0, 8);
    char text[INET6_ADDRSTRLEN];
    inet_ntop(AF_INET6, &network, text, sizeof text);
    return std::string(text) + "/64";
}

}  // namespace

std::string addressKey(const sockaddr *address)
{
    if (address->sa_family == AF_INET)
        return ipv4Text(reinterpret_cast<const sockaddr_in *>(address)->sin_addr);
    if (address->sa_family == AF_INET6)
        return ipv6Key(reinterpret_cast<const sockaddr_in6 *>(address)->sin6_addr);
    return "local";
}

std::optional<std::string> addressKey(std::string_view text)
{
    if (text.size() >= 2 && text.front() == '[' && text.back() == ']')
        text = text.substr(1, text.size() - 2);
    const std::string copy(text);
    in_addr v4;
    in6_addr v6;
    if (inet_pton(AF_INET, copy.c_str(), &v4) == 1)
        return ipv4Text(v4);
    if (inet_pton(AF_INET6, copy.c_str(), &v6) == 1)
        return ipv6Key(v6);
    return std::nullopt;
}

double RateLimiter::refilled(const Bucket &bucket, Clock::time_point now) const
{
    const double seconds = std::chrono::duration<double>(now - bucket.updated).count();
    return std::min<double>(perMinute_, bucket.tokens + seconds * perMinute_ / 60.0);
}

void RateLimiter::forgetFullBuckets(Clock::time_point now)
{
    std::erase_if(buckets_, [&](const auto &entry) { return refilled(entry.second, now) >= perMinute_; });
    lastSweep_ = now;
}

int RateLimiter::take(const std::string &key, Clock::time_point now)
{
    if (perMinute_ <= 0)
        return 0;
    std::lock_guard lock(mutex_);
    if (now - lastSweep_ >= std::chrono::minutes(1) ||
        (buckets_.size() > kSweepAbove && now - lastSweep_ >= std::chrono::seconds(1)))
        forgetFullBuckets(now);
    auto [it, fresh] = buckets_.try_emplace(key, Bucket{static_cast<double>(perMinute_), now});
    Bucket &bucket = it->second;
    bucket.tokens = refilled(bucket, now);
    bucket.updated = now;
    if (bucket.tokens >= 1.0) {
        bucket.tokens -= 1.0;
        return 0;
    }
    return std::max(1, static_cast<int>(std::ceil((1.0 - bucket.tokens) * 60.0 / perMinute_)));
}
