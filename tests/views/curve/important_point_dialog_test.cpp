// The important-point window: empty values before the first set, a value
// per chosen channel from its frame position, and a channel outside the
// frame that shows nothing.
#include "views/ViewsTestSupport.h"

#include "model/CaseTables.h"
#include "model/ChannelNaming.h"
#include "views/curve/ImportantPointDlg.h"

#include <QComboBox>
#include <QTableWidget>

#include <gtest/gtest.h>

namespace {

TEST(ImportantPointDialog, RowsShowTheChosenChannelsCurrentValues) {
    EnsureViewsTestApp();
    // Two online units: channels 0..15 and 32..47 at frame positions 0..31.
    std::fill(std::begin(g_ChannelPos), std::end(g_ChannelPos), -1);
    g_nChannelCount = 32;
    for (int i = 0; i < 32; ++i) {
        const int id = i < 16 ? i : 16 + i;
        g_ChannelList[i] = id;
        g_ChannelPos[id] = i;
    }
    std::array<int, CImportantPointDlg::kPoints> channels{3, 40, 20, -1, 3};
    CImportantPointDlg dialog;
    dialog.SetChannels(&channels);
    EXPECT_EQ(dialog.Grid()->item(1, 0)->text().toStdString(), FormatChannelName(40));
    for (int row = 0; row < CImportantPointDlg::kPoints; ++row)
        EXPECT_TRUE(dialog.ValueText(row).isEmpty()) << "row " << row;

    std::vector<float> values(32);
    for (int i = 0; i < 32; ++i)
        values[std::size_t(i)] = 0.5f * float(i);
    dialog.UpdateValues(values.data(), 2);
    EXPECT_EQ(dialog.ValueText(0), "1.500");
    EXPECT_EQ(dialog.ValueText(1), "12.000"); // channel 40 at position 24
    EXPECT_TRUE(dialog.ValueText(2).isEmpty()) << "channel 20 is not in the frame";
    EXPECT_EQ(dialog.ValueText(4), "1.500");

    // The row's editor lists the online channels; a choice lands in the owner's list.
    dialog.Grid()->cellClicked(3, 0);
    ASSERT_EQ(dialog.Editor()->count(), 32);
    dialog.Editor()->activated(17);
    EXPECT_EQ(channels[3], 33);
    EXPECT_EQ(dialog.ValueText(3), "8.500");
    // A set larger than the slots is cut at 4096 values.
    std::vector<float> many(600 * 16, 1.0f);
    dialog.UpdateValues(many.data(), 600);
    EXPECT_EQ(dialog.ValueText(0), "1.000");
}

} // namespace
