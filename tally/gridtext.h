#pragma once
// A plain table of text cells and its grid text form: the column count, the row
// count, then every cell on a line of its own, column by column, each line ending
// in CR LF. Works on any grid, not only the tally's.

#include <stdexcept>
#include <string>
#include <vector>

class StringGrid {
public:
    StringGrid(int colCount = 0, int rowCount = 0) { resize(colCount, rowCount); }

    int ColCount() const { return cols_; }
    int RowCount() const { return rows_; }
    void setColCount(int cols) { resize(cols, rows_); }
    void setRowCount(int rows) { resize(cols_, rows); }

    // Cells outside the grid read as empty and ignore writes.
    const std::string &Cells(int col, int row) const;
    void setCell(int col, int row, std::string text);

    bool operator==(const StringGrid &) const = default;

private:
    void resize(int cols, int rows);

    int cols_ = 0;
    int rows_ = 0;
    std::vector<std::vector<std::string>> cells_; // [col][row]
};

// Raised when the first or second line is not a decimal number.
class EInOutError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The largest grid a text may declare; anything bigger is not a grid of ours.
inline constexpr int maxGridCells = 1 << 20;

std::string gridToText(const StringGrid &grid);
// Sets the grid's size from the text, then fills it; a text that ends early
// leaves the remaining cells empty. Throws EInOutError for a bad count line.
void gridFromText(StringGrid &grid, const std::string &text);

// The same through a file. Throws EInOutError, or std::runtime_error when the
// file cannot be read or written.
void SaveGridToFile(const StringGrid &grid, const std::string &fileName);
void LoadGridFromFile(StringGrid &grid, const std::string &fileName);
