// The information view beside the history view: rows by size, the lines a
// row's width shows, the channel list over a row, and the splitter that
// snaps the column to 202 pixels or hides it below 20.
#include "views/ViewsTestSupport.h"

#include "model/ChannelNaming.h"
#include "views/history/ShowInfoView.h"

#include <QComboBox>
#include <QLabel>

#include <gtest/gtest.h>

namespace {

TEST(InfoView, RowsAndLinesFollowTheSize) {
    const std::vector<InfoRowRect> rows = InfoRowRects(100, 3);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].bottom, 33);
    EXPECT_EQ(rows[1].bottom, 67);
    EXPECT_EQ(rows[2].bottom, 100);
    struct Case {
        int width, lines;
    };
    for (const Case& c : {Case{35, 1}, Case{45, 2}, Case{65, 3}, Case{85, 4}, Case{80, 3}})
        EXPECT_EQ(InfoLinesByWidth(c.width), c.lines) << c.width;
    // Printing scales the widths.
    EXPECT_EQ(InfoLinesByWidth(85, 2.0), 2);
    EXPECT_EQ(InfoLinesByHeight(60, 16), 3);
    EXPECT_EQ(InfoLinesByHeight(5, 16), 1);
}

TEST(InfoView, RowTextsAndTheChannelListOverARow) {
    EnsureViewsTestApp();
    CShowInfoView view;
    view.channelUnit = [](int) { return std::string("με"); };
    view.channelDescription = [](int channel) { return "测点" + std::to_string(channel); };
    view.measuredChannels = [] { return std::vector<int>{1, 17, 40}; };
    view.SetRows({{17, 12.3456f}, {40, -1.0f}}, 2);
    view.resize(90, 400);
    EXPECT_EQ(view.RowTexts(0), (std::vector<std::string>{FormatChannelName(17), "12.35", "με", "测点17"}));
    view.resize(50, 400);
    EXPECT_EQ(view.RowTexts(1), (std::vector<std::string>{FormatChannelName(40), "-1.00"}));

    int chosenRow = -1, chosenChannel = -2;
    view.onChannelChosen = [&](int row, int channel) {
        chosenRow = row;
        chosenChannel = channel;
    };
    ASSERT_TRUE(view.ClickAt(10, 205));
    QComboBox* list = view.ChannelList();
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->currentIndex(), 2);
    emit list->activated(0);
    EXPECT_EQ(chosenRow, 1);
    EXPECT_EQ(chosenChannel, 1);
    EXPECT_EQ(view.Rows()[1].nChannel, 1);
    // Below the name line nothing opens.
    EXPECT_FALSE(view.ClickAt(10, 390));
}

TEST(InfoView, TheSplitterSnapsOrHidesTheColumn) {
    EnsureViewsTestApp();
    bool hide = false;
    EXPECT_EQ(SnapInfoColumn(300, hide), 202);
    EXPECT_FALSE(hide);
    SnapInfoColumn(10, hide);
    EXPECT_TRUE(hide);

    CInfoViewSplitter splitter;
    auto* info = new CShowInfoView;
    splitter.addWidget(info);
    splitter.addWidget(new QLabel("view"));
    splitter.resize(800, 300);
    splitter.show();
    int hidden = 0;
    splitter.onColumnHidden = [&] { ++hidden; };
    splitter.setSizes({300, 500});
    splitter.FinishDrag();
    EXPECT_EQ(splitter.sizes()[0], 202);
    EXPECT_EQ(hidden, 0);
    splitter.setSizes({10, 790});
    splitter.FinishDrag();
    EXPECT_TRUE(info->isHidden());
    EXPECT_EQ(hidden, 1);
}

} // namespace
