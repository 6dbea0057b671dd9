// Printing of the curve views: one view or all shown views on one page with
// the header and footer of the page setup. The picture is carried onto the
// paper by the painter's scale, so the view's fonts and boxes never change.
#include "views/curve/CurvePrintLayout.h"
#include "views/curve/CurveViewWidget.h"

#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include <algorithm>
#include <cmath>

std::vector<CCurveViewWidget*> CCurveViewWidget::ViewsToPrint() {
    std::vector<CCurveViewWidget*> shown;
    for (CCurveViewWidget* view : CurveViews())
        if (view->isVisible() && view->window() == window())
            shown.push_back(view);
    if (shown.size() < 2)
        return {this};
    return shown;
}

void PaintPrintedPage(QPainter& painter, const QRect& page, double pxPerMm, const PageSetupValues& setup,
                      const std::vector<PrintedPicture>& views) {
    if (views.empty())
        return;
    // The screen area printed: the union of the views' places in their window.
    QWidget* top = views.front().widget->window();
    QRect source;
    std::vector<QRect> places;
    for (const PrintedPicture& view : views) {
        const QRect place(view.widget->mapTo(top, QPoint(0, 0)), view.widget->size());
        places.push_back(place);
        source = source.united(place);
    }
    const CurvePrintGeometry g = ComputeCurvePrintGeometry(
        setup, {double(page.left()), double(page.top()), double(page.right() + 1), double(page.bottom() + 1)},
        pxPerMm, pxPerMm, source.width(), source.height());
    // Text is drawn at one scale for x and y: each view is laid out anew for
    // the shape its place takes on the page instead of being stretched.
    const double scale = std::min(g.scaleX, g.scaleY);
    for (std::size_t i = 0; i < views.size(); ++i) {
        const QSize size(std::max(int(std::lround(places[i].width() * g.scaleX / scale)), 1),
                         std::max(int(std::lround(places[i].height() * g.scaleY / scale)), 1));
        painter.save();
        painter.translate(g.body.left + (places[i].left() - source.left()) * g.scaleX,
                          g.body.top + (places[i].top() - source.top()) * g.scaleY);
        painter.scale(scale, scale);
        painter.setClipRect(QRect(QPoint(0, 0), size));
        views[i].paint(painter, size);
        painter.restore();
    }
    painter.setPen(Qt::black);
    QFont font(QStringLiteral("宋体"));
    font.setPointSize(10);
    painter.setFont(font);
    const auto rect = [](const PrintRectF& r) { return QRectF(r.left, r.top, r.Width(), r.Height()); };
    painter.drawText(rect(g.header), Qt::AlignCenter, QString::fromStdString(setup.strHeader));
    painter.drawLine(QPointF(g.header.left, g.separatorY), QPointF(g.header.right, g.separatorY));
    painter.drawText(rect(g.footer), Qt::AlignHCenter | Qt::AlignBottom,
                     QString::fromStdString(setup.strFooter));
}

int PrintViewPictures(QPrinter& printer, const PageSetupValues& setup,
                      const std::vector<PrintedPicture>& views) {
    if (views.empty())
        return 0;
    QPainter painter;
    if (!painter.begin(&printer))
        return 0;
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    PaintPrintedPage(painter, QRect(QPoint(0, 0), page.size()), printer.resolution() / 25.4, setup, views);
    return painter.end() ? 1 : 0;
}

void RunPrintCommand(QWidget* parent, bool preview, const PageSetupValues& setup,
                     const std::vector<PrintedPicture>& views, const std::function<void(bool)>& onPreview) {
    QPrinter printer(QPrinter::HighResolution);
    if (!preview) {
        QPrintDialog dialog(&printer, parent);
        if (dialog.exec() == QDialog::Accepted)
            PrintViewPictures(printer, setup, views);
        return;
    }
    if (onPreview)
        onPreview(true);
    QPrintPreviewDialog dialog(&printer, parent);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, parent,
                     [&](QPrinter* target) { PrintViewPictures(*target, setup, views); });
    dialog.exec();
    if (onPreview)
        onPreview(false);
}

PrintedPicture CurvePicture(CCurveViewWidget* view) {
    return {view, [view](QPainter& painter, const QSize& size) { view->PaintPicture(painter, size, true); }};
}

int CCurveViewWidget::PrintViews(QPrinter& printer, const PageSetupValues& setup,
                                 const std::vector<CCurveViewWidget*>& views) {
    std::vector<PrintedPicture> pictures;
    for (CCurveViewWidget* view : views)
        pictures.push_back(CurvePicture(view));
    return PrintViewPictures(printer, setup, pictures);
}

void CCurveViewWidget::OnPrint(bool preview) {
    std::vector<PrintedPicture> pictures;
    for (CCurveViewWidget* view : ViewsToPrint())
        pictures.push_back(CurvePicture(view));
    RunPrintCommand(this, preview, pageSetup ? pageSetup() : PageSetupValues(), pictures, onPrintPreview);
}
