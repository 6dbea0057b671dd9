// The curve, history, bar and information windows at no or very little
// area, and the curve window over degenerate data (an empty page, a single
// point, one distribution channel, no sample interval, no grid): painting
// finishes with a picture of the window's size and never raises a message.
#include "views/ViewsTestSupport.h"

#include "platform/MessageBox.h"
#include "views/bar/BarViewWidget.h"
#include "views/curve/CurveViewWidget.h"
#include "views/history/HistoryViewWidget.h"
#include "views/history/ShowInfoView.h"

#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace {

class SmallWindowPaintTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureViewsTestApp();
        writer = std::make_unique<testrun::RunWriter>(testrun::RunSpec{dir.Path(), "run", {0, 1}, 40, false});
        writer->Write();
        world = viewtest::StoredCurveWorld(*writer, channels, 40);
        for (int id = 0; id < 32; ++id) {
            bars.table.channelList.push_back(id);
            bars.table.channels[std::size_t(id)].bEnabled = bars.table.channels[std::size_t(id)].bPresent =
                true;
        }
        bars.table.caseList = {0, 1};
        bars.table.nProjectState = 2;
        bars.table.nStoredCount = 40;
        bars.table.dataPath = writer->DataPath();
        bars.table.layout = writer->Layout();
        bars.table.channelTable = &channels;
    }

    std::unique_ptr<CCurveViewWidget> StoredCurveView(int mode, std::vector<int> ids, int first, int count) {
        std::unique_ptr<CCurveViewWidget> view(CCurveViewWidget::Create());
        view->fillWorld = [this](CurveWorld& w) { w = world; };
        view->RefreshWorld();
        CurveSignalChoice choice;
        choice.nMode = mode;
        choice.ids = std::move(ids);
        view->Model().ApplySignalChoice(choice, world);
        view->SyncWithDocument(first, count, count, true);
        view->LoadCurveData();
        return view;
    }

    std::unique_ptr<CHistoryViewWidget> StoredHistoryView() {
        std::unique_ptr<CHistoryViewWidget> view(CHistoryViewWidget::Create());
        view->fillWorld = [this](CurveWorld& w) { w = world; };
        view->SyncWithDocument(0, 32, 32, true);
        view->InitialUpdate();
        return view;
    }

    std::unique_ptr<CBarViewWidget> StoredBarView() {
        std::unique_ptr<CBarViewWidget> view(CBarViewWidget::Create());
        view->fillWorld = [this](BarWorld& w) { w = bars; };
        view->TakeOnlineChannels();
        view->RefreshWorld();
        EXPECT_TRUE(view->LoadBatchData(5));
        view->RefreshValues(1);
        return view;
    }

    testrun::TempDir dir;
    testrun::HalfChannelTable channels;
    std::unique_ptr<testrun::RunWriter> writer;
    CurveWorld world;
    BarWorld bars;
};

QSize SizeOf(const QImage& image) {
    return image.isNull() ? QSize(0, 0) : image.size();
}

// Paints the window at each size through its own paint event and its
// picture, which has the window's size unless it scrolls (the bar view's).
void PaintAtSizes(QWidget& view, const std::function<QImage()>& picture, bool pictureScrolls) {
    view.setMinimumSize(0, 0);
    for (const QSize size :
         {QSize(0, 0), QSize(1, 1), QSize(9, 7), QSize(60, 3), QSize(3, 60), QSize(80, 50)}) {
        SCOPED_TRACE(std::to_string(size.width()) + "x" + std::to_string(size.height()));
        view.resize(size);
        EXPECT_EQ(SizeOf(view.grab().toImage()), size);
        if (size.isEmpty() || !picture)
            continue;
        const QImage image = picture();
        if (pictureScrolls)
            EXPECT_FALSE(image.isNull());
        else
            EXPECT_EQ(SizeOf(image), size);
    }
}

TEST_F(SmallWindowPaintTest, EveryKindPaintsAtAnySizeWithoutAMessage) {
    platform::MessageBoxRecorder boxes;
    auto curve = StoredCurveView(1, {1, 17}, 0, 32);
    PaintAtSizes(
        *curve, [&] { return curve->RenderImage(); }, false);
    auto history = StoredHistoryView();
    PaintAtSizes(
        *history, [&] { return history->RenderImage(); }, false);
    auto bar = StoredBarView();
    PaintAtSizes(
        *bar, [&] { return bar->RenderImage(); }, true);
    CShowInfoView info;
    info.channelUnit = [](int) { return std::string("με"); };
    info.channelDescription = [](int channel) { return "测点" + std::to_string(channel); };
    info.measuredChannels = [] { return std::vector<int>{1, 17}; };
    info.SetRows({{1, 2.5f}, {17, kNoValue}}, 2);
    PaintAtSizes(info, nullptr, false);
    EXPECT_TRUE(boxes.Records().empty()) << boxes.Records().front().text;
}

TEST_F(SmallWindowPaintTest, DegenerateCurveDataPaintsWithoutAMessage) {
    platform::MessageBoxRecorder boxes;
    struct Case {
        const char* what;
        int mode;
        std::vector<int> ids;
        int count;
        int xShowType;
        int points; // a distribution has a point a channel
    };
    const Case cases[] = {
        {"an empty page", 1, {1}, 0, 0, 0},
        {"a single point", 1, {1}, 1, 0, 1},
        {"one distribution channel", 3, {5}, 8, 0, 1},
        {"seconds without a sample interval", 1, {1, 2}, 16, 1, 16},
    };
    for (const Case& c : cases) {
        auto view = StoredCurveView(c.mode, c.ids, 4, c.count);
        ASSERT_EQ(view->Model().m_nShowGraphType, c.mode) << c.what;
        ASSERT_EQ(view->Model().PointCount(), c.points) << c.what;
        view->Model().m_Options.m_nXShowType = c.xShowType;
        view->Model().m_fSampleInterval = 0.0f;
        view->Model().m_Options.m_nXGridCount = 0;
        view->Model().m_Options.m_nYGridCount = 0;
        view->resize(320, 200);
        const QImage image = view->RenderImage();
        EXPECT_EQ(image.size(), QSize(320, 200)) << c.what;
        EXPECT_EQ(view->grab().size(), QSize(320, 200)) << c.what;
    }
    EXPECT_TRUE(boxes.Records().empty()) << boxes.Records().front().text;
}

} // namespace
