// Printing curve views to PDF: one view alone or all shown views on one
// page, with the header and footer of the page setup, leaving every view's
// fonts and boxes as they were.
#include "views/ViewsTestSupport.h"

#include "views/curve/CurvePrintLayout.h"
#include "views/curve/CurveViewWidget.h"

#include <QHBoxLayout>
#include <QPrinter>
#include <QProcess>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include <QImage>
#include <QPainter>
#include <QTransform>

namespace {

QString PdfText(const QString& path) {
    QProcess process;
    process.start("pdftotext", {path, "-"});
    process.waitForFinished(20000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

TEST(CurvePrintLayout, BandsAndFactorsFollowThePageSetup) {
    PageSetupValues setup;
    setup.fLeftMargin = 2.0f;
    setup.fRightMargin = 1.0f;
    setup.fTopMargin = 1.0f;
    setup.fBottomMargin = 1.0f;
    setup.fHeaderHeight = 1.0f;
    setup.fFooterHeight = 2.0f;
    const CurvePrintGeometry g = ComputeCurvePrintGeometry(setup, {0, 0, 2100, 2970}, 10.0, 10.0, 300, 200);
    EXPECT_DOUBLE_EQ(g.header.left, 200.0);
    EXPECT_DOUBLE_EQ(g.header.top, 100.0);
    EXPECT_DOUBLE_EQ(g.header.bottom, 200.0);
    EXPECT_DOUBLE_EQ(g.footer.top, 2970.0 - 100.0 - 200.0);
    EXPECT_DOUBLE_EQ(g.scaleX, g.body.Width() / 300.0);
    EXPECT_DOUBLE_EQ(g.scaleY, g.body.Height() / 200.0);
    // Nothing to print from gives no division by zero.
    const CurvePrintGeometry empty = ComputeCurvePrintGeometry(setup, {0, 0, 2100, 2970}, 10.0, 10.0, 0, 0);
    EXPECT_DOUBLE_EQ(empty.scaleX, 1.0);
}

TEST(CurvePrint, AloneOrTogetherTheyCarryHeaderAndFooterAndKeepTheirLooks) {
    EnsureViewsTestApp();
    testrun::TempDir dir;
    CurveWorld world;
    world.measChanList = {0, 1};
    QWidget window;
    auto* layout = new QHBoxLayout(&window);
    std::vector<CCurveViewWidget*> views;
    for (int i = 0; i < 2; ++i) {
        CCurveViewWidget* view = CCurveViewWidget::Create(&window);
        view->fillWorld = [&world](CurveWorld& w) { w = world; };
        view->Model().m_nCursorType = 1;
        view->Model().m_CursorBox = {40, 50};
        layout->addWidget(view);
        views.push_back(view);
    }
    window.resize(900, 400);
    window.show();
    const CGraphDisplayOptions before = views[0]->Model().m_Options;
    EXPECT_EQ(views[0]->ViewsToPrint().size(), 2u);

    PageSetupValues setup;
    setup.strHeader = "页眉ABC";
    setup.strFooter = "页脚XYZ";
    for (bool alone : {true, false}) {
        const QString path = QString::fromStdString(dir.Path() + (alone ? "/alone.pdf" : "/all.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        const std::vector<CCurveViewWidget*> printed =
            alone ? std::vector<CCurveViewWidget*>{views[0]} : views;
        ASSERT_EQ(CCurveViewWidget::PrintViews(printer, setup, printed), 1);
        const QString text = PdfText(path);
        EXPECT_TRUE(text.contains("页眉ABC")) << text.toStdString();
        EXPECT_TRUE(text.contains("页脚XYZ"));
    }
    // Fonts, pens and colours are as they were; only the ranges of the frame step moved.
    CGraphDisplayOptions after = views[0]->Model().m_Options;
    after.m_fYmax = before.m_fYmax;
    after.m_fYmin = before.m_fYmin;
    after.m_fXmax = before.m_fXmax;
    after.m_fXmin = before.m_fXmin;
    EXPECT_TRUE(after == before);
    EXPECT_EQ(views[0]->Model().m_CursorBox, (std::array<int, 2>{40, 50}));
    EXPECT_EQ(views[0]->Model().m_nMarginLeft, 90);
}

// On paper a view is laid out for its place on the page and drawn at one
// scale for x and y, so its text keeps its shape; the window's grey stays on
// the screen.
TEST(CurvePrint, TextKeepsItsShapeAndThePaperStaysWhite) {
    EnsureViewsTestApp();
    CurveWorld world;
    world.measChanList = {0, 1};
    QWidget window;
    auto* layout = new QHBoxLayout(&window);
    CCurveViewWidget* view = CCurveViewWidget::Create(&window);
    view->fillWorld = [&world](CurveWorld& w) { w = world; };
    view->Model().m_STRealViewOption.nGrid = 0; // no grey grid lines on the page either
    layout->addWidget(view);
    window.resize(900, 300); // wide, on a tall page
    window.show();
    const QSize screen = view->size();
    const PrintedPicture real = CurvePicture(view);
    std::vector<QTransform> transforms;
    std::vector<QSize> sizes;
    const PrintedPicture watched{view, [&](QPainter& painter, const QSize& size) {
                                     transforms.push_back(painter.worldTransform());
                                     sizes.push_back(size);
                                     real.paint(painter, size);
                                 }};
    QImage page(1240, 1754, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    PaintPrintedPage(painter, page.rect(), 150.0 / 25.4, PageSetupValues(), {watched});
    painter.end();
    ASSERT_EQ(transforms.size(), 1u);
    EXPECT_DOUBLE_EQ(transforms[0].m11(), transforms[0].m22());
    EXPECT_GT(sizes[0].height(), screen.height()) << "laid out for the page's taller place";
    int grey = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            grey += page.pixel(x, y) == qRgb(0xC0, 0xC0, 0xC0);
    EXPECT_LT(grey, 50) << "the window's grey is not on the paper";
    EXPECT_EQ(view->Model().GetPlotRect().right, screen.width() - view->Model().m_nMarginRight)
        << "the screen layout is back";
}

} // namespace
