// The lead-wire measurement from its menu command against two simulated
// cases: each strain channel is judged by its own second reading against the
// instrument description's test level, "否" leaves every channel record as it
// was, and "是" writes the computed resistance only where the reading passed
// and only into strain channels.
#include "FrameRunFixture.h"

#include "acquisition/LeadWireSelfTest.h"

#include <QDockWidget>

#include <cstring>

namespace {

constexpr int ID_LEAD_RESISTANCE_TEST = 32905;

class FrameLeadWireTest : public FrameRunTest {
protected:
    // The test levels: the first for gauges of 150 ohm and above.
    const char* ExtraSettings() const override {
        return "[SampleChanParams]\nFullValueCount=2\nFullValue0=5000,±5V,001\nFullValue1=500,±500mV,002\n";
    }

    // Runs the measurement answering its questions in turn; the texts asked.
    std::vector<std::string> Measure(std::initializer_list<int> answers) {
        CLeadWireSelfTest& lead = m_frame->GetLeadWireTest();
        lead.SetSecondLength(5);
        const std::size_t before = m_boxes.Records().size();
        for (int answer : answers)
            m_boxes.QueueAnswer(answer);
        EXPECT_TRUE(m_frame->RunCommand(ID_LEAD_RESISTANCE_TEST));
        EXPECT_TRUE(ProcessEventsUntil([&] { return !lead.IsBusy(); }, 30000));
        std::vector<std::string> texts;
        const auto records = m_boxes.Records();
        for (std::size_t i = before; i < records.size(); ++i)
            texts.push_back(records[i].text);
        return texts;
    }
};

TEST_F(FrameLeadWireTest, OnlyChannelsWhoseReadingSaysSoAreMarkedAndNoWritesNothing) {
    Search();
    // Strain channels on both cases: channel 3 reads too high, channel 5 too
    // small, channels 0 and 1 in between (one gauge below 150 ohm: its level is 500).
    struct Strain {
        int id;
        float gauge;
        int status;
    };
    const Strain strains[] = {{0, 350.0f, 0},   {3, 350.0f, -1},   {5, 350.0f, -2},
                              {128, 350.0f, 0}, {131, 350.0f, -1}, {129, 120.0f, -1}};
    for (const Strain& s : strains) {
        ChannelParamRecord& p = g_ChannelParams[s.id];
        p.nMeasureType = MEASURE_STRAIN;
        p.fGaugeResistance = s.gauge;
        p.nBridgeType = 2;
        p.fLeadResistance = 12.5f;
    }
    for (int i = 0; i < g_nChannelCount; ++i)
        g_ChannelParams[g_ChannelList[i]].fLeadResistance = 12.5f;
    std::vector<ChannelParamRecord> before(g_ChannelParams, g_ChannelParams + MAX_CHANNEL_COUNT);

    CLeadWireSelfTest& lead = m_frame->GetLeadWireTest();
    // Channel 129's resistance is computed above 100 ohm: the warning comes first.
    const std::vector<std::string> questions = {"是否需要进行导线电阻测量？",
                                                "导线电阻过大，可能影响测量精度！",
                                                "是否使用当前测量值更新通道导线电阻设置？"};
    EXPECT_EQ(Measure({platform::IDYES, platform::IDOK, platform::IDNO}), questions);
    for (const Strain& s : strains)
        EXPECT_EQ(lead.m_LeadStatus[std::size_t(s.id)], s.status) << "channel " << s.id;
    for (int i = 0; i < g_nChannelCount; ++i) {
        const int id = g_ChannelList[i];
        if (g_ChannelParams[id].nMeasureType != MEASURE_STRAIN)
            EXPECT_EQ(lead.m_LeadStatus[std::size_t(id)], 0)
                << "channel " << id << " is not a strain channel";
    }
    EXPECT_EQ(std::memcmp(before.data(), g_ChannelParams, sizeof(ChannelParamRecord) * MAX_CHANNEL_COUNT), 0)
        << "否 writes nothing";
    EXPECT_TRUE(m_frame->GetPane(IDR_PANE_CHANNEL_PARAM)->widget()->isEnabled())
        << "the channel bar answers again once the measurement has ended";

    // "是": a passed channel takes its resistance from the quarter-bridge
    // formula over its reading of 700 (the cases' scale is 1), a marked one
    // 0; channels that are not strain channels keep theirs.
    EXPECT_EQ(Measure({platform::IDYES, platform::IDOK, platform::IDYES}), questions);
    const float passed = float(((350.0 + 2000.0) * 700.0 - 350.0 * 4000.0) / (4000.0 - 700.0));
    for (const Strain& s : strains)
        EXPECT_FLOAT_EQ(g_ChannelParams[s.id].fLeadResistance, s.status == 0 ? passed : 0.0f)
            << "channel " << s.id;
    EXPECT_FLOAT_EQ(g_ChannelParams[1].fLeadResistance, 12.5f);
    EXPECT_FLOAT_EQ(g_ChannelParams[140].fLeadResistance, 12.5f);
}

} // namespace
