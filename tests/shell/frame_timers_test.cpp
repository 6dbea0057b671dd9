// The frame's waiting reminder and automatic search timers, the connected
// controller list and the module fault alert.
#include "ShellSearchFixture.h"

#include "acquisition/FrameTimers.h"

namespace {

// The frame's timer side: connections from the driver's link events, the
// detection as the quiet search, and a clock the test sets.
struct TimerTestHost : FakeFrameTimersHost, FakeCaseConnectionsHost {
    CCaseSearch* search = nullptr;
    CCommBase* comm = nullptr;
    CCaseConnections connections{this};
    int projectState = 0;
    std::int64_t now = 1000;
    std::vector<int> killed;
    std::vector<std::string> statusTexts;
    std::vector<std::string> messages;
    int casesFound = -1;

    int GetConnectedCount() override { return static_cast<int>(connections.GetConnectedAddresses().size()); }
    int GetProjectState() override { return projectState; }
    void SetStatusText(const std::string& text) override { statusTexts.push_back(text); }
    void KillTimer(int id) override { killed.push_back(id); }
    void ShowMessage(const std::string& text, platform::UINT) override { messages.push_back(text); }
    bool DetectCases() override { return search->DetectCasesAndReport() != 0; }
    std::int64_t Now() override { return now; }
    int GetAutoDetectTimeout() override { return 60; }
    CCommBase* GetComm() override { return comm; }
    void SetCasesFound(int found) override { casesFound = found; }
};

class FrameTimersTest : public ShellSearchTest {
protected:
    TimerTestHost timers;
    CFrameTimers frameTimers{&timers};

    void SetUp() override {
        ShellSearchTest::SetUp();
        timers.search = &search;
        timers.comm = comm.get();
        owner.connections = &timers.connections;
    }
};

TEST_F(FrameTimersTest, TheDetectionOnTheTimerNoticesACaseThatConnectsLater) {
    WriteMap(kTwoCases);
    frameTimers.StartAutoDetect();
    EXPECT_TRUE(frameTimers.OnTimer(CFrameTimers::kWaitConnectTimer));
    EXPECT_EQ(timers.statusTexts, std::vector<std::string>{"正在等待设备连接......"});
    EXPECT_TRUE(frameTimers.OnTimer(CFrameTimers::kAutoDetectTimer));
    EXPECT_TRUE(timers.killed.empty());

    StartCase(kTwoCases[1]);
    ASSERT_TRUE(PumpUntil([&] { return timers.GetConnectedCount() == 1; }));
    EXPECT_EQ(timers.statusTexts.back(), "IP: 127.0.0.3 已建立连接");
    frameTimers.OnTimer(CFrameTimers::kWaitConnectTimer);
    EXPECT_EQ(timers.killed, std::vector<int>{CFrameTimers::kWaitConnectTimer});

    timers.now += 5;
    EXPECT_TRUE(frameTimers.OnTimer(CFrameTimers::kAutoDetectTimer));
    EXPECT_EQ(timers.killed.back(), CFrameTimers::kAutoDetectTimer);
    EXPECT_EQ(frameTimers.m_bAutoDetectFound, 1);
    EXPECT_EQ(g_nCaseCount, 3);
    EXPECT_EQ(g_CaseList[0], 8);
    EXPECT_EQ(linkHost.packets.size(), 48u);
    EXPECT_TRUE(boxes.Records().empty());
    EXPECT_TRUE(timers.messages.empty());
}

TEST_F(FrameTimersTest, TheAutomaticSearchGivesUpAfterItsTimeOnce) {
    frameTimers.StartAutoDetect();
    timers.now += 61;
    EXPECT_FALSE(frameTimers.OnTimer(CFrameTimers::kAutoDetectTimer));
    ASSERT_EQ(timers.messages, std::vector<std::string>{AutoDetectTimeoutText()});
    EXPECT_NE(timers.messages[0].find("请于故障排除后手动查找机箱。"), std::string::npos);
    EXPECT_NE(timers.messages[0].find("3. 以太网参数是否正确"), std::string::npos);
    EXPECT_EQ(timers.killed, std::vector<int>{CFrameTimers::kAutoDetectTimer});
}

TEST_F(FrameTimersTest, TheWaitingReminderShowsOnlyWithoutProjectData) {
    for (int state : {2, 3}) {
        timers.projectState = state;
        EXPECT_TRUE(frameTimers.OnTimer(CFrameTimers::kWaitConnectTimer));
    }
    EXPECT_TRUE(timers.statusTexts.empty());
    EXPECT_TRUE(timers.killed.empty());
}

TEST_F(FrameTimersTest, AReconnectEmptiesTheListAndBlocksMappingUntilACaseConnects) {
    Connect(kTwoCases);
    ASSERT_TRUE(PumpUntil([&] { return timers.connections.GetConnectionCount() == 2; }));
    EXPECT_TRUE(timers.connections.CanEditControllers(false));
    EXPECT_FALSE(timers.connections.CanEditControllers(true));
    // A case that connects again moves to the end of the list.
    timers.connections.OnCaseLinkConnected("127.0.0.2");
    EXPECT_EQ(timers.connections.GetConnectedAddresses(),
              (std::vector<std::string>{"127.0.0.3", "127.0.0.2"}));

    timers.connections.OnReconnectCases();
    EXPECT_TRUE(timers.connections.GetConnectedAddresses().empty());
    EXPECT_EQ(timers.connections.GetConnectionCount(), 0);
    EXPECT_FALSE(timers.connections.CanEditControllers(false));
    EXPECT_EQ(timers.casesFound, 0);
    EXPECT_EQ(timers.statusTexts.back(), "正在更新网络连接......");
}

struct RecordingAlert : IModuleFaultAlert {
    bool visible = false;
    int slides = 0;
    std::vector<std::vector<DeadLinkEntry>> lists;
    bool IsVisible() override { return visible; }
    void SlideIn() override {
        ++slides;
        visible = true;
    }
    void SetModuleList(const std::vector<DeadLinkEntry>& modules) override { lists.push_back(modules); }
};

TEST(ModuleFaultAlert, ShowsOnlyForModulesAndKeepsAShownListWhenAsked) {
    const std::vector<DeadLinkEntry> one = {{"127.0.0.2", 0}};
    struct Case {
        bool visible, keep;
        std::vector<DeadLinkEntry> modules;
        int slides;
        std::size_t refills;
    };
    const Case cases[] = {
        {false, false, {}, 0, 1}, // empty list: stays hidden, grid refilled
        {false, true, one, 1, 1}, // hidden: slides in whatever the keep flag
        {true, true, one, 0, 0},  // shown and kept: list untouched
        {true, false, one, 0, 1}, // shown: refilled in place
    };
    for (const Case& c : cases) {
        RecordingAlert alert;
        alert.visible = c.visible;
        OnModuleFault(&alert, c.modules, c.keep);
        EXPECT_EQ(alert.slides, c.slides);
        EXPECT_EQ(alert.lists.size(), c.refills);
    }
    OnModuleFault(nullptr, one, false); // no alert window: nothing
}

} // namespace
