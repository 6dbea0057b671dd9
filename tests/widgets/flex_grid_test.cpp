// The grid's column widths: a heading or a cell text never comes out cut,
// a hidden column stays hidden.
#include "widgets/MSFlexGrid.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QScrollBar>

#include <gtest/gtest.h>

#include "panels/PanelsTestApp.h"

namespace {

TEST(FlexGridTest, HeadingsAndCellTextsFitTheirColumns) {
    EnsurePanelsTestApp();
    CMSFlexGrid grid;
    grid.SetFormatString("^测点号|^主从设置|^触发时间|^");
    grid.SetRows(3);
    for (int c = 0; c < 3; ++c)
        EXPECT_GE(grid.columnWidth(c), grid.horizontalHeader()->sectionSizeHint(c))
            << "heading " << c << " cut";

    const struct {
        int col;
        const char* text;
    } cells[] = {{0, "方式1(120R),1/4桥120Ω"}, {1, "127.0.0.1"}, {2, "2030-1-1 12:00:00"}, {2, "短"}};
    for (const auto& cell : cells) {
        grid.SetTextMatrix(1, cell.col, cell.text);
        EXPECT_GE(grid.columnWidth(cell.col),
                  grid.fontMetrics().horizontalAdvance(QString::fromUtf8(cell.text)))
            << cell.text;
    }

    grid.setColumnWidth(3, 0);
    grid.SetTextMatrix(2, 3, "隐藏列的文字");
    EXPECT_EQ(grid.columnWidth(3), 0);
}

TEST(FlexGridTest, FittedToItsColumnsNoColumnHidesBehindAScrollBar) {
    EnsurePanelsTestApp();
    CMSFlexGrid grid;
    grid.SetFormatString("^ 是否修改 |^ 满度量程 |^ 代码 |^ 修正系数");
    grid.SetRows(4);
    for (int c = 0; c < 4; ++c)
        grid.setColumnWidth(c, 80);
    grid.SetTextMatrix(1, 3, "1.000000");
    grid.FitWidthToColumns();
    grid.resize(grid.minimumWidth(), 150);
    grid.show();
    QApplication::processEvents();
    EXPECT_EQ(grid.horizontalScrollBar()->maximum(), 0);
}

} // namespace
