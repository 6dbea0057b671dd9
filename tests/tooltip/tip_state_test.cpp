// The tip window's state machine, its timers stepped by hand.
#include "tooltip/TipStateMachine.h"
#include "tooltip/TipToolTable.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

class FakeHost : public ITipStateHost {
public:
    std::map<int, int> timers; // running timers: id -> period
    std::vector<std::string> log;
    bool visible = false;
    TipPoint cursor;
    bool animationChanged = false;

    void StartTimer(int id, int ms) override { timers[id] = ms; }
    void KillTimer(int id) override { timers.erase(id); }
    void ShowTipWindow(TipPoint, int transparency) override {
        visible = true;
        log.push_back("show " + std::to_string(transparency));
    }
    void HideTipWindow() override {
        visible = false;
        log.push_back("hide");
    }
    bool IsTipWindowVisible() const override { return visible; }
    void RepaintTip(int transparency) override { log.push_back("paint " + std::to_string(transparency)); }
    TipPoint GetCursorPos() const override { return cursor; }
    bool AdvanceAnimations() override { return animationChanged; }
    // Windows of tools: their areas on the screen.
    std::map<int, TipRect> windows;
    CTipToolTable tools;
    std::vector<TipPoint> moves;
    int FindTool(TipPoint p, TipToolInfo* record) override {
        for (const auto& [window, r] : windows)
            if (p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom &&
                tools.FindToolInWindow(window, {p.x - r.left, p.y - r.top}, record))
                return window;
        return 0;
    }
    void MoveTipTo(TipPoint p) override { moves.push_back(p); }
    bool Running(int id) const { return timers.count(id) != 0; }
};

TipToolInfo Tip(const char* text, unsigned flags = 0) {
    TipToolInfo t;
    t.text = text;
    t.flags = flags;
    t.mask = 0x10; // the flags are the record's own
    return t;
}

} // namespace

TEST(TipStateMachine, ShowDelayAndAutoHide) {
    FakeHost host;
    CTipStateMachine m(host);
    m.QueueTip(7, Tip("a"), true, 0); // waits for the show delay
    EXPECT_TRUE(host.Running(256));
    EXPECT_EQ(m.GetState(), 0);
    m.OnTimer(256);
    EXPECT_EQ(m.GetState(), 2);
    EXPECT_EQ(host.log, (std::vector<std::string>{"show 0"}));
    EXPECT_EQ(host.timers.at(257), 5000);
    m.OnTimer(257); // no fade-out: hidden at once
    EXPECT_EQ(m.GetState(), 0);
    EXPECT_FALSE(host.visible);

    // The cursor moved away before the delay ended: nothing shows.
    host.cursor = {5, 5};
    m.QueueTip(7, Tip("b"), true, 0);
    m.OnTimer(256);
    EXPECT_FALSE(host.visible);

    // Delay 0 shows at once, without timer 256.
    host.cursor = {0, 0};
    m.SetTipDelay(3, 0);
    host.log.clear();
    m.QueueTip(7, Tip("c"), true, 0);
    EXPECT_FALSE(host.Running(256));
    EXPECT_EQ(host.log, (std::vector<std::string>{"show 0"}));
}

TEST(TipStateMachine, FadesAndATipQueuedDuringAFadeOut) {
    FakeHost host;
    CTipStateMachine m(host);
    m.SetTipDelay(4, 10);
    m.SetTipDelay(5, 10);
    m.SetDefaultTransparency(30);
    m.ShowRecordAtPoint({1, 1}, Tip("a"));
    EXPECT_EQ(m.GetState(), 1);
    EXPECT_EQ(host.log.back(), "show 100");
    for (int i = 0; i < 3; ++i)
        m.OnTimer(258);
    EXPECT_EQ(m.GetState(), 1);
    m.OnTimer(258); // 100 -> 80 -> 60 -> 40 -> 20, at or below 30: the tip's own transparency
    EXPECT_EQ(m.GetState(), 2);
    EXPECT_EQ(m.GetTransparency(), 30);
    EXPECT_FALSE(host.Running(258));
    EXPECT_FALSE(host.Running(257)); // shown at a point: no auto-hide

    m.ShowRecordAtPoint({2, 2}, Tip("b")); // fades the first out first
    EXPECT_EQ(m.GetState(), 3);
    EXPECT_TRUE(host.Running(259));
    EXPECT_EQ(m.GetCurrentTip().text, "a");
    for (int i = 0; i < 3; ++i)
        m.OnTimer(259); // 50, 70, 90
    EXPECT_TRUE(host.visible);
    m.OnTimer(259); // 100: hidden, then the queued tip shows
    EXPECT_EQ(m.GetCurrentTip().text, "b");
    EXPECT_EQ(m.GetState(), 1);
    EXPECT_TRUE(host.visible);
}

TEST(TipStateMachine, InputThatHidesAndInputThatDoesNot) {
    FakeHost host;
    CTipStateMachine m(host);
    m.ShowRecordAtPoint({1, 1}, Tip("a"));
    ASSERT_TRUE(host.visible);
    m.OnMouseMove({50, 50}, false); // a tip shown at a point ignores the cursor
    EXPECT_TRUE(host.visible);
    m.OnButtonDown();
    EXPECT_FALSE(host.visible);
    EXPECT_EQ(m.GetState(), 0);
    EXPECT_EQ(m.GetCurrentMode(), 0);
    EXPECT_TRUE(host.timers.empty());

    // A tip of a tool: moving off it hides it, over the tip with 0x08 keeps it.
    m.SetTipDelay(3, 0);
    host.cursor = {1, 1}; // where the cursor last was
    m.QueueTip(9, Tip("t", CTipStateMachine::kKeepOverTip | CTipStateMachine::kForgetTool), true, 0);
    ASSERT_TRUE(host.visible);
    host.timers.erase(257);
    m.OnMouseMove({3, 3}, true);
    EXPECT_TRUE(host.visible);
    EXPECT_TRUE(host.Running(257)); // restarted
    EXPECT_EQ(m.GetCurrentTool(), 9);
    m.OnMouseMove({4, 4}, false);
    EXPECT_FALSE(host.visible);
    EXPECT_EQ(m.GetCurrentTool(), 0);
}

TEST(TipStateMachine, AnimationRepaintsOnlyAShownTip) {
    FakeHost host;
    CTipStateMachine m(host);
    m.SetTipDelay(6, 100);
    EXPECT_EQ(host.timers.at(260), 100);
    host.animationChanged = true;
    m.OnTimer(260);
    EXPECT_TRUE(host.log.empty());
    m.ShowRecordAtPoint({0, 0}, Tip("a"));
    m.OnTimer(260);
    EXPECT_EQ(host.log.back(), "paint 0");
    m.SetTipDelay(6, 0);
    EXPECT_FALSE(host.Running(260));
}

TEST(TipToolTable, LookUpRules) {
    CTipToolTable table;
    TipToolInfo whole;
    whole.text = "whole";
    table.AddTool(1, whole);
    TipToolInfo left;
    left.text = "left";
    left.rcTool = {0, 0, 10, 10};
    TipToolInfo right = left;
    right.text = "right";
    right.rcTool = {5, 0, 20, 10};
    table.AddTool(2, left);
    table.AddTool(2, right);
    TipToolInfo found;
    EXPECT_TRUE(table.FindToolInWindow(1, {500, 500}, &found)); // one record of no area: the whole window
    EXPECT_EQ(found.text, "whole");
    EXPECT_TRUE(table.FindToolInWindow(2, {7, 3}, &found));
    EXPECT_EQ(found.text, "left"); // the first that holds the point
    EXPECT_TRUE(table.FindToolInWindow(2, {10, 3}, &found));
    EXPECT_EQ(found.text, "right"); // right and bottom edges are outside
    EXPECT_FALSE(table.FindToolInWindow(2, {20, 3}, &found));
    EXPECT_FALSE(table.FindToolInWindow(3, {1, 1}, &found));
    table.RemoveAllTools();
    EXPECT_FALSE(table.FindToolInWindow(1, {1, 1}, &found));
}

TEST(TipStateMachine, MovesOverToolsFollowTheirFlags) {
    struct Case {
        unsigned flags;
        bool visibleAfterMove;
        bool moved;
    } cases[] = {
        {0, false, false},                            // moving inside the same tool hides the tip
        {CTipStateMachine::kKeepInTool, true, false}, // ... kept with 0x04
        {CTipStateMachine::kFollow, true, true},      // ... and follows the cursor with 0x02
    };
    for (const Case& c : cases) {
        FakeHost host;
        CTipStateMachine m(host);
        host.windows[5] = {100, 100, 200, 200};
        TipToolInfo tool;
        tool.text = "tool";
        tool.rcTool = {0, 0, 50, 50};
        tool.mask = 0x10;
        tool.flags = c.flags;
        host.tools.AddTool(5, tool);

        m.OnMouseMove({110, 110}, false);
        EXPECT_TRUE(host.Running(256));
        host.cursor = {110, 110};
        m.OnTimer(256);
        ASSERT_TRUE(host.visible) << c.flags;
        EXPECT_EQ(m.GetCurrentTool(), 5);
        host.timers.erase(257);
        m.OnMouseMove({120, 120}, false);
        EXPECT_EQ(host.visible, c.visibleAfterMove) << c.flags;
        EXPECT_EQ(!host.moves.empty(), c.moved) << c.flags;
        if (c.visibleAfterMove)
            EXPECT_TRUE(host.Running(257)) << c.flags; // the auto-hide time restarts

        m.OnMouseMove({180, 180}, false); // off every tool: hidden, no tool
        EXPECT_FALSE(host.visible);
        EXPECT_EQ(m.GetCurrentTool(), 0);
    }
}

TEST(TipStateMachine, DefaultsFillWhatARecordLeavesUnset) {
    FakeHost host;
    CTipStateMachine m(host);
    m.SetDefaultFlags(CTipStateMachine::kNoAutoHide);
    m.SetDefaultTransparency(40);
    TipToolInfo own;
    own.mask = 0x20;
    own.transparency = 10;
    const TipToolInfo done = m.Completed(own);
    EXPECT_EQ(done.flags, unsigned(CTipStateMachine::kNoAutoHide));
    EXPECT_EQ(done.transparency, 10);
}
