// The bar view's plain logic: the cell layout, the fill geometry (over
// range, negative, full scale 0), values and maxima with markers and
// channels without a place, and the layout keys with bad values.
#include "views/ViewsTestSupport.h"

#include "datafiles/SampleFileFormat.h"
#include "platform/Profile.h"
#include "views/bar/BarViewModel.h"

#include <gtest/gtest.h>

namespace {

// Units 0 and 2 online; every channel's full scale is 100.
BarWorld TwoUnits() {
    BarWorld world;
    world.table.caseList = {0, 2};
    for (int unit : {0, 2})
        for (int ch = 0; ch < 16; ++ch)
            world.table.channelList.push_back(unit * 16 + ch);
    std::fill(world.fullScale.begin(), world.fullScale.end(), 100.0f);
    return world;
}

TEST(BarViewModel, CellsFitTheClientOrScroll) {
    struct Case {
        int bars, width, height;
        BarLayout expected;
    };
    const Case cases[] = {
        // Four bars in 2 x 2 cells: the client holds them.
        {4, 300, 500, {2, 2, 300, 500}},
        // Ten: 10 div 2 rows = 5 columns, 2 rows, a layout 650 wide.
        {10, 300, 500, {5, 2, 650, 500}},
        // More than 8 columns never: 40 bars over 2 rows take 8 columns and 5 rows.
        {40, 300, 500, {8, 5, 1040, 1170}},
        // A window too small for one cell still lays out one column.
        {3, 60, 60, {3, 1, 390, 250}},
    };
    for (const Case& c : cases) {
        CBarViewModel m;
        std::vector<int> ids;
        for (int i = 0; i < c.bars; ++i)
            ids.push_back(i);
        ASSERT_TRUE(m.SetBars(ids));
        const BarLayout l = m.Layout(c.width, c.height);
        EXPECT_EQ(l.columns, c.expected.columns) << c.bars << " bars";
        EXPECT_EQ(l.rows, c.expected.rows) << c.bars << " bars";
        EXPECT_EQ(l.width, c.expected.width) << c.bars << " bars";
        EXPECT_EQ(l.height, c.expected.height) << c.bars << " bars";
    }
    CBarViewModel m;
    const BarRect r = m.BarOf(7, 650);
    EXPECT_EQ(r.left, 2 * 130 + 40);
    EXPECT_EQ(r.top, 230 + 25);
    EXPECT_EQ(r.bottom - r.top, 180);
    // A layout narrower than a cell keeps one column.
    EXPECT_EQ(m.BarOf(2, 0).top, 2 * 230 + 25);
}

TEST(BarViewModel, FillsStayInsideTheBar) {
    const BarRect r{40, 25, 80, 205}; // middle at 115
    struct Case {
        float value, fullScale;
        int y;
    };
    const Case cases[] = {{50, 100, 70}, {-50, 100, 160}, {200, 100, 25},           {-300, 100, 205},
                          {10, 0, 115},  {1e30f, 1, 25},  {std::nanf(""), 100, 115}};
    for (const Case& c : cases)
        EXPECT_EQ(CBarViewModel::FillY(c.value, c.fullScale, r), c.y) << c.value << " / " << c.fullScale;
}

TEST(BarViewModel, ValuesComeFromTheUnitsSlotAndMarkersNeverLatch) {
    BarWorld world = TwoUnits();
    CBarViewModel m;
    m.TakeOnlineChannels(world);
    EXPECT_EQ(m.BarCount(), 32);
    EXPECT_EQ(m.BarId(16), 32);
    // 200 online channels give 128 bars.
    BarWorld many;
    for (int id = 0; id < 200; ++id)
        many.table.channelList.push_back(id);
    CBarViewModel full;
    full.TakeOnlineChannels(many);
    EXPECT_EQ(full.BarCount(), 128);

    EXPECT_FALSE(m.RefreshValues(1, world));
    ASSERT_TRUE(m.AllocDataBuffer(2));
    EXPECT_FALSE(m.AllocDataBuffer(2));
    // Unit 2 sits in slot 1; channel 20 (unit 1) is not online.
    ASSERT_TRUE(m.SetBars({3, 34, 20}));
    std::vector<float> set(32, 0.0f);
    set[3] = 40.0f;
    set[16 + 2] = 7.5f;
    m.ReceiveData(1, set.data(), 2);
    ASSERT_TRUE(m.RefreshValues(1, world));
    EXPECT_EQ(m.Current(0), 40.0f);
    EXPECT_EQ(m.Current(1), 7.5f);
    EXPECT_FALSE(m.HasValue(2));
    EXPECT_EQ(m.FullScale(0), 100.0f);
    // The maximum only rises; a marker shows its text and leaves the maximum.
    set[3] = 10.0f;
    set[16 + 2] = 8388609.0f;
    m.ReceiveData(1, set.data(), 2);
    m.RefreshValues(1, world);
    EXPECT_EQ(m.Current(0), 10.0f);
    EXPECT_EQ(m.Maximum(0), 40.0f);
    EXPECT_FALSE(m.HasValue(1));
    EXPECT_EQ(m.Maximum(1), 7.5f);
    std::string marker;
    ASSERT_NE(FormatSpecialValue(0, 8388609.0f, marker), 0);
    EXPECT_EQ(m.CurrentText(1), marker);
    EXPECT_EQ(m.CurrentText(0), "10.00");
    // A negative first value is a maximum too.
    m.RefreshValues(0, world);
    EXPECT_FALSE(m.HasMaximum(0));
    set[3] = -5.0f;
    m.ReceiveData(1, set.data(), 2);
    m.RefreshValues(1, world);
    EXPECT_EQ(m.Maximum(0), -5.0f);
}

TEST(BarViewModel, LayoutKeysRoundTripAndBadBarsAreCut) {
    testrun::TempDir dir;
    const std::string file = dir.Path() + "/layout.lyt";
    const BarWorld world = TwoUnits();
    CBarViewModel saved;
    ASSERT_TRUE(saved.SetBars({1, 33, 47}));
    saved.m_Colours.fore = 0x123456;
    saved.m_Colours.refresh = 25;
    saved.SaveLayout(file, 1);
    CBarViewModel loaded;
    loaded.LoadLayout(file, 1, world);
    EXPECT_EQ(loaded.BarIds(), (std::vector<int>{1, 33, 47}));
    EXPECT_TRUE(loaded.m_Colours == saved.m_Colours);

    struct Case {
        const char* count;
        std::vector<const char*> ids;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {"3", {"2", "60", "5"}, {2}}, // a channel past the online range ends the list
        {"0", {"2"}, {0}},            // a count out of range: the list's first channel
        {"129", {"2"}, {0}},
        {"2", {"-4", "3"}, {0}}, // no bar left: one bar of the first channel
    };
    int index = 2;
    for (const Case& c : cases) {
        const std::string section = "BarView" + std::to_string(index);
        platform::WritePrivateProfileString(section, "BarCount", c.count, file);
        for (std::size_t i = 0; i < c.ids.size(); ++i)
            platform::WritePrivateProfileString(section, "BarID" + std::to_string(i), c.ids[i], file);
        CBarViewModel m;
        m.LoadLayout(file, index, world);
        EXPECT_EQ(m.BarIds(), c.expected) << "count " << c.count;
        // Absent colour keys take their defaults.
        EXPECT_EQ(m.m_Colours.fore, 0x00FF00u);
        EXPECT_EQ(m.m_Colours.viewBack, 0xC0C0C0u);
        ++index;
    }
}

} // namespace
