// Printing of the table view's grid.
#include "views/table/TablePrinter.h"

#include "views/shared/TablePrintLayout.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>

#include <algorithm>

namespace {

QRectF ToQt(const PrintRectF& r) {
    return QRectF(r.left, r.top, r.Width(), r.Height());
}

int CharacterCount(const std::string& utf8) {
    int count = 0;
    for (unsigned char c : utf8)
        if ((c & 0xC0) != 0x80)
            ++count;
    return count;
}

// The printing sizes given in device units are those of a printer of this
// resolution; other devices scale them so that a page looks the same on each.
constexpr double kReferenceDpi = 600.0;

// A font of the given pixel height whose average character is about width.
QFont SizedFont(const char* face, double height, double width) {
    QFont font(face);
    const int pixels = std::max(1, int(std::min(height, width * 2.0)));
    font.setPixelSize(pixels);
    return font;
}

// Draws the text centred on one line, in the painter's font made smaller
// where the text would run out of its rectangle.
void DrawCentred(QPainter& painter, const QRectF& rect, const std::string& text) {
    const QString qtext = QString::fromStdString(text);
    QFont font = painter.font();
    const QFontMetricsF metrics(font, painter.device());
    const double width = metrics.horizontalAdvance(qtext);
    const double height = metrics.height();
    double fit = 1.0;
    if (width > rect.width() * 0.95)
        fit = std::min(fit, rect.width() * 0.95 / width);
    if (height > rect.height())
        fit = std::min(fit, rect.height() / height);
    if (fit < 1.0) {
        font.setPixelSize(std::max(1, int(font.pixelSize() * fit)));
        painter.save();
        painter.setFont(font);
        painter.drawText(rect, Qt::AlignCenter | Qt::TextSingleLine, qtext);
        painter.restore();
        return;
    }
    painter.drawText(rect, Qt::AlignCenter | Qt::TextSingleLine, qtext);
}

} // namespace

void DrawTablePage(QPainter& painter, const TableGrid& grid, const PageSetupValues& setup, int page,
                   double pxX, double pxY) {
    const QRect viewport = painter.viewport();
    const PrintRectF printable{0.0, 0.0, double(viewport.width()), double(viewport.height())};
    const TablePrintGeometry g = ComputeTablePrintGeometry(setup, printable, pxX, pxY, grid.columnWidths);

    painter.setFont(SizedFont("宋体", 13.0 * pxY / 3.0, 7.0 * pxX / 3.0));
    DrawCentred(painter, ToQt(g.header), setup.strHeader);
    // Device units of the reference printer: pixels per millimetre × 25.4 is this device's resolution.
    const double unit = pxY * 25.4 / kReferenceDpi;
    painter.setFont(SizedFont("宋体", 50.0 * unit, 50.0 * unit));
    DrawCentred(painter, ToQt(g.footer), setup.strFooter);

    int first = 0, end = 0;
    TablePrintPageRows(page, grid.Rows(), first, end);
    for (int row = first; row < end; ++row) {
        const double top = g.table.top + (row - first) * g.rowHeight;
        double left = g.table.left;
        for (int column = 0; column < grid.Columns() && column < int(g.columnWidths.size()); ++column) {
            const double width = g.columnWidths[std::size_t(column)];
            const QRectF cell(left, top, width, g.rowHeight);
            const std::string& text = grid.At(row, column).text;
            const double charWidth =
                std::clamp(width / (std::max(1, CharacterCount(text)) * 1.5), 1.0 * unit, 20.0 * unit);
            painter.setFont(SizedFont("Arial", g.rowHeight, charWidth));
            painter.drawRect(cell);
            DrawCentred(painter, cell, text);
            left += width;
        }
    }
}

int PrintTableGrid(const TableGrid& grid, const PageSetupValues& setup, QPrinter& printer) {
    const int pages = TablePrintPageCount(grid.Rows());
    if (pages == 0 || printer.widthMM() <= 0 || printer.heightMM() <= 0)
        return 0;
    QPainter painter;
    if (!painter.begin(&printer))
        return 0;
    const double pxX = double(printer.width()) / printer.widthMM();
    const double pxY = double(printer.height()) / printer.heightMM();
    for (int page = 1; page <= pages; ++page) {
        if (page > 1)
            printer.newPage();
        DrawTablePage(painter, grid, setup, page, pxX, pxY);
    }
    painter.end();
    return pages;
}
