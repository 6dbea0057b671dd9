// Commit rules of the channel bar: value checks, what each page writes, the
// bridge-voltage groups, the messages to the frame and the saved files.
#include "panels/bars/ChannelCommitRules.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "ChannelBarTestSupport.h"
#include "model/GbkTextCut.h"
#include "model/ValueConversion.h"
#include "panels/bars/BarMessages.h"
#include "panels/bars/ChannelBarPages.h"
#include "platform/MessageBox.h"
#include "project/ChannelParamFile.h"

namespace {

class ChannelCommitRulesTest : public ::testing::Test, public ChannelBarFixture {
protected:
    CommitResult Commit(int pageId, int column, const std::string& text, std::vector<int> rows,
                        int index = 0) {
        CellCommit c;
        c.pageId = pageId;
        c.column = column;
        c.text = text;
        c.listIndex = index;
        c.rowChannels = std::move(rows);
        c.pageChannels = ListPageChannels(pageId, GetDefaultRowRange());
        return CommitCellEdit(ctx, c);
    }
    static std::vector<platform::UINT> Messages(const CommitResult& r) {
        std::vector<platform::UINT> ids;
        for (const BarMessage& m : r.messages) {
            ids.push_back(m.message);
        }
        return ids;
    }
    platform::MessageBoxRecorder boxes;
};

TEST_F(ChannelCommitRulesTest, StrainValueChecks) {
    struct Case {
        int column;
        const char* text;
        bool stored;
        bool box; // refused with the out-of-range message
    } cases[] = {
        {6, "350", true, false}, {6, "0", false, true},    {6, "2e12", false, true},
        {7, "0", true, false},   {7, "-120", false, true}, {7, "1.5", true, false},
        {8, "0", false, true},   {8, "-2.1", true, false}, {9, "0.3", true, false},
        {9, "0", false, true},   {10, "206", true, false}, {10, "-1", false, true},
        {6, "abc", false, true}, {7, "abc", false, false},
    };
    for (const Case& c : cases) {
        ResetChannelRecords();
        SetOnlineCases({0, 1});
        const std::size_t boxesBefore = boxes.Records().size();
        ChannelParamRecord& p = g_ChannelParams[0];
        float* fields[] = {&p.fGaugeResistance, &p.fLeadResistance, &p.fGaugeFactor, &p.fPoissonRatio,
                           &p.fElasticModulus};
        float& field = *fields[c.column - 6];
        field = 77.0f;
        Commit(PAGE_STRAIN, c.column, c.text, {0});
        EXPECT_EQ(field != 77.0f, c.stored) << c.column << " " << c.text;
        EXPECT_EQ(boxes.Records().size() > boxesBefore, c.box) << c.column << " " << c.text;
    }
    ASSERT_FALSE(boxes.Records().empty());
    EXPECT_EQ(boxes.Records().back().text, MSG_VALUE_OUT_OF_RANGE);
    EXPECT_EQ(boxes.Records().back().flags & platform::MB_ICONMASK, platform::MB_ICONSTOP);
}

TEST_F(ChannelCommitRulesTest, ZeroSensitivityIsRefusedOnEveryPageThatDividesByIt) {
    for (int page : {PAGE_BRIDGE_SENSOR, PAGE_VOLTAGE, PAGE_RESISTANCE}) {
        SetType(1, page - 1);
        g_ChannelParams[1].fSensitivity = 2.0f;
        Commit(page, 1, "0", {1});
        EXPECT_EQ(g_ChannelParams[1].fSensitivity, 2.0f) << page;
        Commit(page, 1, "0.5", {1});
        EXPECT_EQ(g_ChannelParams[1].fSensitivity, 0.5f) << page;
    }
    EXPECT_EQ(boxes.Records().size(), 3u);
}

TEST_F(ChannelCommitRulesTest, BridgeVoltageReachesItsGroupOfFourUnlessSubVersion3) {
    g_ChannelParams[6].fLeadResistance = 12.0f;
    g_ChannelState[6].fBridgeGain = 2.0f;
    const CommitResult r = Commit(PAGE_STRAIN, 3, "10", {5});
    for (int c = 4; c < 8; ++c) {
        EXPECT_EQ(g_ChannelParams[c].nBridgeVoltage, 10) << c;
    }
    EXPECT_EQ(g_ChannelParams[8].nBridgeVoltage, 2);
    EXPECT_FLOAT_EQ(g_ChannelState[6].fBridgeVoltage, 10.0f / 1.1f / 2.0f);
    EXPECT_EQ(r.changedChannels, (std::vector<std::int32_t>{5, 4, 6, 7}));
    EXPECT_EQ(Messages(r), (std::vector<platform::UINT>{WM_BAR_SEND_CHANNEL_PARAMS, WM_BAR_REDRAW_MONITORS}));

    types.subVersion[0] = 3;
    Commit(PAGE_STRAIN, 3, "5", {5});
    EXPECT_EQ(g_ChannelParams[5].nBridgeVoltage, 5);
    EXPECT_EQ(g_ChannelParams[4].nBridgeVoltage, 10);
}

TEST_F(ChannelCommitRulesTest, RangeChangePostsZeroResetsAndFollowsTheTypeSection) {
    const CommitResult r = Commit(PAGE_STRAIN, 4, "", {0, 1}, 1);
    EXPECT_EQ(g_ChannelState[0].nFullScaleLevel, 1);
    EXPECT_EQ(g_ChannelState[1].fFullScale, 500.0f);
    ASSERT_EQ(r.messages.size(), 4u);
    EXPECT_EQ(r.messages[0].message, WM_BAR_RESET_ZERO);
    EXPECT_TRUE(r.messages[0].bPost);
    EXPECT_EQ(r.messages[1].wParam, 1u);
    // An index beyond the offered levels changes nothing.
    Commit(PAGE_STRAIN, 4, "", {0}, 5);
    EXPECT_EQ(g_ChannelState[0].nFullScaleLevel, 1);
}

TEST_F(ChannelCommitRulesTest, EditsWhileARunIsActiveChangeNothing) {
    for (auto* flag : {&g_bSampling, &g_bSamplePaused}) {
        *flag = 1;
        const CommitResult r = Commit(PAGE_STRAIN, 6, "350", {0});
        EXPECT_TRUE(r.bRefused);
        EXPECT_EQ(g_ChannelParams[0].fGaugeResistance, 120.0f);
        *flag = 0;
    }
}

TEST_F(ChannelCommitRulesTest, DescriptionIsCutOnACharacterBoundary) {
    g_ChannelParams[0].bShown = 1;
    // 25 GBK bytes: 19 fit only with the tenth character left out.
    const CommitResult r = Commit(PAGE_OVERVIEW, 2, "a一二三四五六七八九十壹贰", {0});
    EXPECT_EQ(GetDescriptionText(0), "a一二三四五六七八九");
    EXPECT_EQ(std::strlen(g_ChannelParams[0].szDescription), 19u);
    EXPECT_EQ(g_ChannelParams[0].bShown, 1);
    EXPECT_EQ(Messages(r), (std::vector<platform::UINT>{WM_BAR_DESCRIPTIONS_CHANGED}));
    Commit(PAGE_OVERVIEW, 2, "一二三四五六七八九十", {1});
    EXPECT_EQ(GetDescriptionText(1), "一二三四五六七八九");
}

TEST_F(ChannelCommitRulesTest, TypeChange) {
    SetType(16, MEASURE_RTD);
    SetType(17, MEASURE_THERMOCOUPLE);
    SetType(18, MEASURE_THERMOCOUPLE);
    g_ChannelState[17].nCompChannel = 16;
    g_ChannelState[18].nCompChannel = 16;
    CommitResult r = Commit(PAGE_OVERVIEW, 1, "电压测量", {16});
    EXPECT_EQ(g_ChannelParams[16].nMeasureType, MEASURE_VOLTAGE);
    EXPECT_EQ(GetUnitText(16), "mV");
    EXPECT_EQ(g_ChannelState[17].nCompChannel, -1);
    EXPECT_EQ(g_ChannelState[18].nCompChannel, -1);
    EXPECT_TRUE(r.bRebuildTypeTabs);
    EXPECT_EQ(r.changedChannels, (std::vector<std::int32_t>{16}));
    EXPECT_EQ(Messages(r),
              (std::vector<platform::UINT>{WM_BAR_SAMPLE_MODE_CHANGED, WM_BAR_SEND_CHANNEL_PARAMS}));

    // Strain to bridge sensor: the bridge mode picks the bridge kind.
    g_ChannelParams[2].nBridgeType = 5;
    g_ChannelParams[3].nBridgeType = 4;
    Commit(PAGE_OVERVIEW, 1, "桥式传感器", {2, 3});
    EXPECT_EQ(g_ChannelState[2].nBridgeKind, 1);
    EXPECT_EQ(g_ChannelState[3].nBridgeKind, 0);
    EXPECT_EQ(g_nStrainChanCount, 27);
    // Unknown texts mean strain; the main model puts strain on level 2.
    Commit(PAGE_OVERVIEW, 1, "?", {2});
    EXPECT_EQ(g_ChannelParams[2].nMeasureType, MEASURE_STRAIN);
    EXPECT_EQ(g_ChannelState[2].nFullScaleLevel, 2);
    EXPECT_EQ(g_ChannelState[2].fFullScale, 20.0f);
}

TEST_F(ChannelCommitRulesTest, AlarmLimitsKeepAWindowOrdered) {
    struct Case {
        int type, column;
        const char* text;
        float upper, lower;
    } cases[] = {
        {0, 3, "-5", -5.0f, 0.0f}, // plain limits are stored as they come
        {2, 3, "-5", 0.0f, -5.0f}, // an upper limit below the lower swaps
        {3, 4, "8", 8.0f, 1.0f},   // a lower limit above the upper swaps
        {2, 4, "0.5", 1.0f, 0.5f},
    };
    for (const Case& c : cases) {
        g_AlarmTable[0] = {0, c.type, 0, 1.0f, 0.0f};
        Commit(PAGE_ALARM, c.column, c.text, {0});
        EXPECT_EQ(g_AlarmTable[0].fUpper, c.upper) << c.type << " " << c.text;
        EXPECT_EQ(g_AlarmTable[0].fLower, c.lower) << c.type << " " << c.text;
    }
    g_AlarmTable[0] = {0, 0, 0, -1.0f, 4.0f};
    Commit(PAGE_ALARM, 2, "窗内", {0}, 2);
    EXPECT_EQ(g_AlarmTable[0].fUpper, 4.0f);
    EXPECT_EQ(g_AlarmTable[0].fLower, -1.0f);
}

TEST_F(ChannelCommitRulesTest, MalformedNumberStopsAtTheFirstRow) {
    SetType(16, MEASURE_SPEED);
    SetType(17, MEASURE_SPEED);
    for (const char* text : {"1.5", "0", "x", ""}) {
        g_ChannelState[16].fPulsesPerRev = 60.0f;
        Commit(PAGE_SPEED, 1, text, {16, 17});
        EXPECT_EQ(g_ChannelState[16].fPulsesPerRev, 60.0f) << text;
    }
    Commit(PAGE_SPEED, 1, "30", {16, 17});
    EXPECT_EQ(g_ChannelState[17].fPulsesPerRev, 30.0f);
}

TEST_F(ChannelCommitRulesTest, CompensationStaysWithinTheControllerAndTheSelectedRows) {
    g_ChannelState[9].nCompChannel = 3; // not selected: must keep its choice
    Commit(PAGE_STRAIN, 11, "01-01-03", {0, 1});
    EXPECT_EQ(g_ChannelState[0].nCompChannel, 2);
    EXPECT_EQ(g_ChannelState[1].nCompChannel, 2);
    EXPECT_EQ(g_ChannelState[9].nCompChannel, 3);

    // A channel of another controller's case is refused.
    g_ChannelState[4].nCompChannel = -1;
    Commit(PAGE_STRAIN, 11, "02-01-01", {4});
    EXPECT_EQ(g_ChannelState[4].nCompChannel, -1);
    // A compensation channel of a listed strain channel cannot have one itself.
    Commit(PAGE_STRAIN, 11, "01-01-05", {2});
    EXPECT_EQ(g_ChannelState[2].nCompChannel, -1);
    Commit(PAGE_STRAIN, 11, "无", {0});
    EXPECT_EQ(g_ChannelState[0].nCompChannel, -1);
}

TEST_F(ChannelCommitRulesTest, MessagesReachTheFrameWithTheChangedList) {
    class Frame : public platform::MessageTarget {
    public:
        platform::LRESULT WindowProc(platform::UINT message, platform::WPARAM wParam,
                                     platform::LPARAM) override {
            received.push_back(message);
            if (message == WM_BAR_SEND_CHANNEL_PARAMS) {
                sent = *reinterpret_cast<const std::vector<std::int32_t>*>(wParam);
            }
            return 0;
        }
        std::vector<platform::UINT> received;
        std::vector<std::int32_t> sent;
    } frame;
    platform::SetUiThread();
    CommitResult r = Commit(PAGE_STRAIN, 4, "", {2}, 0);
    SendBarMessages(frame.GetSafeHwnd(), r);
    EXPECT_EQ(frame.received,
              (std::vector<platform::UINT>{WM_BAR_SEND_CHANNEL_PARAMS, WM_BAR_REDRAW_MONITORS}));
    EXPECT_EQ(frame.sent, (std::vector<std::int32_t>{2}));
    platform::PumpMessages();
    EXPECT_EQ(frame.received.back(), WM_BAR_RESET_ZERO);
}

TEST_F(ChannelCommitRulesTest, SavesToTheProjectOnlyWhileOneIsOpen) {
    const std::string program = folder.File("QV7416.chn");
    const std::string project = folder.File("p.chn");
    g_ChannelParams[5].nBridgeVoltage = 10;
    EXPECT_EQ(SaveChannelTables(program, project, 0), 1);
    EXPECT_TRUE(std::filesystem::exists(program));
    EXPECT_FALSE(std::filesystem::exists(project));
    EXPECT_EQ(SaveChannelTables(program, project, 2), 1);
    EXPECT_EQ(std::filesystem::file_size(project), CHN_FILE_SIZE);
    g_ChannelParams[5].nBridgeVoltage = 0;
    ASSERT_EQ(LoadChannelParamFile(project), 1);
    EXPECT_EQ(g_ChannelParams[5].nBridgeVoltage, 10);
}

} // namespace
