// Timers outside windows: WM_TIMER ticks reach their target through the pump.
#include "platform/Timer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

using namespace platform;

namespace {

class TickCounter : public MessageTarget {
public:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM) override {
        if (message == WM_TIMER) {
            ids.push_back(wParam);
        }
        return 0;
    }
    std::vector<WPARAM> ids;
};

class TimerTest : public testing::Test {
protected:
    void SetUp() override {
        SetMessageDispatcher(nullptr);
        PumpMessages();
    }
};

} // namespace

TEST_F(TimerTest, TicksArriveUntilKilled) {
    TickCounter target;
    ASSERT_EQ(SetTimer(target.GetSafeHwnd(), 7, 10), 7u);
    PumpMessagesFor(10000, [&] { return target.ids.size() >= 3; });
    ASSERT_GE(target.ids.size(), 3u);
    EXPECT_EQ(target.ids, std::vector<WPARAM>(target.ids.size(), 7));

    EXPECT_TRUE(KillTimer(target.GetSafeHwnd(), 7));
    EXPECT_FALSE(KillTimer(target.GetSafeHwnd(), 7));
    PumpMessages(); // a tick queued before the kill may still come
    target.ids.clear();
    PumpMessagesFor(40);
    EXPECT_TRUE(target.ids.empty());
}

TEST_F(TimerTest, RefusesMissingTargetAndIdZero) {
    TickCounter target;
    EXPECT_EQ(SetTimer(0, 1, 10), 0u);
    EXPECT_EQ(SetTimer(target.GetSafeHwnd() + 1000000, 1, 10), 0u);
    EXPECT_EQ(SetTimer(target.GetSafeHwnd(), 0, 10), 0u);
}

// While nobody pumps, a timer keeps at most one tick waiting.
TEST_F(TimerTest, TicksDoNotPileUpWhileTheTargetIsBusy) {
    TickCounter target;
    ASSERT_NE(SetTimer(target.GetSafeHwnd(), 3, 10), 0u);
    std::this_thread::sleep_for(std::chrono::milliseconds(80));
    PumpMessages();
    EXPECT_LE(target.ids.size(), 1u);
    KillTimer(target.GetSafeHwnd(), 3);
}

TEST_F(TimerTest, TimersOfOneTargetAreIndependent) {
    TickCounter target;
    HWND hWnd = target.GetSafeHwnd();
    ASSERT_NE(SetTimer(hWnd, 1, 10), 0u);
    ASSERT_NE(SetTimer(hWnd, 2, 10), 0u);
    auto count = [&](WPARAM id) { return std::count(target.ids.begin(), target.ids.end(), id); };
    PumpMessagesFor(10000, [&] { return count(1) > 0 && count(2) > 0; });
    EXPECT_GT(count(1), 0);
    EXPECT_GT(count(2), 0);

    KillTimer(hWnd, 1);
    PumpMessages();
    target.ids.clear();
    PumpMessagesFor(10000, [&] { return count(2) >= 2; });
    EXPECT_EQ(count(1), 0);
    EXPECT_GE(count(2), 2);
    KillTimer(hWnd, 2);
}
