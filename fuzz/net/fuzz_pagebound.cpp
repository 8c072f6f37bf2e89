// Any bytes as a fetched page: the bounded page stays within its limits, never
// crashes, and a page shown whole comes out the same when bounded again. Small
// limits here, so the fuzzer reaches every cut with short inputs.
#include "net/pagebound.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

[[noreturn]] void finding(const char *what)
{
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

// Every '<' starts a tag that ends before the next '<': text and attribute
// values of the bounded page can hide no tag from the bounding.
void checkTagsUnambiguous(std::string_view html)
{
    for (std::size_t i = html.find('<'); i != std::string_view::npos;) {
        const std::size_t close = html.find('>', i);
        const std::size_t next = html.find('<', i + 1);
        if (close == std::string_view::npos || close > next)
            finding("a tag of the bounded page is not closed before the next one");
        i = next;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    qv::PageLimits limits;
    limits.maxBytes = 2048;
    limits.maxDepth = 8;
    limits.maxTableDepth = 2;
    limits.maxCells = 16;
    limits.maxTags = 64;
    limits.maxWord = 12;
    const std::string_view page(reinterpret_cast<const char *>(data), size);

    const qv::BoundedPage once = qv::boundPage(page, limits);
    const std::string notice = qv::cutNotice(once, limits);
    if (once.html.size() > limits.maxBytes + notice.size())
        finding("the bounded page is larger than its limit");
    if (once.html.size() - notice.size() > limits.maxBytes)
        finding("the page before the notice is larger than its limit");

    checkTagsUnambiguous(once.html);

    const qv::BoundedPage twice = qv::boundPage(once.html, limits);
    if (!once.cut() && twice.html != once.html)
        finding("a page shown whole changed when bounded again");
    if (twice.tooDeep || twice.tablesTooDeep || twice.tooManyCells)
        finding("the bounded page still nests too deeply or has too many cells");
    return 0;
}
