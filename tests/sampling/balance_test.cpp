// Balancing: zeros from a zero sample set taken from simulated cases, the
// not-balanced marks, the saved result files, a failed balance, the
// ground-input difference file, and export and import of the results.
#include "SamplingFixture.h"

#include "platform/Files.h"
#include "project/BalanceResults.h"

#include <cstring>

namespace {

using namespace sampling_msg;

std::string ReadAll(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// The .zer form of the channel records' zeros and the balance time.
std::string ZerBytes(const std::string& time) {
    std::string bytes(4096 * 4, '\0');
    for (int id = 0; id < MAX_CHANNEL_COUNT; ++id)
        std::memcpy(&bytes[static_cast<std::size_t>(id) * 4], &g_ChannelParams[id].nZero, 4);
    return bytes + time;
}

TEST_F(SamplingLoopbackTest, ABalanceWritesTheZeroFilesAndMarksOutOfRangeChannels) {
    Connect({{"127.0.0.2", 0, 2}});
    g_nADBase = 20000;
    for (int ch = 0; ch < 4; ++ch)
        g_ChannelParams[16 + ch].nMeasureType = MEASURE_STRAIN; // readings far above 10000 counts
    for (int id = 0; id < 32; ++id)
        g_ChannelParams[id].nZero = 777;
    for (int id = 0; id < 32; ++id) {
        if (id != 5)
            host.selected.push_back(id);
    }
    control->OnBalance();
    ASSERT_EQ(boxes.Records().size(), 1u);
    EXPECT_EQ(boxes.Records()[0].text, "是否对选取的通道进行平衡操作？");
    ASSERT_TRUE(PumpUntil([&] { return !control->IsBalanceRunning(); }, 15000));
    ASSERT_TRUE(host.SawText("通道平衡完成！"));
    EXPECT_EQ(boxes.Records().size(), 1u);
    EXPECT_EQ(g_bSampling.load(), 0);
    EXPECT_EQ(control->m_bBalanceValid.load(), 1);

    EXPECT_EQ(g_ChannelParams[5].nZero, 777) << "not selected: keeps its zero";
    // The readings of one sample differ by one count a channel and 16 a slot.
    const std::int32_t base = std::abs(g_ChannelParams[0].nZero);
    EXPECT_GT(base, 10000);
    for (int ch = 0; ch < 16; ++ch) {
        if (ch != 5)
            EXPECT_EQ(std::abs(g_ChannelParams[ch].nZero), base + ch) << ch;
        if (ch < 4)
            EXPECT_EQ(g_ChannelParams[16 + ch].nZero, ZERO_NOT_BALANCED) << ch;
        else
            EXPECT_EQ(std::abs(g_ChannelParams[16 + ch].nZero), base + 16 + ch) << ch;
    }
    const std::string time = host.project.m_strBalanceTime;
    EXPECT_FALSE(time.empty());
    EXPECT_EQ(ReadAll(folder + "/project/run.zer"), ZerBytes(time));
    EXPECT_EQ(ReadAll(folder + "/QV7416.zer"), ZerBytes(time));
    EXPECT_EQ(frame.Count(kBalanceDone), 1);
    EXPECT_EQ(frame.Count(kResendChannelParams), 0) << "voltage and strain channels without ground input";
    EXPECT_EQ(simulators[0]->CountCommands(8, 3), 1);
    EXPECT_FALSE(simulators[0]->IsStreaming());
}

TEST_F(SamplingLoopbackTest, ABalanceWithoutDataFailsAndKeepsTheOldZeros) {
    Connect({{"127.0.0.2", 0, 1}});
    g_nDelayDataGet = 300;
    simulators[0]->SetSilent(true);
    for (int id = 0; id < 16; ++id)
        g_ChannelParams[id].nZero = 500 + id;
    g_ChannelParams[3].nMeasureType = MEASURE_RTD; // the temperature command mode around the balance
    control->OnBalance();
    ASSERT_TRUE(PumpUntil([&] { return !control->IsBalanceRunning(); }, 15000));
    ASSERT_EQ(boxes.Records().size(), 1u);
    EXPECT_EQ(boxes.Records()[0].text, "获取平衡数据失败!");
    for (int id = 0; id < 16; ++id)
        EXPECT_EQ(g_ChannelParams[id].nZero, 500 + id);
    EXPECT_FALSE(host.SawText("通道平衡完成！"));
    EXPECT_FALSE(platform::FileExists(folder + "/project/run.zer"));
    EXPECT_EQ(control->m_bBalanceValid.load(), 0);
    EXPECT_EQ(g_bSampling.load(), 0);
    EXPECT_EQ(frame.Count(kResendChannelParams), 2);
    EXPECT_EQ(comm->GetProtocol()->GetCommandMode(), 0);
}

// Balancing and the zero files without cases: two units online, 0 and 3.
class BalanceFilesTest : public ::testing::Test {
protected:
    RecordingHost host;
    RecordingFrame frame;
    platform::MessageBoxRecorder boxes;
    std::unique_ptr<CSamplingControl> control;
    ScratchFolder scratch;
    std::string folder = scratch.Path();

    void SetUp() override {
        platform::SetUiThread();
        ResetCaseTables();
        ClearChannelRecords();
        g_nADBase = 20000;
        std::filesystem::create_directories(folder + "/project");
        host.project.m_strProgramFolder = folder;
        host.project.SetProjectFolderAndName(folder + "/project", "run");
        control = std::make_unique<CSamplingControl>(&host, frame.GetSafeHwnd());
        frame.control = control.get();
        const std::int32_t units[] = {0, 3};
        g_nCaseCount = 2;
        for (int slot = 0; slot < 2; ++slot) {
            g_CaseList[slot] = units[slot];
            g_CaseSlot[units[slot]] = slot;
            for (int c = 0; c < 16; ++c) {
                g_ChannelList[g_nChannelCount++] = units[slot] * 16 + c;
                g_ChannelState[units[slot] * 16 + c].bPresent = 1;
            }
        }
    }
    void TearDown() override {
        ResetCaseTables();
        ClearChannelRecords();
    }
    void SetZeroValue(int id, float value) { control->GetZeroSet()[id / 16].fValues[id % 16] = value; }
};

TEST_F(BalanceFilesTest, ZeroValuesAndNotBalancedMarks) {
    struct Case {
        int id;
        int type;
        float value;
        std::int32_t zero;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const Case cases[] = {
        {0, MEASURE_STRAIN, 10000.5f, ZERO_NOT_BALANCED},
        {1, MEASURE_STRAIN, 10000.0f, 10000},
        {2, MEASURE_STRAIN, -9999.7f, -9999},
        {3, MEASURE_BRIDGE_SENSOR, -10001.0f, ZERO_NOT_BALANCED},
        {4, MEASURE_THERMOCOUPLE, 15000.0f, 15000},
        {5, MEASURE_VOLTAGE, 8388610.0f, ZERO_NOT_BALANCED},
        {6, MEASURE_VOLTAGE, nan, ZERO_NOT_BALANCED},
        {7, MEASURE_VOLTAGE, 3e9f, ZERO_NOT_BALANCED},
        {48, MEASURE_RESISTANCE, 123.9f, 123},
    };
    for (const Case& c : cases) {
        g_ChannelParams[c.id].nMeasureType = c.type;
        SetZeroValue(c.id, c.value);
    }
    control->ComputeZeroValues(control->GetZeroSet());
    for (const Case& c : cases)
        EXPECT_EQ(g_ChannelParams[c.id].nZero, c.zero) << "channel " << c.id;
}

TEST_F(BalanceFilesTest, AGroundInputBalanceWritesTheDifferenceFile) {
    for (int id = 0; id < 16; ++id)
        SetZeroValue(id, 100.0f + id);
    for (int id = 48; id < 64; ++id)
        SetZeroValue(id, -50.0f);
    g_ChannelParams[49].nMeasureType = MEASURE_STRAIN;
    SetZeroValue(49, 20000.0f);     // out of range: not balanced
    g_ChannelParams[20].nZero = 99; // not online
    std::fill(std::begin(control->m_BalanceSelect), std::end(control->m_BalanceSelect), 1);
    control->m_bGndBalanceRequest = 1;
    control->OnBalanceDataReady();

    std::vector<std::int32_t> difference(4096, -1);
    std::string time;
    ASSERT_EQ(ReadZeroTextFile(folder + "/zero.odd", difference.data(), time), 1);
    EXPECT_EQ(time, host.project.m_strBalanceTime);
    for (int id = 0; id < 4096; ++id) {
        std::int32_t expected = 0;
        if (id < 16)
            expected = 100 + id;
        else if (id >= 48 && id < 64 && id != 49)
            expected = -50;
        ASSERT_EQ(difference[static_cast<std::size_t>(id)], expected) << id;
    }
    EXPECT_TRUE(host.SawText("通道平衡完成！"));
}

TEST_F(BalanceFilesTest, AnExistingResultIsOverwrittenOnlyAfterYes) {
    std::ofstream(folder + "/project/run.zer") << "x";
    control->m_bBalanceValid = 1;
    boxes.QueueAnswer(platform::IDNO);
    control->OnGndBalance();
    ASSERT_EQ(boxes.Records().size(), 1u);
    EXPECT_EQ(boxes.Records()[0].flags & platform::MB_DEFMASK, platform::MB_DEFBUTTON2);
    EXPECT_EQ(control->m_bGndBalanceRequest.load(), 0);
    EXPECT_FALSE(control->IsBalanceRunning());

    control->m_bRemoteRequest = 1; // a remote balance asks nothing
    host.project.m_nProjectState = PROJECT_OPENED;
    EXPECT_TRUE(control->DoBalance({0, 1}));
    EXPECT_EQ(boxes.Records().size(), 1u);
    ASSERT_TRUE(PumpUntil([&] { return !control->IsBalanceRunning(); }, 10000));
    EXPECT_EQ(control->m_BalanceSelect[1], 1);
    EXPECT_EQ(control->m_BalanceSelect[2], 0);
}

TEST_F(BalanceFilesTest, ExportedZerosImportBack) {
    for (int id = 0; id < 4096; ++id)
        g_ChannelParams[id].nZero = id * 3 - 100;
    g_ChannelParams[7].nZero = ZERO_NOT_BALANCED;
    host.project.m_strBalanceTime = "2026-1-2 03:04:05";
    const std::string zeros = folder + "/Zeros";
    const std::string tooLong = zeros + "/" + std::string(91 - zeros.size() - 5, 'a') + ".zer";
    ASSERT_EQ(tooLong.size(), 91u);
    host.chosenPaths = {tooLong, zeros + "/abc.zer"};
    control->OnExportZeros();
    ASSERT_EQ(boxes.Records().size(), 1u);
    EXPECT_EQ(boxes.Records()[0].text, "文件名过长！");
    EXPECT_EQ(ReadAll(zeros + "/abc.zer"), ZerBytes("2026-1-2 03:04:05"));
    ASSERT_TRUE(platform::FileExists(zeros + "/abc.odd"));
    const std::vector<std::int32_t> exported = [] {
        std::vector<std::int32_t> v;
        for (const auto& p : g_ChannelParams)
            v.push_back(p.nZero);
        return v;
    }();
    auto expectExported = [&](const char* what) {
        for (int id = 0; id < 4096; ++id)
            ASSERT_EQ(g_ChannelParams[id].nZero, exported[static_cast<std::size_t>(id)]) << what << " " << id;
    };

    // The text form, then the binary form under a name without ".zer".
    std::filesystem::copy_file(zeros + "/abc.zer", zeros + "/x.txt.zer");
    for (const std::string& chosen : {zeros + "/abc.odd", zeros + "/x.txt"}) {
        for (auto& p : g_ChannelParams)
            p.nZero = 1;
        host.chosenPaths = {chosen};
        host.dialogs = 0;
        control->m_bBalanceValid = 0;
        control->OnImportZeros();
        expectExported(chosen.c_str());
        EXPECT_EQ(control->m_bBalanceValid.load(), 1);
        EXPECT_EQ(ReadAll(folder + "/project/run.zer"), ZerBytes("2026-1-2 03:04:05"));
    }
    EXPECT_EQ(control->GetZeroSet()[0].fValues[7], kUnbalancedValue);

    // Offsets add to the balanced zeros only.
    std::vector<std::int32_t> offsets(4096, 5);
    WriteZeroTextFile(zeros + "/gnd.odd", offsets.data(), "t");
    host.chosenPaths = {zeros + "/gnd"};
    host.dialogs = 0;
    control->OnImportGndZeros();
    EXPECT_EQ(g_ChannelParams[7].nZero, ZERO_NOT_BALANCED);
    EXPECT_EQ(g_ChannelParams[8].nZero, exported[8] + 5);

    // A bad file changes nothing and clears the balance-valid flag.
    std::ofstream(zeros + "/bad.odd") << "time\nnot a number\n";
    host.chosenPaths = {zeros + "/bad.odd"};
    host.dialogs = 0;
    control->OnImportZeros();
    EXPECT_EQ(boxes.Records().back().text, "测点平衡结果文件不正确，引入测点平衡结果失败。");
    EXPECT_EQ(control->m_bBalanceValid.load(), 0);
    EXPECT_EQ(g_ChannelParams[8].nZero, exported[8] + 5);
}

} // namespace
