#pragma once
// The server's HTML pages. The high-score page is shown by the game's page
// viewer, which understands plain HTML 4 tables and colour attributes but no
// scripts or style sheets, so both pages keep to that.

#include "server/scorestore.h"

#include <string>
#include <string_view>
#include <vector>

inline constexpr int kScoresShown = 100;

// Escapes the five characters that matter in HTML text and attribute values and
// writes everything past ASCII as a character reference, so the page reads the
// same whatever encoding the viewer assumes.
std::string htmlEscape(std::string_view utf8);

std::string renderScorePage(const std::vector<ScoreEntry> &best);
// The best ranked games: those that ended today, and of all time.
std::string renderRankedPage(const std::vector<RankedEntry> &today, const std::vector<RankedEntry> &allTime);
std::string renderHomePage();
