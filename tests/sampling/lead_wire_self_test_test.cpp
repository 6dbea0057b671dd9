// Lead-wire resistance and channel self-test: the formulas per bridge type,
// the channel status from the test levels, the self-test judgement, and the
// worker's run with its questions and messages.
#include "acquisition/LeadWireSelfTest.h"

#include "SamplingFixture.h"

namespace {

using namespace sampling_msg;

// The cases' answers to the lead-wire and self-test requests, by unit.
struct ReadingComm : CCommBase {
    std::vector<CaseSampleBlock> first = std::vector<CaseSampleBlock>(512);
    std::vector<CaseSampleBlock> second = std::vector<CaseSampleBlock>(512);
    int leadRequests = 0;
    int selfTestRequests = 0;
    int RequestLeadData(int) override { return ++leadRequests; }
    int RequestSelfTestData() override { return ++selfTestRequests; }
    int ReadLeadData(CaseSampleBlock* a, CaseSampleBlock* b, int) override {
        std::copy(first.begin(), first.end(), a);
        std::copy(second.begin(), second.end(), b);
        return 1;
    }
    int ReadSelfTestData(CaseSampleBlock* a, CaseSampleBlock* b) override { return ReadLeadData(a, b, 0); }
};

struct LevelHost : RecordingHost {
    float GetTestLevel(int i) override { return i == 0 ? 1000.0f : 2000.0f; }
};

class LeadWireTest : public ::testing::Test {
protected:
    LevelHost host;
    RecordingFrame frame;
    ReadingComm comm;
    platform::MessageBoxRecorder boxes;
    std::unique_ptr<CLeadWireSelfTest> lead;

    void SetUp() override {
        platform::SetUiThread();
        ResetRunFlags();
        ResetCaseTables();
        ClearChannelRecords();
        host.comm = &comm;
        lead = std::make_unique<CLeadWireSelfTest>(&host, frame.GetSafeHwnd());
        lead->SetSecondLength(1);
        // Unit 2 online, all strain channels.
        g_nCaseCount = 1;
        g_CaseList[0] = 2;
        g_CaseSlot[2] = 0;
        g_nChannelCount = 16;
        for (int c = 0; c < 16; ++c) {
            g_ChannelList[c] = 32 + c;
            g_ChannelParams[32 + c].nMeasureType = MEASURE_STRAIN;
            g_ChannelParams[32 + c].fGaugeResistance = 120.0f;
            g_ChannelParams[32 + c].nBridgeVoltage = 2;
            g_ChannelState[32 + c].bPresent = 1;
        }
    }
    void TearDown() override {
        PumpUntil([&] { return !lead->IsBusy(); });
        ResetCaseTables();
        ClearChannelRecords();
        g_bInterface485 = false;
    }
    void Reading(int c, float d0, float d1) {
        comm.first[2].fValues[c] = d0;
        comm.second[2].fValues[c] = d1;
        lead->GetLeadSet(0)[2].fValues[c] = d0;
        lead->GetLeadSet(1)[2].fValues[c] = d1;
    }
};

TEST_F(LeadWireTest, ResistanceByBridgeTypeWithTheHundredOhmLimit) {
    struct Case {
        int bridge;
        float rg;
        float x;
        float r0;
        int status;
    };
    const Case cases[] = {
        {0, 120.0f, 300.0f, 42.1622f, 0},   // quarter bridge, 120 ohm completion
        {1, 350.0f, 700.0f, 74.2424f, 0},   // 350 ohm completion
        {8, 120.0f, 900.0f, 20.6452f, 0},   // 1000 ohm completion
        {2, 120.0f, 300.0f, 42.1622f, 0},   // half bridge
        {2, 120.0f, 400.0f, 102.2222f, -1}, // over 100 ohm
        {2, 120.0f, 200.0f, 0.0f, 0},       // negative: 0
        {7, 120.0f, 300.0f, 0.0f, 0},       // bridge type 7 is always 0
        {5, 120.0f, 200.0f, 45.2632f, 0},   // full bridges and beyond type 8
        {9, 120.0f, 200.0f, 45.2632f, 0},     {5, 3800.0f, 2000.0f, 100.0f, 0}, // exactly 100 ohm: no fault
        {5, 3799.99f, 2000.0f, 100.005f, -1},
    };
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        const Case& c = cases[i];
        g_ChannelParams[32 + i].nBridgeType = c.bridge;
        g_ChannelParams[32 + i].fGaugeResistance = c.rg;
        Reading(i, 100.0f, 100.0f + c.x);
    }
    lead->ComputeLeadResistance3();
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        EXPECT_NEAR(lead->m_R0[32 + i], cases[i].r0, 0.001) << "case " << i;
        EXPECT_EQ(lead->m_LeadStatus[32 + i], cases[i].status) << "case " << i;
    }
}

TEST_F(LeadWireTest, ChannelStatusUsesTheTestLevelOfTheGauge) {
    struct Case {
        float rg;
        float d1;
        int status;
    };
    // Level 0 is 1000 (gauges of 150 ohm and more), level 1 is 2000.
    const Case cases[] = {{350.0f, 950.0f, -1}, {350.0f, -949.0f, 0}, {350.0f, 50.0f, -2},
                          {350.0f, 51.0f, 0},   {150.0f, 960.0f, -1}, {149.9f, 960.0f, 0},
                          {120.0f, 1900.0f, -1}};
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        g_ChannelParams[32 + i].fGaugeResistance = cases[i].rg;
        Reading(i, 0.0f, cases[i].d1);
    }
    g_ChannelParams[32 + 15].nMeasureType = MEASURE_VOLTAGE; // not judged
    lead->CheckLeadChannelStatus();
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i)
        EXPECT_EQ(lead->m_LeadStatus[32 + i], cases[i].status) << "case " << i;
    EXPECT_EQ(lead->m_LeadStatus[32 + 15], 0);
}

TEST_F(LeadWireTest, SelfTestJudgement) {
    // 120 ohm gauge, no lead-wire resistance, 2 V: the value is (a1 - a0) * 1000.
    const double nominal = CLeadWireSelfTest::SelfTestNominal(32);
    EXPECT_NEAR(nominal, 599.2809, 0.001);
    EXPECT_DOUBLE_EQ(CLeadWireSelfTest::SelfTestBridgeFactor(32), 1.0);
    struct Case {
        double fraction; // of the nominal value
        float a0;
        int leadStatus;
        int state;
    };
    const Case cases[] = {{1.0, 0.0f, 0, 0},   {0.91, 0.0f, 0, 0},     {1.09, 0.0f, 0, 0},
                          {0.89, 0.0f, 0, 1},  {1.11, 0.0f, 0, 1},     {1.0, 0.0f, -2, -2},
                          {1.0, 0.0f, -1, -1}, {1.0, 1800.0f, -2, -1}, {1.0, -1800.0f, 0, -1}};
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        const float a0 = cases[i].a0;
        lead->GetSelfTestSet(0)[2].fValues[i] = a0;
        lead->GetSelfTestSet(1)[2].fValues[i] = a0 + static_cast<float>(nominal * cases[i].fraction / 1000.0);
        lead->m_LeadStatus[32 + i] = cases[i].leadStatus;
    }
    lead->JudgeSelfTest3();
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i)
        EXPECT_EQ(lead->m_SelfTestState[32 + i], cases[i].state) << "case " << i;
    EXPECT_NEAR(lead->m_SelfTestValue[32], nominal, 0.01);
}

TEST_F(LeadWireTest, AMeasurementRunAsksWaitsAndWritesTheResults) {
    g_bInterface485 = true;
    g_nInterface485RLead = 3;
    g_ChannelParams[32].nBridgeType = 2;
    g_ChannelParams[33].nBridgeType = 5;
    g_ChannelParams[34].nBridgeType = 2;
    g_ChannelParams[35].fLeadResistance = 9.0f;
    for (int c = 0; c < 16; ++c)
        Reading(c, 100.0f, 400.0f); // x = 300 for all, D1 inside the levels
    Reading(1, 100.0f, 300.0f);     // channel 33: 45.263 ohm
    Reading(2, 100.0f, 1950.0f);    // channel 34: saturated reading
    g_ChannelParams[35].nBridgeType = 7;

    boxes.QueueAnswer(platform::IDYES); // measure
    boxes.QueueAnswer(platform::IDOK);  // the too-large warning
    boxes.QueueAnswer(platform::IDYES); // use the results
    lead->OnLeadResistanceTest();
    ASSERT_TRUE(PumpUntil([&] { return !lead->IsBusy(); }));
    EXPECT_EQ(comm.leadRequests, 1);
    EXPECT_EQ(frame.Count(kProgressStep), 3) << "the 485 wait in seconds";
    EXPECT_EQ(frame.Count(kLeadResults), 1);
    EXPECT_EQ(frame.Count(kLeadApplied), 1);
    const auto records = boxes.Records();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[1].text, "导线电阻过大，可能影响测量精度！");
    EXPECT_EQ(records[2].text, "是否使用当前测量值更新通道导线电阻设置？");
    EXPECT_EQ(records[2].flags & platform::MB_DEFMASK, platform::MB_DEFBUTTON2);

    EXPECT_NEAR(g_ChannelParams[32].fLeadResistance, 42.1622f, 0.001);
    EXPECT_NEAR(g_ChannelParams[33].fLeadResistance, 90.5263f, 0.001) << "full bridges doubled";
    EXPECT_EQ(lead->m_LeadStatus[34], -1);
    EXPECT_EQ(g_ChannelParams[34].fLeadResistance, 0.0f);
    EXPECT_EQ(g_ChannelParams[35].fLeadResistance, 0.0f) << "bridge type 7: 0, no fault";
    EXPECT_EQ(lead->m_bLeadDone.load(), 1);
    EXPECT_EQ(lead->m_bMeasuring.load(), 0);
    EXPECT_EQ(g_bLinkBusy.load(), 0);
    EXPECT_EQ(g_bLinkWatchEnabled.load(), 1);
    EXPECT_NE(lead->m_strReport.find("D0：\n01-03-01: 100.000  "), std::string::npos) << lead->m_strReport;
}

TEST_F(LeadWireTest, SelfTestRunAndEarlyReturns) {
    g_bInterface485 = true;
    g_nInterface485Check = 2;
    boxes.QueueAnswer(platform::IDYES); // self-test
    boxes.QueueAnswer(platform::IDNO);  // no lead-wire measurement yet: stop
    lead->OnChannelSelfTest();
    EXPECT_FALSE(lead->IsBusy());
    EXPECT_EQ(boxes.Records().back().text, "未进行过导线电阻测量，是否继续通道自检？");

    lead->m_bLeadDone = 1;
    g_ChannelParams[40].fLeadResistance = 150.0f;
    boxes.QueueAnswer(platform::IDYES);
    boxes.QueueAnswer(platform::IDYES); // continue despite the high resistance
    lead->OnChannelSelfTest();
    ASSERT_TRUE(PumpUntil([&] { return !lead->IsBusy(); }));
    EXPECT_EQ(boxes.Records().back().text, "测量通道导线电阻值异常，是否继续通道自检？");
    EXPECT_EQ(comm.selfTestRequests, 1);
    EXPECT_EQ(frame.Count(kProgressStep), 2);
    EXPECT_EQ(frame.Count(kSelfTestResults), 1);
    EXPECT_EQ(lead->m_bSelfTestRunning.load(), 0);
    EXPECT_EQ(g_bLinkBusy.load(), 0);

    // A run started meanwhile: the worker measures nothing and leaves clean.
    g_bSampling = 1;
    lead->m_bMeasuring = 1;
    lead->MeasureLeadResistance();
    EXPECT_EQ(lead->m_bMeasuring.load(), 0);
    EXPECT_EQ(comm.leadRequests, 0);
    EXPECT_EQ(g_bLinkBusy.load(), 0);
    g_bSampling = 0;

    for (int c = 0; c < 16; ++c)
        g_ChannelParams[32 + c].nMeasureType = MEASURE_VOLTAGE;
    boxes.QueueAnswer(platform::IDYES);
    lead->OnLeadResistanceTest();
    EXPECT_EQ(boxes.Records().back().text, "未查找到应变应力通道设置，无法进行导线电阻测量。");
    EXPECT_FALSE(lead->IsBusy());
}

} // namespace

namespace {

TEST_F(LeadWireTest, GoingAwayDuringTheWaitEndsTheWorkerCleanly) {
    lead->SetSecondLength(50); // a 20-second wait without the 485 setting
    boxes.QueueAnswer(platform::IDYES);
    lead->OnLeadResistanceTest();
    ASSERT_TRUE(PumpUntil([&] { return frame.Count(kProgressStep) >= 1; }));
    lead.reset();
    EXPECT_EQ(g_bLinkBusy.load(), 0);
    EXPECT_EQ(g_bLinkWatchEnabled.load(), 1);
    EXPECT_LT(frame.Count(kProgressStep), 20);
    lead = std::make_unique<CLeadWireSelfTest>(&host, frame.GetSafeHwnd());
}

} // namespace
