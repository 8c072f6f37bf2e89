#include "tally/gridtext.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

TEST(GridText, ColumnByColumnWithCrLf)
{
    StringGrid grid(2, 3);
    grid.setCell(0, 0, "a");
    grid.setCell(1, 2, "z z");
    EXPECT_EQ(gridToText(grid), "2\r\n3\r\na\r\n\r\n\r\n\r\n\r\nz z\r\n");
}

TEST(GridText, ReadsBackWhatItWrites)
{
    StringGrid grid(9, 12);
    for (int c = 0; c < 9; ++c)
        for (int r = 0; r < 12; ++r)
            if ((c + r) % 3)
                grid.setCell(c, r, "cell " + std::to_string(c) + "," + std::to_string(r));
    StringGrid back;
    gridFromText(back, gridToText(grid));
    EXPECT_EQ(back, grid);
    EXPECT_EQ(gridToText(back), gridToText(grid));
}

TEST(GridText, CountLinesTakeTheFirstWord)
{
    StringGrid grid;
    gridFromText(grid, "  2 columns\r\n1\r\nx\r\n");
    EXPECT_EQ(grid.ColCount(), 2);
    EXPECT_EQ(grid.RowCount(), 1);
    EXPECT_EQ(grid.Cells(0, 0), "x");
    EXPECT_EQ(grid.Cells(1, 0), ""); // the text ended early
}

TEST(GridText, BadCountLineLeavesTheGridAlone)
{
    StringGrid grid(1, 1);
    grid.setCell(0, 0, "kept");
    for (const char *bad : {"nine\r\n12\r\n", "9\r\n\r\n", "", "9\r\n-\r\n", "99999\r\n99999\r\n", "-3\r\n2\r\n"}) {
        EXPECT_THROW(gridFromText(grid, bad), EInOutError) << bad;
        EXPECT_EQ(grid.Cells(0, 0), "kept");
        EXPECT_EQ(grid.ColCount(), 1);
    }
}

TEST(GridText, OutsideCellsAreEmptyAndIgnoreWrites)
{
    StringGrid grid(2, 2);
    grid.setCell(5, 5, "lost");
    grid.setCell(-1, 0, "lost");
    EXPECT_EQ(grid.Cells(5, 5), "");
    EXPECT_EQ(grid.Cells(-1, 0), "");
}

TEST(GridText, FilesRoundTripAndReportMissingOnes)
{
    const auto path = std::filesystem::temp_directory_path() / "quenvale-gridtext-test.txt";
    StringGrid grid(3, 2);
    grid.setCell(2, 1, "last");
    SaveGridToFile(grid, path.string());
    StringGrid back;
    LoadGridFromFile(back, path.string());
    EXPECT_EQ(back, grid);
    std::filesystem::remove(path);
    EXPECT_THROW(LoadGridFromFile(back, path.string()), std::runtime_error);
}
