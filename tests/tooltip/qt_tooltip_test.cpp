// The tip renderer on the painter canvas, the picture store and the tip
// window, offscreen.
#include "tooltip/PPToolTip.h"
#include "tooltip/ResourcePicture.h"
#include "tooltip/TipDrawHelper.h"
#include "tooltip/TipPictureStore.h"
#include "tooltip/TipQtCanvas.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QTemporaryDir>
#include <QToolBar>
#include <QUrl>
#include <QWidget>

#include <vector>

#include <gtest/gtest.h>

namespace {

void EnsureApp() {
    if (QApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "tooltip_qt_tests";
        static char* argv[] = {name, nullptr};
        static QApplication* app = new QApplication(argc, argv);
        (void)app;
    }
}

// Receives the links the desktop would open.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void Open(const QUrl& url) { urls << url; }
};

bool Near(QRgb p, int r, int g, int b) {
    return std::abs(qRed(p) - r) < 8 && std::abs(qGreen(p) - g) < 8 && std::abs(qBlue(p) - b) < 8;
}

} // namespace

TEST(TipQtCanvas, DrawsFillsBordersPictureAndTextWhereMeasured) {
    EnsureApp();
    QImage red(20, 10, QImage::Format_RGB32);
    red.fill(QColor(255, 0, 0));
    const int id = CTipPictureStore::Instance().Register(red);
    CTipHtmlRenderer renderer;
    const std::string markup =
        "<table border=1 bordercolor=#0000ff bgcolor=#00ff00><tr><td><bmp handle=" + std::to_string(id) +
        "></td><td>Tip text</td></tr></table>";
    QImage image(1, 1, QImage::Format_RGB32);
    CTipQtCanvas measuring(nullptr, &image);
    const TipSize size = renderer.Measure(measuring, markup);
    ASSERT_GT(size.cx, 40);
    ASSERT_GT(size.cy, 14);
    image = QImage(size.cx, size.cy, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        CTipQtCanvas canvas(&p, &image);
        renderer.Draw(canvas, {0, 0, size.cx, size.cy});
    }
    CTipPictureStore::Instance().Unregister(id);
    // Table border 1, the cell's inherited border 1, padding 2: the picture's
    // top-left corner is at (4, 4).
    EXPECT_TRUE(Near(image.pixel(4, 4), 255, 0, 0));
    EXPECT_TRUE(Near(image.pixel(23, 13), 255, 0, 0));
    EXPECT_FALSE(Near(image.pixel(24, 14), 255, 0, 0));
    EXPECT_TRUE(Near(image.pixel(0, size.cy / 2), 0, 0, 255)); // raised border, light side
    EXPECT_TRUE(Near(image.pixel(5, size.cy - 4), 0, 255, 0)); // the table's fill below the picture
    // The text is drawn in the second cell, inside the measured size.
    int dark = 0;
    for (int y = 0; y < size.cy; ++y)
        for (int x = 28; x < size.cx - 1; ++x)
            dark += qGray(image.pixel(x, y)) < 80 ? 1 : 0;
    EXPECT_GT(dark, 10);
}

// Each bridge mode shows its own arrangement of arms, and its caption stands
// whole inside the picture.
TEST(TipPictureStore, BridgePicturesDifferAndKeepTheirCaptionsWhole) {
    EnsureApp();
    CTipPictureStore& store = CTipPictureStore::Instance();
    const int ids[] = {200, 225, 226, 227, 228, 229, 230};
    std::vector<QImage> pictures;
    for (const int id : ids)
        pictures.push_back(store.LoadBitmap(id));
    // The drawings are compared without their captions.
    const auto drawing = [](const QImage& picture) { return picture.copy(0, 0, picture.width(), 124); };
    for (std::size_t a = 0; a < pictures.size(); ++a)
        for (std::size_t b = a + 1; b < pictures.size(); ++b)
            EXPECT_NE(drawing(pictures[a]), drawing(pictures[b]))
                << ids[a] << " and " << ids[b] << " draw the same";
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        const QImage& picture = pictures[i];
        int inked = 0;
        int atEdges = 0;
        for (int y = 126; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x) {
                const bool dark = qGray(picture.pixel(x, y)) < 128;
                inked += dark ? 1 : 0;
                atEdges += dark && (x < 4 || x >= picture.width() - 4) ? 1 : 0;
            }
        EXPECT_GT(inked, 20) << ids[i] << ": no caption";
        EXPECT_EQ(atEdges, 0) << ids[i] << ": the caption runs out of the picture";
    }
}

TEST(TipPictureStore, BridgePicturesAndStringLines) {
    EnsureApp();
    CTipPictureStore& store = CTipPictureStore::Instance();
    for (const int bitmap : {200, 225, 226, 227, 228, 229, 230})
        EXPECT_FALSE(store.LoadBitmap(bitmap).isNull()) << bitmap;
    EXPECT_TRUE(store.LoadBitmap(231).isNull());
    EXPECT_TRUE(store.LoadBitmap(0).isNull());
    EXPECT_TRUE(CTipPictureStore::LoadFile("/nonexistent/picture.bmp").isNull());

    store.SetResourceString(61001, "prompt\ntip\nrest");
    store.SetResourceString(61002, "single");
    EXPECT_EQ(store.GetResourceStringLine(61001, 0), "prompt");
    EXPECT_EQ(store.GetResourceStringLine(61001, 1), "tip");
    EXPECT_EQ(store.GetResourceStringLine(61001, 2), "rest");
    EXPECT_EQ(store.GetResourceStringLine(61002, 0), "single");
    EXPECT_EQ(store.GetResourceStringLine(61002, 1), "");
    EXPECT_EQ(store.GetResourceStringLine(61003, 0), "");
}

TEST(PPToolTip, ShowsAtItsPointUnfocusedAndHidesOnAClickOrAKey) {
    EnsureApp();
    QWidget owner;
    owner.setGeometry(50, 50, 300, 200);
    owner.show();
    CPPToolTip tip;
    ASSERT_TRUE(tip.Create(&owner, true));
    tip.SetTipStyle(32);
    const QPoint point(200, 150);
    tip.ShowTipAtPoint(point, "<b>Hello</b> tip");
    ASSERT_TRUE(tip.isVisible());
    EXPECT_FALSE(tip.isActiveWindow());
    EXPECT_EQ(tip.GetAnchorDirection(), 32);
    EXPECT_EQ(tip.pos() + QPoint(tip.GetPlacement().anchor.x, tip.GetPlacement().anchor.y), point);

    // Button-up leaves the tip; a button-down hides it.
    QMouseEvent up(QEvent::MouseButtonRelease, QPointF(5, 5), QPointF(55, 55), Qt::LeftButton, Qt::NoButton,
                   Qt::NoModifier);
    QApplication::sendEvent(&owner, &up);
    EXPECT_TRUE(tip.isVisible());
    QMouseEvent down(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(55, 55), Qt::LeftButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(&owner, &down);
    EXPECT_FALSE(tip.isVisible());

    tip.ShowTipAtPoint(point, "again");
    ASSERT_TRUE(tip.isVisible());
    QKeyEvent key(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(&owner, &key);
    EXPECT_FALSE(tip.isVisible());

    tip.ShowTipAtPoint(point, ""); // a tip without text is never put on the screen
    EXPECT_FALSE(tip.isVisible());
}

TEST(PPToolTip, IconTipRegistersItsIconForTheTipOnly) {
    EnsureApp();
    QWidget owner;
    CPPToolTip tip;
    tip.Create(&owner, false);
    QImage icon(16, 16, QImage::Format_RGB32);
    icon.fill(Qt::blue);
    tip.ShowTipAtPoint(QPoint(100, 100), "text", &icon);
    const std::string text = tip.GetText();
    const std::size_t at = text.find("<icon handle=");
    ASSERT_NE(at, std::string::npos);
    const int handle = std::atoi(text.c_str() + at + 13);
    EXPECT_FALSE(CTipPictureStore::Instance().Find(handle).isNull());
    tip.ShowTipAtPoint(QPoint(100, 100), "plain");
    EXPECT_TRUE(CTipPictureStore::Instance().Find(handle).isNull()); // the entry went with its tip
}

TEST(PPToolTip, ShadowAndTransparencyOverAWindowOfKnownColour) {
    EnsureApp();
    QWidget owner;
    owner.setAutoFillBackground(true);
    QPalette palette = owner.palette();
    palette.setColor(QPalette::Window, QColor(0, 128, 255));
    owner.setPalette(palette);
    owner.setGeometry(0, 0, 400, 300);
    owner.show();
    QApplication::processEvents();

    CPPToolTip tip;
    tip.Create(&owner, true);
    tip.SetTipStyle(32);
    tip.SetTipShadow(6, 6, 50, false, 7, 7);
    tip.ShowTipAtPoint(QPoint(100, 100), "<b>shadow</b>");
    ASSERT_TRUE(tip.isVisible());
    const QImage shown = tip.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const int w = tip.GetPlacement().window.Width();
    const int h = tip.GetPlacement().window.Height();
    // Right of the body, inside the shifted outline: the owner darkened by the grey 128 of darkness 50.
    const QRgb under = qRgb(0, 128, 255);
    EXPECT_EQ(shown.pixel(w + 2, h / 2), CTipDrawHelper::Darker(under, 128 / 255.0));
    // The body shows the tip's own background, not the owner.
    EXPECT_NE(shown.pixel(w / 2, h - 3), under);

    // Fully transparent: nothing of the tip, no shadow.
    tip.SetTransparency(100);
    tip.ShowTipAtPoint(QPoint(100, 100), "<b>shadow</b>");
    const QImage invisible = tip.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(invisible.pixel(w + 2, h / 2), under);
    EXPECT_EQ(invisible.pixel(w / 2, h - 3), under);
}

TEST(PPToolTip, LinksShowTheHandAndOpenThroughTheDesktop) {
    EnsureApp();
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("tiptest", &catcher, "Open");
    QWidget owner;
    owner.setGeometry(0, 0, 300, 200);
    owner.show();
    CPPToolTip tip;
    tip.Create(&owner, false);
    tip.SetTipStyle(32);
    tip.ShowTipAtPoint(QPoint(50, 50), "<a href=\"tiptest:one\">open</a> <a>none</a>");
    ASSERT_TRUE(tip.isVisible());
    tip.grab(); // paints, and so lays out the link areas
    const auto areas = tip.GetRenderer().GetLinkAreas();
    ASSERT_EQ(areas.size(), 2u);
    const QPoint inFirst((areas[0].rect.left + areas[0].rect.right) / 2,
                         (areas[0].rect.top + areas[0].rect.bottom) / 2);
    const QPoint inSecond((areas[1].rect.left + areas[1].rect.right) / 2,
                          (areas[1].rect.top + areas[1].rect.bottom) / 2);

    QMouseEvent over(QEvent::MouseMove, inFirst, tip.mapToGlobal(inFirst), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(&tip, &over);
    EXPECT_EQ(tip.cursor().shape(), Qt::PointingHandCursor);
    QMouseEvent empty(QEvent::MouseMove, inSecond, tip.mapToGlobal(inSecond), Qt::NoButton, Qt::NoButton,
                      Qt::NoModifier);
    QApplication::sendEvent(&tip, &empty);
    EXPECT_EQ(tip.cursor().shape(), Qt::ArrowCursor); // a link without a target keeps the arrow

    // A click on the empty link does nothing but hide; on the link, it opens its target.
    QMouseEvent clickEmpty(QEvent::MouseButtonPress, inSecond, tip.mapToGlobal(inSecond), Qt::LeftButton,
                           Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&tip, &clickEmpty);
    EXPECT_FALSE(tip.isVisible());
    EXPECT_TRUE(catcher.urls.isEmpty());
    tip.ShowTipAtPoint(QPoint(50, 50), "<a href=\"tiptest:one\">open</a> <a>none</a>");
    tip.grab();
    QMouseEvent click(QEvent::MouseButtonPress, inFirst, tip.mapToGlobal(inFirst), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&tip, &click);
    ASSERT_EQ(catcher.urls.size(), 1);
    EXPECT_EQ(catcher.urls[0], QUrl("tiptest:one"));
    QDesktopServices::unsetUrlHandler("tiptest");
}

#include "qt_tooltip_test.moc"

TEST(ResourcePicture, LoadsByIdAndKeepsTheOldPictureOnFailure) {
    EnsureApp();
    CResourcePicture picture;
    EXPECT_EQ(picture.LoadFromResource(9000), 0);
    EXPECT_FALSE(picture.HasPicture());
    ASSERT_EQ(picture.LoadFromResource(9001), 1);
    EXPECT_EQ(picture.GetSizeInPixels(), QSize(4, 3));
    EXPECT_EQ(picture.LoadFromResource(9002), 0); // bytes that do not decode
    EXPECT_EQ(picture.LoadFromResource(9003), 0); // no such picture
    QImage image(10, 10, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    EXPECT_EQ(picture.Render(&p, 0, 0, 0, 0), 1); // the earlier picture, at its own size
    EXPECT_EQ(picture.Render(&p, 6, 6, 8, 10), 1);
    p.end();
    EXPECT_EQ(image.pixel(3, 2), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(4, 3), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(7, 9), qRgb(255, 0, 0));
}

TEST(TipQtCanvas, PicturesByFileAndMissingOnes) {
    EnsureApp();
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath("strip.png");
    QImage strip(48, 16, QImage::Format_RGB32);
    strip.fill(Qt::green);
    ASSERT_TRUE(strip.save(path));
    CTipHtmlRenderer renderer;
    QImage device(1, 1, QImage::Format_RGB32);
    CTipQtCanvas canvas(nullptr, &device);
    const std::string file = path.toStdString();
    EXPECT_EQ(renderer.Measure(canvas, "<bmp file=\"" + file + "\">"), (TipSize{49, 17}));
    EXPECT_EQ(renderer.Measure(canvas, "<ilst file=\"" + file + "\" cx=16>"), (TipSize{17, 17}));
    EXPECT_EQ(renderer.Measure(canvas, "<icon file=\"" + file + "\" width=24 height=24>"), (TipSize{25, 25}));
    EXPECT_EQ(renderer.Measure(canvas, "<bmp file=\"" + file + ".missing\">"), (TipSize{1, 1}));
    EXPECT_EQ(renderer.Measure(canvas, "<bmp idres=4242>"), (TipSize{1, 1}));
    EXPECT_EQ(renderer.Measure(canvas, "<bmp idres=230 width=50% height=50%>"), (TipSize{91, 76}));
}

TEST(TipQtCanvas, PictureEffectsAndShadows) {
    EnsureApp();
    QImage picture(10, 10, QImage::Format_RGB32);
    picture.fill(QColor(200, 100, 0));
    picture.setPixel(0, 0, qRgb(255, 0, 255)); // the mask colour
    const int id = CTipPictureStore::Instance().Register(picture);
    auto paint = [&](CTipHtmlRenderer& renderer, const std::string& markup) {
        QImage image(1, 1, QImage::Format_RGB32);
        CTipQtCanvas measuring(nullptr, &image);
        const TipSize size = renderer.Measure(measuring, markup);
        image = QImage(size.cx, size.cy, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter p(&image);
        CTipQtCanvas canvas(&p, &image);
        renderer.Draw(canvas, {0, 0, size.cx, size.cy});
        return image;
    };
    const std::string handle = std::to_string(id);
    CTipHtmlRenderer hard;
    hard.SetImageShadow(4, 4, 50, false, 7, 7);
    const QImage shaded = paint(hard, "<bmp handle=" + handle + " style=gs mask=#ff00ff>");
    EXPECT_EQ(shaded.pixel(5, 5), qRgb(118, 118, 118));   // grey: 59.8 + 58.7 + 0, truncated
    EXPECT_EQ(shaded.pixel(0, 0), qRgb(255, 255, 255));   // the mask colour shows what lies under
    EXPECT_EQ(shaded.pixel(12, 12), qRgb(128, 128, 128)); // the shape's shadow in the grey of darkness 50
    CTipHtmlRenderer soft;                                // the gradient shadow fades toward its edge
    const QImage blurred = paint(soft, "<bmp handle=" + handle + " style=s>");
    EXPECT_LT(qRed(blurred.pixel(9, 9)), 255);
    EXPECT_GT(qRed(blurred.pixel(13, 13)), qRed(blurred.pixel(10, 10)));
    CTipPictureStore::Instance().Unregister(id);
}

TEST(PPToolTip, ToolsAndToolBarButtonsShowTheirTips) {
    EnsureApp();
    QWidget owner;
    owner.setGeometry(0, 0, 400, 300);
    auto* label = new QLabel("tool", &owner);
    label->setGeometry(20, 20, 100, 30);
    auto* bar = new QToolBar(&owner);
    bar->setGeometry(0, 200, 300, 40);
    QAction* mark = bar->addAction("mark");
    mark->setData(32920);
    owner.show();
    QApplication::processEvents();

    CPPToolTip tip;
    tip.Create(&owner, true);
    tip.SetTipDelay(3, 0);
    TipToolInfo record;
    record.text = "the label's tip";
    tip.AddTool(label, record);
    tip.AddToolBar(bar);
    auto moveTo = [&](QPoint global) {
        QCursor::setPos(global);
        QMouseEvent move(QEvent::MouseMove, owner.mapFromGlobal(global), global, Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(&owner, &move);
    };
    moveTo(label->mapToGlobal(QPoint(10, 10)));
    ASSERT_TRUE(tip.isVisible());
    EXPECT_EQ(tip.GetText(), "the label's tip");

    const QRect button = bar->actionGeometry(mark);
    moveTo(bar->mapToGlobal(button.center()));
    ASSERT_TRUE(tip.isVisible());
    EXPECT_EQ(QString::fromStdString(tip.GetText()), QString::fromUtf8("添加采样标记"));

    moveTo(QPoint(390, 150)); // no tool there
    EXPECT_FALSE(tip.isVisible());
    tip.RemoveAllTools();
    moveTo(label->mapToGlobal(QPoint(12, 12)));
    EXPECT_FALSE(tip.isVisible());
}

namespace {

// Counts the border drawings and frames the outline in its own way.
class CountingBorderTip : public CPPToolTip {
public:
    int borders = 0;

protected:
    void DrawBorder(QPainter& painter, const QPainterPath& outline) override {
        ++borders;
        CPPToolTip::DrawBorder(painter, outline);
    }
};

int RedPixels(const QImage& image) {
    int red = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            red += Near(image.pixel(x, y), 255, 0, 0) ? 1 : 0;
    return red;
}

} // namespace

TEST(PPToolTip, BorderNeedsABrushAndBothSizesAndIsDrawnByTheOverridableHook) {
    EnsureApp();
    QWidget owner;
    owner.setGeometry(0, 0, 400, 300);
    owner.show();
    QApplication::processEvents(); // the tip is composed over the shown owner
    CountingBorderTip tip;
    tip.Create(&owner, true);
    tip.SetTipShadow(0, 0, 0, false, 0, 0);
    struct Case {
        const char* what;
        QBrush brush;
        int cx, cy;
        bool drawn;
    };
    const Case cases[] = {
        {"solid red, 3 by 3", QBrush(QColor(255, 0, 0)), 3, 3, true},
        {"no width", QBrush(QColor(255, 0, 0)), 0, 3, false},
        {"no height", QBrush(QColor(255, 0, 0)), 3, 0, false},
        {"no brush", QBrush(), 3, 3, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        tip.SetBorderBrush(c.brush, c.cx, c.cy);
        tip.borders = 0;
        tip.ShowTipAtPoint(QPoint(100, 100), "border");
        const QImage shown = tip.grab().toImage().convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(tip.borders > 0, c.drawn);
        EXPECT_EQ(RedPixels(shown) > 0, c.drawn);
    }
    // A cleared border draws nothing; the solid form takes a colour.
    tip.SetBorder(0x0000FF, 2, 2); // red, as 0x00BBGGRR
    tip.ClearBorder();
    tip.borders = 0;
    tip.ShowTipAtPoint(QPoint(100, 100), "border");
    EXPECT_EQ(RedPixels(tip.grab().toImage().convertToFormat(QImage::Format_RGB32)), 0);
    EXPECT_EQ(tip.borders, 0);
}
