// The hostile high-score pages a server could send: each froze the page viewer
// for minutes before pages were bounded.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace hostile {

inline std::string repeat(const std::string &part, std::size_t times)
{
    std::string out;
    out.reserve(part.size() * times);
    for (std::size_t k = 0; k < times; ++k)
        out += part;
    return out;
}

// 1,000 tables nested in each other's cells: 33 KB.
inline std::string nestedTables()
{
    return repeat("<table><tr><td>", 1000) + "x" + repeat("</td></tr></table>", 1000);
}

inline std::string nestedLists()
{
    return repeat("<ul><li>", 100000) + "deep" + repeat("</li></ul>", 100000);
}

inline std::string tenMegabyteWord()
{
    return "<p>" + std::string(10'000'000, 'W') + "</p>";
}

inline std::string fifteenMegabytesOfDigits()
{
    std::string digits(15'000'000, '0');
    for (std::size_t k = 0; k < digits.size(); ++k)
        digits[k] = char('0' + k % 10);
    return digits;
}

inline std::string quarterMillionRows()
{
    std::string rows = "<table>";
    for (int row = 1; row <= 250000; ++row)
        rows += "<tr><td>" + std::to_string(row) + "</td><td>Guest</td><td>55</td></tr>";
    return rows + "</table>";
}

inline std::vector<std::pair<const char *, std::string>> all()
{
    return {{"1,000 nested tables", nestedTables()},
            {"100,000 nested lists", nestedLists()},
            {"one 10 MB word", tenMegabyteWord()},
            {"15 MB of digits", fifteenMegabytesOfDigits()},
            {"a 250,000-row table", quarterMillionRows()}};
}

} // namespace hostile
