#pragma once
// Who a request comes from, as the server's limits count it, and the limit on
// how often one address may do something (post a score, start a ranked game).

#include <chrono>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

struct sockaddr;

// An IPv4 address as text, or an IPv6 address's /64 network (one household or
// host is usually given a whole /64), or an IPv4 address mapped into IPv6 as IPv4.
std::string addressKey(const sockaddr *address);
// The same from an address written as text; nothing when it is not an address.
std::optional<std::string> addressKey(std::string_view text);

// At most `perMinute` events per address in any minute, as a bucket of that many
// tokens refilled evenly over the minute. Safe from any thread.
class RateLimiter {
public:
    using Clock = std::chrono::steady_clock;

    explicit RateLimiter(int perMinute) : perMinute_(perMinute) {}

    // Takes a token for the address: 0 when the event may go ahead, otherwise
    // the whole seconds until a token comes free. A limit of 0 allows everything.
    int take(const std::string &key, Clock::time_point now = Clock::now());

private:
    struct Bucket {
        double tokens;
        Clock::time_point updated;
    };
    double refilled(const Bucket &bucket, Clock::time_point now) const;
    void forgetFullBuckets(Clock::time_point now);

    const int perMinute_;
    std::mutex mutex_;
    std::unordered_map<std::string, Bucket> buckets_;
    Clock::time_point lastSweep_{};
};
