#include "tally/tallymodel.h"

#include "tally/tallyfile.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <optional>

namespace {

// A table cell read as an integer; nothing for text that is not one.
std::optional<int> cellInteger(const std::string &text)
{
    int value = 0;
    const char *first = text.data();
    const char *last = first + text.size();
    const auto [ptr, ec] = std::from_chars(first, last, value);
    if (text.empty() || ec != std::errc() || ptr != last)
        return std::nullopt;
    return value;
}

// The tally's own size. A grid read smaller than this is grown to it, its cells
// kept, so that no ranking or counter is written outside the grid and lost; the
// cells it gains read as in an empty tally: counters "0", places empty
// ("-1000"). A larger grid keeps its extra cells.
constexpr int tallyColumns = 9;
constexpr int tallyRows = 12;

void growToTally(StringGrid &grid)
{
    const int cols = grid.ColCount();
    const int rows = grid.RowCount();
    if (cols >= tallyColumns && rows >= tallyRows)
        return;
    grid.setColCount(std::max(cols, tallyColumns));
    grid.setRowCount(std::max(rows, tallyRows));
    auto added = [&](int c, int r) { return c >= cols || r >= rows; };
    for (int c = 0; c <= 4; ++c)
        if (added(c, 0))
            grid.setCell(c, 0, "0");
    for (int r = 1; r <= TallyModel::places; ++r)
        if (added(1, r))
            grid.setCell(1, r, std::to_string(TallyModel::emptyScore));
}

} // namespace

TallyModel::TallyModel(std::function<std::string()> today) : today_(std::move(today))
{
    bold_.fill(true);
    emptyTable();
    loadtally();
}

void TallyModel::notify()
{
    if (changed)
        changed();
}

void TallyModel::emptyTable()
{
    stringgrid_scores.setRowCount(12);
    for (int c = 0; c <= 4; ++c)
        stringgrid_scores.setCell(c, 0, "0");
    for (int r = 1; r <= places; ++r) {
        stringgrid_scores.setCell(0, r, "");
        stringgrid_scores.setCell(1, r, "-1000");
        stringgrid_scores.setCell(2, r, "");
    }
}

void TallyModel::loadtally()
{
    for (int n = 1; n <= places; ++n) {
        if (stringgrid_scores.Cells(1, n).empty())
            stringgrid_scores.setCell(1, n, "-1000");
        scores_[n] = cellInteger(stringgrid_scores.Cells(1, n)).value_or(emptyScore);
    }
}

std::string TallyModel::scoreText(int place) const
{
    return score(place) <= emptyScore ? std::string() : stringgrid_scores.Cells(1, place);
}

void TallyModel::setText(const std::string &text)
{
    StringGrid loaded = stringgrid_scores;
    gridFromText(loaded, text);
    growToTally(loaded);
    stringgrid_scores = std::move(loaded);
    loadtally();
    notify();
}

std::string TallyModel::load(const std::string &path)
{
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        return {};
    try {
        setText(readTallyFile(path));
        return {};
    } catch (const std::exception &e) {
        // The damaged file is kept aside at exit rather than simply overwritten.
        keepDamagedFile_ = true;
        return e.what();
    }
}

void TallyModel::save(const std::string &path)
{
    // Only once: the next save would otherwise put the tally just written
    // where the damaged file was kept.
    if (keepDamagedFile_) {
        std::error_code ec;
        if (std::filesystem::exists(path, ec))
            keepAsBackup(path);
        keepDamagedFile_ = false;
    }
    writeTallyFile(path, text());
}

bool TallyModel::checkscore(int score, const std::string &name)
{
    highlighted_ = 0;
    int place = 1;
    while (place <= places && scores_[place] > score)
        ++place;
    if (place > places) {
        notify();
        return false;
    }

    for (int m = places; m > place; --m) {
        scores_[m] = scores_[m - 1];
        for (int c = 0; c <= 2; ++c)
            stringgrid_scores.setCell(c, m, stringgrid_scores.Cells(c, m - 1));
    }
    scores_[place] = score;
    stringgrid_scores.setCell(0, place, today_ ? today_() : std::string());
    stringgrid_scores.setCell(1, place, std::to_string(score));
    stringgrid_scores.setCell(2, place, name);
    highlighted_ = place;
    bold_[place] = true;
    notify();
    return true;
}

int TallyModel::addit(int column, int row)
{
    // A counter that is not a number (a hand-edited file) starts again from 0.
    const int value = cellInteger(stringgrid_scores.Cells(column, row)).value_or(0) + 1;
    stringgrid_scores.setCell(column, row, std::to_string(value));
    return value;
}

void TallyModel::addtomineset(int column, const std::string &text)
{
    stringgrid_scores.setCell(column, 0, text);
    notify();
}

void TallyModel::addtomineincrease(int column)
{
    addit(column, 0);
    if (column != totalRounds) {
        notify();
        return;
    }
    // The round just started counts as not yet cleared.
    const auto rounds = cellInteger(stringgrid_scores.Cells(totalRounds, 0));
    const auto cleared = cellInteger(stringgrid_scores.Cells(roundsCleared, 0));
    int percent = 0;
    if (rounds && cleared && *rounds != 0)
        percent = static_cast<int>(static_cast<long long>(*cleared) * 100 / *rounds);
    addtomineset(clearPercentage, std::to_string(percent));
}

void TallyModel::reset()
{
    stringgrid_scores.setRowCount(12);
    for (int c = 1; c <= 8; ++c)
        stringgrid_scores.setCell(c, 0, "0");
    for (int r = 1; r < stringgrid_scores.RowCount(); ++r) {
        stringgrid_scores.setCell(0, r, "");
        stringgrid_scores.setCell(1, r, "-1000");
        stringgrid_scores.setCell(2, r, "");
    }
    scores_.fill(emptyScore);
    bold_.fill(false);
    highlighted_ = 0;
    notify();
}
