// Printing of the table: pages of 32 rows, the rectangles of the bands, and
// real PDF output of more rows than one page holds.
#include "views/ViewsTestSupport.h"

#include "views/shared/TablePrintLayout.h"
#include "views/table/TablePrinter.h"

#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>

#include <algorithm>

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

struct PdfWord {
    QString text;
    double xMin, yMin, xMax, yMax;
};

// The words of page 1 with their boxes in points, as pdftotext sees them.
std::vector<PdfWord> FirstPageWords(const QString& pdf, double& pageHeight) {
    QProcess process;
    process.start("pdftotext", {"-bbox", "-f", "1", "-l", "1", pdf, "-"});
    EXPECT_TRUE(process.waitForFinished(30000)) << "pdftotext (poppler-utils) must run";
    const QString html = QString::fromUtf8(process.readAllStandardOutput());
    const QRegularExpression page(R"re(<page width="([\d.]+)" height="([\d.]+)")re");
    pageHeight = page.match(html).captured(2).toDouble();
    const QRegularExpression word(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
    std::vector<PdfWord> words;
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        words.push_back({m.captured(5), m.captured(1).toDouble(), m.captured(2).toDouble(),
                         m.captured(3).toDouble(), m.captured(4).toDouble()});
    }
    return words;
}

// A page prints alike at a screen's and at a fine printer's resolution: the
// footer stays inside its band, neighbouring Chinese cells do not overlap, and
// the cell text keeps its size.
TEST(TablePrint, APageLooksTheSameAtNinetySixAndTwelveHundredDpi) {
    EnsureViewsTestApp();
    testrun::TempDir dir;
    TableGrid grid;
    grid.Reset(40, 6);
    for (int r = 0; r < 40; ++r)
        for (int c = 0; c < 6; ++c)
            grid.SetText(r, c, "应变测点" + std::to_string(r * 6 + c));
    PageSetupValues setup;
    setup.strFooter = "试验报告页脚";
    setup.strHeader = "页眉";
    double cellHeight[2] = {};
    for (int i = 0; i < 2; ++i) {
        const int dpi = i == 0 ? 96 : 1200;
        SCOPED_TRACE(dpi);
        const QString path = QString::fromStdString(dir.Path() + "/t" + std::to_string(dpi) + ".pdf");
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        printer.setResolution(dpi);
        printer.setPageMargins(QMarginsF(0, 0, 0, 0));
        ASSERT_EQ(PrintTableGrid(grid, setup, printer), 2);
        double pageHeight = 0;
        const std::vector<PdfWord> words = FirstPageWords(path, pageHeight);
        ASSERT_GT(pageHeight, 0);
        const auto footer = std::find_if(words.begin(), words.end(),
                                         [&](const PdfWord& w) { return w.text == "试验报告页脚"; });
        ASSERT_NE(footer, words.end());
        const double band = 10.0 / 25.4 * 72.0; // the footer band is 1 cm at the page's foot
        EXPECT_GE(footer->yMin, pageHeight - band - 0.5);
        EXPECT_LE(footer->yMax, pageHeight + 0.5);
        std::vector<PdfWord> cells;
        for (const PdfWord& w : words)
            if (w.text.startsWith("应变测点"))
                cells.push_back(w);
        ASSERT_EQ(cells.size(), 32u * 6u);
        for (std::size_t a = 0; a < cells.size(); ++a)
            for (std::size_t b = a + 1; b < cells.size(); ++b) {
                const bool apart =
                    cells[a].xMax <= cells[b].xMin + 0.1 || cells[b].xMax <= cells[a].xMin + 0.1 ||
                    cells[a].yMax <= cells[b].yMin + 0.1 || cells[b].yMax <= cells[a].yMin + 0.1;
                EXPECT_TRUE(apart) << cells[a].text.toStdString() << " overlaps "
                                   << cells[b].text.toStdString();
            }
        cellHeight[i] = cells[0].yMax - cells[0].yMin;
        EXPECT_GT(cellHeight[i], 4.0) << "points: legible";
    }
    EXPECT_NEAR(cellHeight[1] / cellHeight[0], 1.0, 0.2);
}

} // namespace
