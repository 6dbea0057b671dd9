// The zero-setting grid: rows by online unit, cells by channel, and edits
// that land on the channel their cell shows, within ±20 mV, numbers only.
#include "views/ViewsTestSupport.h"

#include "model/CaseTables.h"
#include "platform/MessageBox.h"
#include "views/curve/DlgZeroSetting.h"

#include <QLineEdit>
#include <QTableWidget>

#include <gtest/gtest.h>

#include <vector>

namespace {

class ZeroSettingDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureViewsTestApp();
        // Units 3 and 9 online; unit 9's channels listed backwards, so that
        // the list position of a channel is not its cell.
        g_nCaseCount = 2;
        g_CaseList[0] = 3;
        g_CaseList[1] = 9;
        g_nChannelCount = 32;
        for (int i = 0; i < 16; ++i) {
            g_ChannelList[i] = 48 + i;
            g_ChannelList[16 + i] = 159 - i;
        }
        for (int id = 0; id < CDlgZeroSetting::kZeroCount; ++id)
            zeros[std::size_t(id)] = 0.001f * float(id % 1000);
    }

    std::vector<float> zeros = std::vector<float>(CDlgZeroSetting::kZeroCount);
};

TEST_F(ZeroSettingDialogTest, GridShowsEachOnlineUnitsChannelsInTheirColumns) {
    CDlgZeroSetting dialog;
    dialog.SetZeroValues(zeros.data());
    QTableWidget* grid = dialog.Grid();
    ASSERT_EQ(grid->rowCount(), 3);
    ASSERT_EQ(grid->columnCount(), 17);
    EXPECT_EQ(grid->item(0, 0)->text(), QString::fromUtf8("机箱号"));
    EXPECT_EQ(grid->item(0, 16)->text(), QString::fromUtf8("测点16(mV)"));
    EXPECT_EQ(grid->item(1, 0)->text(), "01-04");
    EXPECT_EQ(grid->item(2, 0)->text(), "02-02");
    EXPECT_EQ(grid->item(1, 1)->text(), "0.048");
    EXPECT_EQ(grid->item(2, 1)->text(), "0.144");
    EXPECT_EQ(grid->item(2, 16)->text(), "0.159");
    EXPECT_EQ(dialog.CellChannel(2, 3), 146);
    EXPECT_EQ(dialog.CellChannel(0, 3), -1);
    EXPECT_EQ(dialog.CellChannel(1, 0), -1);
}

TEST_F(ZeroSettingDialogTest, EditsLandOnTheCellsChannelWithinTwentyMillivolts) {
    struct Case {
        int row, column;
        const char* text;
        bool accepted;
        float value;
    };
    const Case cases[] = {
        {1, 2, "19.999", true, 19.999f},
        {1, 3, "20", false, 0},
        {1, 4, "-20", false, 0},
        {2, 1, "-19.5", true, -19.5f},
        {2, 2, " 3.25 ", true, 3.25f},
        {2, 3, "abc", false, 0},
        {2, 4, "", false, 0},
        {2, 5, "nan", false, 0},
        {2, 6, "1e1", true, 10.0f},
        {2, 7, "7x", false, 0},
    };
    CDlgZeroSetting dialog;
    dialog.SetZeroValues(zeros.data());
    std::vector<float> expected = zeros;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        platform::MessageBoxRecorder boxes;
        const int channel = dialog.CellChannel(c.row, c.column);
        const QString before = dialog.Grid()->item(c.row, c.column)->text();
        emit dialog.Grid()->cellClicked(c.row, c.column);
        ASSERT_TRUE(dialog.Editor()->isVisibleTo(&dialog));
        EXPECT_EQ(dialog.Editor()->text(), before);
        dialog.Editor()->setText(QString::fromUtf8(c.text));
        emit dialog.Editor()->editingFinished();
        EXPECT_FALSE(dialog.Editor()->isVisibleTo(&dialog));
        if (c.accepted) {
            expected[std::size_t(channel)] = c.value;
            EXPECT_TRUE(boxes.Records().empty());
            EXPECT_EQ(dialog.Grid()->item(c.row, c.column)->text(),
                      QString::asprintf("%.3f", double(c.value)));
        } else {
            ASSERT_EQ(boxes.Records().size(), 1u);
            EXPECT_EQ(boxes.Records()[0].text, "数据超范围，设置无效!");
            EXPECT_EQ(boxes.Records()[0].caption, "零点输入提示");
            EXPECT_EQ(dialog.Grid()->item(c.row, c.column)->text(), before);
        }
    }
    // Row 2, column 1 is channel 144 although list entry 16 is channel 159.
    EXPECT_FLOAT_EQ(expected[144], -19.5f);
    std::vector<float> out(CDlgZeroSetting::kZeroCount);
    dialog.GetZeroValues(out.data());
    EXPECT_EQ(out, expected);

    // Fixed cells open no editor.
    emit dialog.Grid()->cellClicked(0, 3);
    emit dialog.Grid()->cellClicked(1, 0);
    EXPECT_FALSE(dialog.Editor()->isVisibleTo(&dialog));
}

} // namespace
