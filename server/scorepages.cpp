#include "server/scorepages.h"

#include "server/scorepost.h"

#include <cstdio>
#include <initializer_list>

namespace {

// The game's colours: khaki window, maroon text and frames.
constexpr std::string_view kKhaki = "#d2c584";
constexpr std::string_view kLightKhaki = "#e3d8a4";
constexpr std::string_view kMaroon = "#800000";

std::string pageStart(std::string_view title)
{
    std::string html;
    html += "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\n"
            "<html><head>\n"
            "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\n"
            "<title>";
    html += title;
    html += "</title>\n</head>\n<body bgcolor=\"";
    html += kKhaki;
    html += "\" text=\"";
    html += kMaroon;
    html += "\" link=\"";
    html += kMaroon;
    html += "\" vlink=\"#808080\" style=\"font-family:'Times New Roman',serif; color:";
    html += kMaroon;
    html += "\">\n";
    return html;
}

const char *const kPageEnd = "</body></html>\n";

void appendCell(std::string &html, std::string_view align, std::string_view escapedText)
{
    html += "<td align=\"";
    html += align;
    html += "\">";
    html += escapedText;
    html += "</td>";
}

struct Cell {
    std::string_view align;
    std::string text;  // already escaped
};

// A framed table in the game's colours: a maroon heading row, then one row per
// entry in alternating shades, each led by its place.
void appendTable(std::string &html, std::initializer_list<const char *> headings,
                 const std::vector<std::vector<Cell>> &rows, std::string_view empty)
{
    html += "<table align=\"center\" width=\"92%\" border=\"1\" cellspacing=\"0\" cellpadding=\"4\" "
            "style=\"border-color:";
    html += kMaroon;
    html += "; border-style:solid; border-collapse:collapse\">\n<tr bgcolor=\"";
    html += kMaroon;
    html += "\">";
    for (const char *heading : headings) {
        html += "<th style=\"color:";
        html += kKhaki;
        html += "\"><font color=\"";
        html += kKhaki;
        html += "\">";
        html += heading;
        html += "</font></th>";
    }
    html += "</tr>\n";
    if (rows.empty()) {
        html += "<tr><td colspan=\"" + std::to_string(headings.size()) + "\" align=\"center\">";
        html += empty;
        html += "</td></tr>\n";
    }
    int place = 0;
    for (const std::vector<Cell> &row : rows) {
        ++place;
        html += "<tr bgcolor=\"";
        html += place % 2 ? kLightKhaki : kKhaki;
        html += "\">";
        appendCell(html, "right", std::to_string(place));
        for (const Cell &cell : row)
            appendCell(html, cell.align, cell.text);
        html += "</tr>\n";
    }
    html += "</table>\n";
}

}  // namespace

std::string htmlEscape(std::string_view utf8)
{
    // Stored text was checked on the way in; anything else shows as U+FFFD.
    const std::u32string chars = decodeUtf8(utf8).value_or(U"\uFFFD");
    std::string out;
    out.reserve(utf8.size());
    for (char32_t c : chars) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default:
            if (c < 0x80) {
                out += static_cast<char>(c);
            } else {
                char ref[16];
                std::snprintf(ref, sizeof ref, "&#%u;", static_cast<unsigned>(c));
                out += ref;
            }
        }
    }
    return out;
}

std::string renderScorePage(const std::vector<ScoreEntry> &best)
{
    std::string html = pageStart("Quenvale - High Scores");
    html += "<h2 align=\"center\">Quenvale High Scores</h2>\n";
    html += "<p align=\"center\">The best " + std::to_string(kScoresShown) + " scores posted</p>\n";
    std::vector<std::vector<Cell>> rows;
    for (const ScoreEntry &entry : best)
        rows.push_back({{"left", htmlEscape(entry.name)}, {"right", std::to_string(entry.score)},
                        {"left", htmlEscape(entry.date)}});
    appendTable(html, {"Place", "Name", "Score", "Date"}, rows, "No scores have been posted yet.");
    html += kPageEnd;
    return html;
}

std::string renderRankedPage(const std::vector<RankedEntry> &today, const std::vector<RankedEntry> &allTime)
{
    std::string html = pageStart("Quenvale - Ranked Scores");
    html += "<h2 align=\"center\">Quenvale Ranked Scores</h2>\n"
            "<p align=\"center\">Games dealt and scored by this server, so every score here was played</p>\n";
    const auto table = [&](const char *heading, const std::vector<RankedEntry> &entries, const char *empty) {
        html += "<h3 align=\"center\">";
        html += heading;
        html += "</h3>\n";
        std::vector<std::vector<Cell>> rows;
        for (const RankedEntry &entry : entries)
            rows.push_back({{"left", htmlEscape(entry.name)}, {"right", std::to_string(entry.score)},
                            {"right", std::to_string(entry.rounds)}, {"left", htmlEscape(entry.date)}});
        appendTable(html, {"Place", "Name", "Score", "Rounds", "Date"}, rows, empty);
    };
    table("Today", today, "No ranked game has ended today yet.");
    table("All Time", allTime, "No ranked game has ended yet.");
    html += kPageEnd;
    return html;
}

std::string renderHomePage()
{
    std::string html = pageStart("Brackenfold Games");
    html += "<h1 align=\"center\">Brackenfold Games</h1>\n"
            "<h2>Quenvale</h2>\n"
            "<p>Sixteen cards, one grid, no take-backs. Quenvale deals a shuffled deck one card "
            "at a time, and you choose where each one lands on a 4 x 4 board. When the sixteenth "
            "card is down, the starter is turned up and joins every row and every column: eight "
            "cribbage hands, scored for fifteens, pairs, runs, flushes and his nob. Make 55 points "
            "in a round and you play on; fall short and the game is over.</p>\n"
            "<p>Finished a game? Send your score from the game-over panel and see how it "
            "stacks up on the <a href=\"/counter/quenvale.shtml\" style=\"color:#800000\">Quenvale High Scores</a>.</p>\n";
    html += kPageEnd;
    return html;
}
