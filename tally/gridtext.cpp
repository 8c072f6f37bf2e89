#include "tally/gridtext.h"

#include "platform/files.h"

#include <cctype>
#include <charconv>

namespace {

const std::string emptyCell;

// The first word of a count line as a number: leading blanks skipped, the rest
// of the line ignored.
int countFromLine(const std::string &line)
{
    size_t start = 0;
    while (start < line.size() && (line[start] == ' ' || line[start] == '\t'))
        ++start;
    size_t end = start;
    while (end < line.size() && !std::isspace(static_cast<unsigned char>(line[end])))
        ++end;
    int value = 0;
    const char *first = line.data() + start;
    const char *last = line.data() + end;
    if (*first == '+')
        ++first;
    const auto [ptr, ec] = std::from_chars(first, last, value);
    if (start == end || ec != std::errc() || ptr != last)
        throw EInOutError("Invalid numeric format");
    return value;
}

} // namespace

const std::string &StringGrid::Cells(int col, int row) const
{
    if (col < 0 || col >= cols_ || row < 0 || row >= rows_)
        return emptyCell;
    return cells_[col][row];
}

void StringGrid::setCell(int col, int row, std::string text)
{
    if (col < 0 || col >= cols_ || row < 0 || row >= rows_)
        return;
    cells_[col][row] = std::move(text);
}

void StringGrid::resize(int cols, int rows)
{
    cols_ = cols < 0 ? 0 : cols;
    rows_ = rows < 0 ? 0 : rows;
    cells_.resize(cols_);
    for (auto &column : cells_)
        column.resize(rows_);
}

std::string gridToText(const StringGrid &grid)
{
    std::string text = std::to_string(grid.ColCount()) + "\r\n" + std::to_string(grid.RowCount()) + "\r\n";
    for (int c = 0; c < grid.ColCount(); ++c)
        for (int r = 0; r < grid.RowCount(); ++r)
            text += grid.Cells(c, r) + "\r\n";
    return text;
}

void gridFromText(StringGrid &grid, const std::string &text)
{
    size_t pos = 0;
    // One line without its end; a lone LF ends a line as well as CR LF.
    auto nextLine = [&](std::string &line) {
        if (pos >= text.size())
            return false;
        size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        line.assign(text, pos, end - pos);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        pos = end + 1;
        return true;
    };

    std::string line;
    const int cols = countFromLine(nextLine(line) ? line : std::string());
    const int rows = countFromLine(nextLine(line) ? line : std::string());
    if (cols < 0 || rows < 0 || (rows > 0 && cols > maxGridCells / rows))
        throw EInOutError("Invalid numeric format");
    grid.setColCount(cols);
    grid.setRowCount(rows);
    for (int c = 0; c < cols; ++c)
        for (int r = 0; r < rows; ++r)
            grid.setCell(c, r, nextLine(line) ? line : std::string());
}

void SaveGridToFile(const StringGrid &grid, const std::string &fileName)
{
    platform::replaceFile(fileName, gridToText(grid));
}

void LoadGridFromFile(StringGrid &grid, const std::string &fileName)
{
    // Far beyond any grid of ours, and only a plain file.
    constexpr std::size_t maxGridText = 16 << 20;
    gridFromText(grid, platform::readSmallFile(fileName, maxGridText));
}
