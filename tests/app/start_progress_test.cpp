// The start-up progress state: what each operation leaves for the window.
#include <gtest/gtest.h>

#include "app/StartProgress.h"

namespace {

TEST(StartProgressStateTest, OperationsLeaveTheirStateForTheWindow) {
    CStartProgressState state;
    state.SetFlag(7);
    state.Begin();
    EXPECT_EQ(state.GetFlag(), 0);
    state.SetText1("一");
    state.SetRange1(-1, 70000);
    state.SetText2("二");
    state.SetRange2(5, 40000);
    StartProgressSnapshot s = state.TakeSnapshot();
    EXPECT_EQ(s.caption, "进度提示");
    EXPECT_TRUE(s.visible);
    EXPECT_FALSE(s.raise);
    EXPECT_EQ(s.line1.low, 65535);
    EXPECT_EQ(s.line1.high, 4464);
    EXPECT_EQ(s.line2.high, 40000);

    state.End();
    EXPECT_FALSE(state.TakeSnapshot().visible);
    state.SetPos2(9);
    s = state.TakeSnapshot();
    EXPECT_TRUE(s.visible);
    EXPECT_TRUE(s.raise);
    EXPECT_FALSE(state.TakeSnapshot().raise); // raised once per update
    state.Reset1();
    state.SetCaption("提示");
    s = state.TakeSnapshot();
    EXPECT_EQ(s.line1.text, "");
    EXPECT_EQ(s.line1.pos, 0);
    EXPECT_EQ(s.line2.text, "二");
    EXPECT_EQ(s.caption, "提示");
    EXPECT_FALSE(state.IsCancelled());
}

} // namespace
