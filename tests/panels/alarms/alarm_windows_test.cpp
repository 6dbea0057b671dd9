// Offscreen tests of the alarm lamp and the test-alarm window: the lamp's
// colour, its double click, and the rows, colours and size of the window.
#include "model/ChannelModelTestSupport.h"
#include "panels/PanelsTestApp.h"
#include "panels/alarms/DlgAlarmState.h"
#include "panels/alarms/DlgTestAlarm.h"
#include "widgets/MSFlexGrid.h"

#include <QMouseEvent>

#include <gtest/gtest.h>

#include <cstring>

namespace {

class AlarmWindowsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsurePanelsTestApp(); }
    AlarmWindowsTest() { ResetChannelModel(); }
    ~AlarmWindowsTest() override { ResetChannelModel(); }
    static AlarmEntry Entry(int channel, int type, float value) {
        AlarmEntry entry{};
        entry.record = {channel, type, 1, 10.0f, -10.0f};
        entry.fValue = value;
        return entry;
    }
};

TEST_F(AlarmWindowsTest, TheLampIsRedWhileAnAlarmIsActiveAndADoubleClickAsksForTheWindow) {
    RecordingFrame frame;
    CDlgAlarmState lamp;
    lamp.SetOwner(frame.GetSafeHwnd());
    lamp.resize(24, 24);
    const auto centre = [&] { return lamp.grab().toImage().pixelColor(12, 12); };
    EXPECT_EQ(centre(), QColor(0, 255, 0));
    lamp.SetAlarm(true);
    EXPECT_EQ(centre(), QColor(255, 0, 0));
    lamp.SetAlarm(false);
    EXPECT_EQ(centre(), QColor(0, 255, 0));

    lamp.show();
    QMouseEvent click(QEvent::MouseButtonDblClick, QPointF(12, 12), QPointF(12, 12), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&lamp, &click);
    EXPECT_EQ(frame.Messages(), std::vector<platform::UINT>{WM_SHOW_TEST_ALARM});
}

TEST_F(AlarmWindowsTest, TheWindowListsTheChannelsInAlarmAndKeepsThemOnAnEmptyUpdate) {
    std::strcpy(g_ChannelParams[17].szUnit, "mV");
    CDlgTestAlarm window;
    window.SetAlarmList({Entry(17, 0, 12.5f), Entry(0, 3, -20.125f), Entry(1, 9, 3.0f)});
    window.UpdateAlarmList();
    CMSFlexGrid* grid = window.GetGrid();
    ASSERT_EQ(grid->GetRows(), 4);
    struct Row {
        const char* name;
        const char* value;
        const char* unit;
    };
    const Row expected[] = {{"01-02-02(超限报警)", "12.5", "mV"},
                            {"01-01-01(窗外报警)", "-20.125", "με"},
                            {"01-01-02", "3", "με"}};
    for (int r = 1; r <= 3; ++r) {
        EXPECT_EQ(grid->GetTextMatrix(r, 0), expected[r - 1].name);
        EXPECT_EQ(grid->GetTextMatrix(r, 1), expected[r - 1].value);
        EXPECT_EQ(grid->GetTextMatrix(r, 2), expected[r - 1].unit);
        EXPECT_EQ(grid->item(r - 1, 1)->foreground().color(), QColor(255, 0, 0));
    }
    EXPECT_EQ(grid->horizontalHeaderItem(1)->text().trimmed(), "测量值");

    window.SetAlarmList({});
    window.UpdateAlarmList();
    EXPECT_EQ(grid->GetRows(), 4) << "an update without alarms leaves the last rows";
}

TEST_F(AlarmWindowsTest, TheGridNeverShrinksBelowItsLeastSize) {
    CDlgTestAlarm window;
    window.show();
    window.resize(300, 200);
    QCoreApplication::processEvents();
    EXPECT_EQ(window.GetGrid()->size(), QSize(CDlgTestAlarm::kMinGridWidth, CDlgTestAlarm::kMinGridHeight));
    window.resize(900, 500);
    QCoreApplication::processEvents();
    EXPECT_EQ(window.GetGrid()->size(), QSize(900, 500));
}

} // namespace
