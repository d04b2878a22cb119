#include "grid/sortable_grid.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace wendolarka;

namespace {
std::vector<int> widths(const TFajny& grid) {
    std::vector<int> result;
    for (int c = 0; c < grid.ColCount(); ++c)
        result.push_back(grid.ColWidths(c));
    return result;
}
} // namespace

TEST(SortableGrid, HiddenColumnsComeBackAtTheirRememberedWidths) {
    TFajny grid;
    grid.setColCount(5);
    for (int c = 0; c < 5; ++c)
        grid.setColWidths(c, 10 * (c + 1));
    grid.HideColumnRange(2, 4);
    EXPECT_EQ(widths(grid), (std::vector<int>{10, 20, 0, 0, 0}));
    grid.HideColumnRange(2, 4); // hiding again records zeros
    grid.ShowColumnRange(2, 4);
    EXPECT_EQ(widths(grid), (std::vector<int>{10, 20, 30, 40, 50}));
    grid.setColWidths(3, 0);    // zero without a remembered width stays zero
    grid.ShowColumnRange(0, 4);
    EXPECT_EQ(widths(grid), (std::vector<int>{10, 20, 30, 40, 50}));
    grid.HideColumnRange(3, 9); // past the last column: only what exists
    EXPECT_EQ(widths(grid), (std::vector<int>{10, 20, 30, 0, 0}));
}

TEST(SortableGrid, HiddenRowsAndCellsOutsideTheGrid) {
    TFajny grid;
    grid.setRowCount(4);
    grid.HideRowRange(2, 2);
    EXPECT_EQ(grid.RowHeights(2), 0);
    grid.ShowRowRange(2, 2);
    EXPECT_EQ(grid.RowHeights(2), grid.DefaultRowHeight());
    grid.setCells(1, 1, QStringLiteral("x"));
    grid.setCells(9, 9, QStringLiteral("lost"));
    EXPECT_EQ(grid.Cells(1, 1), QStringLiteral("x"));
    EXPECT_EQ(grid.Cells(9, 9), QString());
    grid.setColCount(7);
    EXPECT_EQ(grid.Cells(1, 1), QStringLiteral("x"));
}

TEST(SortableGrid, AClickChoosesABodyRowButNotTheTitleRow) {
    TFajny grid;
    grid.resize(400, 200);
    grid.show();
    QSignalSpy clicks(&grid, &TStringGrid::Click);
    const int rowHeight = grid.DefaultRowHeight() + 1;
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, QPoint(80, rowHeight * 2 + 5));
    EXPECT_EQ(grid.Row(), 2);
    EXPECT_EQ(clicks.count(), 1);
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, QPoint(80, 5));
    EXPECT_EQ(grid.Row(), 2);
    EXPECT_EQ(clicks.count(), 1);
    QTest::keyClick(grid.viewport(), Qt::Key_Down);
    EXPECT_EQ(grid.Row(), 3);
}
