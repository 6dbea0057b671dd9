// The bar view window offscreen over stored runs of both arrangements: the
// bars show the stored sample set, filled in the view's colours (red for a
// channel in alarm), and the sheet and the channel choice of its context
// menu reach the view.
#include "views/ViewsTestSupport.h"

#include "platform/MessageBox.h"
#include "views/bar/BarViewWidget.h"
#include "views/bar/PropSheetBarGraph.h"
#include "views/shared/GraphPaintTools.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

namespace {

constexpr int kSample = 120;

class BarViewWidgetTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        EnsureViewsTestApp();
        testrun::RunSpec spec{dir.Path(), "run", {0, 1}, 300, GetParam()};
        writer = std::make_unique<testrun::RunWriter>(spec);
        writer->Write();
        TableWorld& t = world.table;
        t.caseList = {0, 1};
        for (int id = 0; id < 32; ++id) {
            t.channelList.push_back(id);
            t.channels[std::size_t(id)].bEnabled = t.channels[std::size_t(id)].bPresent = true;
            // Each bar half full at the sample shown.
            world.fullScale[std::size_t(id)] = 2.0f * Stored(id, kSample);
        }
        t.nProjectState = 2;
        t.nStoredCount = 300;
        t.dataPath = writer->DataPath();
        t.layout = writer->Layout();
        t.channelTable = &channels;
        view.reset(CBarViewWidget::Create());
        ASSERT_NE(view, nullptr);
        view->fillWorld = [this](BarWorld& w) { w = world; };
        view->resize(700, 520);
        view->TakeOnlineChannels();
    }

    static float Stored(int channel, int sample) {
        return testrun::RawValue(channel / 16, channel % 16, sample) * 0.5f;
    }

    bool Trigger(int id) {
        std::unique_ptr<QMenu> menu(view->BuildContextMenu(nullptr));
        for (QAction* action : menu->actions()) {
            if (action->data().toInt() == id && action->isEnabled()) {
                action->trigger();
                return true;
            }
        }
        return false;
    }

    testrun::TempDir dir;
    testrun::HalfChannelTable channels;
    std::unique_ptr<testrun::RunWriter> writer;
    BarWorld world;
    std::unique_ptr<CBarViewWidget> view;
};

TEST_P(BarViewWidgetTest, BarsShowTheStoredSampleInTheirColours) {
    // Channel 18 (unit 1) is over its upper limit.
    TableChannelInfo& alarmed = world.table.channels[18];
    alarmed.bAlarm = true;
    alarmed.nAlarmType = 0;
    alarmed.fUpper = 10.0f;
    view->RefreshWorld();
    ASSERT_TRUE(view->LoadBatchData(kSample));
    ASSERT_TRUE(view->RefreshValues(1));
    const CBarViewModel& m = view->Model();
    ASSERT_EQ(m.BarCount(), 32);
    for (int bar : {0, 5, 17, 31})
        EXPECT_EQ(m.Current(bar), Stored(m.BarId(bar), kSample)) << bar;

    const BarLayout layout = view->CurrentLayout();
    const QImage image = view->RenderImage();
    ASSERT_EQ(image.width(), layout.width);
    const auto fillColour = [&](int bar) {
        const BarRect r = m.BarOf(bar, layout.width);
        // A quarter of the bar above the middle: inside the half-full fill.
        return image.pixelColor((r.left + r.right) / 2, r.bottom - (r.bottom - r.top) / 2 - 20);
    };
    EXPECT_EQ(fillColour(17), ToQColor(m.m_Colours.fore));
    EXPECT_EQ(fillColour(18), ToQColor(0x0000FF));
    // Above the fill the bar keeps its background.
    const BarRect r = m.BarOf(17, layout.width);
    EXPECT_EQ(image.pixelColor((r.left + r.right) / 2, r.top + 10), ToQColor(m.m_Colours.barBack));
}

// Large values keep their texts inside their own bar's cell, and the scale
// carries its numbers: full scale, 0 and the negative full scale.
TEST_P(BarViewWidgetTest, ValueTextsStayInTheirCellAndTheScaleIsNumbered) {
    world.fullScale[0] = 1000.0f;
    view->RefreshWorld();
    CBarViewModel& m = view->Model();
    ASSERT_TRUE(m.SetBars({0}));
    view->FreeDataBuffer();
    ASSERT_TRUE(view->AllocDataBuffer());
    std::vector<float> set(32, 0.0f);
    set[0] = 2345678.0f;
    view->ReceiveData(1, set.data());
    ASSERT_TRUE(view->RefreshValues(1));
    set[0] = -11353430.0f;
    view->ReceiveData(1, set.data());
    ASSERT_TRUE(view->RefreshValues(1));
    ASSERT_EQ(m.Current(0), -11353430.0f);

    const QImage image = view->RenderImage();
    const BarRect r = m.BarOf(0, image.width());
    const int cellRight = r.left - 40 + CBarViewModel::kCellWidth;
    ASSERT_GT(image.width(), cellRight + 40) << "room for a second cell";
    int nowPixels = 0, maxPixels = 0, scalePixels = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor colour = image.pixelColor(x, y);
            // Smoothed text: the blue of the current value, the purple of the maximum.
            const int red = colour.red(), green = colour.green(), blue = colour.blue();
            const bool now = blue > red + 60 && blue > green + 60;
            const bool max = red > green + 40 && blue > green + 40 && std::abs(red - blue) < 40;
            if (now || max)
                EXPECT_LT(x, cellRight) << "a value text reaches the next cell at " << x << "," << y;
            nowPixels += now;
            maxPixels += max;
            // Left of the ticks, beside the bar: only the scale's numbers are drawn there.
            if (x < r.left - 6 && y >= r.top && y <= r.bottom && colour != ToQColor(m.m_Colours.viewBack))
                ++scalePixels;
        }
    }
    EXPECT_GT(nowPixels, 20);
    EXPECT_GT(maxPixels, 20);
    EXPECT_GT(scalePixels, 30);
}

// A window scrolled into the middle of the bars shows that part of the
// whole picture, cut through cells at every edge.
TEST_P(BarViewWidgetTest, ScrolledWindowShowsItsPartOfTheWholePicture) {
    view->RefreshWorld();
    ASSERT_TRUE(view->LoadBatchData(kSample));
    ASSERT_TRUE(view->RefreshValues(1));
    view->show();
    const QImage whole = view->RenderImage();
    for (const QPoint scrolled : {QPoint(0, 0), QPoint(75, 140), QPoint(207, 333)}) {
        ASSERT_LE(scrolled.x(), view->horizontalScrollBar()->maximum());
        ASSERT_LE(scrolled.y(), view->verticalScrollBar()->maximum());
        view->horizontalScrollBar()->setValue(scrolled.x());
        view->verticalScrollBar()->setValue(scrolled.y());
        const QImage shown = view->viewport()->grab().toImage().convertToFormat(whole.format());
        EXPECT_EQ(shown, whole.copy(QRect(scrolled, shown.size()))) << scrolled.x() << "," << scrolled.y();
    }
}

TEST_P(BarViewWidgetTest, SheetAndChannelChoiceFromTheContextMenu) {
    std::unique_ptr<CBarViewWidget> other(CBarViewWidget::Create());
    other->fillWorld = view->fillWorld;
    other->TakeOnlineChannels();
    view->runPropertySheet = [](CPropSheetBarGraph& sheet) {
        EXPECT_FALSE(sheet.ApplyButton()->isEnabled());
        sheet.pickColour = [](COLORREF& colour) {
            colour = 0x00AA00;
            return true;
        };
        sheet.ClickColour(2); // 当前值前景
        sheet.ApplyToAllBox()->setChecked(true);
        sheet.Apply();
        return int(QDialog::Rejected);
    };
    ASSERT_TRUE(Trigger(ID_BAR_PROPERTIES));
    EXPECT_EQ(view->Model().m_Colours.fore, 0x00AA00u);
    EXPECT_EQ(other->Model().m_Colours.fore, 0x00AA00u);

    view->runChannelChoice = [](std::vector<int>& ids) {
        EXPECT_EQ(ids.size(), 32u);
        ids = {17, 3};
        return true;
    };
    ASSERT_TRUE(view->AllocDataBuffer() || view->Model().HasBuffer());
    ASSERT_TRUE(view->LoadBatchData(kSample));
    ASSERT_TRUE(Trigger(ID_BAR_CHANNELS));
    EXPECT_EQ(view->Model().BarIds(), (std::vector<int>{17, 3}));
    EXPECT_EQ(view->Model().Current(0), Stored(17, kSample));
}

INSTANTIATE_TEST_SUITE_P(BothArrangements, BarViewWidgetTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "PerUnitFiles" : "OneFile"; });

TEST(BarSheet, RefreshRateIsKeptInTenthsWithinItsRange) {
    EnsureViewsTestApp();
    platform::MessageBoxRecorder boxes;
    CPropSheetBarGraph sheet;
    BarColours colours;
    colours.refresh = 500;
    sheet.SetColours(colours);
    EXPECT_EQ(sheet.Colours().refresh, 10);
    struct Case {
        const char* typed;
        int tenths;
        const char* shown;
        bool warned;
    };
    const Case cases[] = {{"0.05", 1, "0.1", true}, {"12", 100, "10", true}, {"2.57", 25, "2.57", false}};
    for (const Case& c : cases) {
        const std::size_t before = boxes.Records().size();
        sheet.RefreshRate()->setCurrentText(c.typed);
        sheet.TakeRefreshText();
        EXPECT_EQ(sheet.Colours().refresh, c.tenths) << c.typed;
        EXPECT_EQ(sheet.RefreshRate()->currentText().toStdString(), c.shown);
        EXPECT_EQ(boxes.Records().size() > before, c.warned);
    }
    EXPECT_EQ(boxes.Records().back().text, "超出允许设置范围，正常范围为0.1至10之间!");
}

} // namespace
