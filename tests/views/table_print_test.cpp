// Printing of the table: pages of 32 rows, the rectangles of the bands, and
// real PDF output of more rows than one page holds.
#include "ViewsTestSupport.h"

#include "views/TablePrintLayout.h"
#include "views/TablePrinter.h"

#include <QFile>
#include <QPrinter>

namespace {

TEST(TablePrint, PagesOfThirtyTwoRows) {
    const struct {
        int rows, pages, lastFirst, lastEnd;
    } cases[] = {{1, 1, 0, 1}, {32, 1, 0, 32}, {33, 2, 32, 33}, {64, 2, 32, 64}, {65, 3, 64, 65}};
    for (const auto& c : cases) {
        EXPECT_EQ(TablePrintPageCount(c.rows), c.pages) << c.rows;
        int first = -1, end = -1;
        TablePrintPageRows(c.pages, c.rows, first, end);
        EXPECT_EQ(first, c.lastFirst) << c.rows;
        EXPECT_EQ(end, c.lastEnd) << c.rows;
    }
    EXPECT_EQ(TablePrintPageCount(0), 0);
}

TEST(TablePrint, BandsAndColumnsFollowThePageSetup) {
    PageSetupValues setup; // header 1, top 1, bottom 1, footer 1, left 2, right 1 cm
    const PrintRectF printable{0, 0, 2000, 3000};
    const TablePrintGeometry g = ComputeTablePrintGeometry(setup, printable, 10.0, 10.0, {1000, 3000});
    EXPECT_DOUBLE_EQ(g.table.left, 200);
    EXPECT_DOUBLE_EQ(g.table.top, 200);
    EXPECT_DOUBLE_EQ(g.table.right, 1900);
    EXPECT_DOUBLE_EQ(g.table.bottom, 2800);
    EXPECT_DOUBLE_EQ(g.header.top, 0);
    EXPECT_DOUBLE_EQ(g.header.bottom, 100);
    EXPECT_DOUBLE_EQ(g.footer.top, 2900);
    EXPECT_DOUBLE_EQ(g.footer.bottom, 3000);
    EXPECT_DOUBLE_EQ(g.rowHeight, 2600.0 / 32);
    ASSERT_EQ(g.columnWidths.size(), 2u);
    EXPECT_NEAR(g.columnWidths[0], 1000.0 / 4001 * 1700, 1e-9);
    EXPECT_NEAR(g.columnWidths[1], 3000.0 / 4001 * 1700, 1e-9);
}

int PdfPageCount(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray bytes = file.readAll();
    // "/Type /Pages" is the page tree; every other "/Type /Page" is a page.
    return int(bytes.count("/Type /Page") - bytes.count("/Type /Pages"));
}

TEST(TablePrint, PdfHoldsOnePagePerThirtyTwoRows) {
    EnsureViewsTestApp();
    testrun::TempDir dir;
    for (int rows : {33, 70}) {
        TableGrid grid;
        grid.Reset(rows, 5);
        for (int r = 0; r < rows; ++r)
            grid.SetText(r, 1, "行" + std::to_string(r));
        const QString path = QString::fromStdString(dir.Path() + "/table" + std::to_string(rows) + ".pdf");
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        EXPECT_EQ(PrintTableGrid(grid, PageSetupValues{}, printer), TablePrintPageCount(rows));
        EXPECT_EQ(PdfPageCount(path), TablePrintPageCount(rows)) << rows;
    }
}

} // namespace
