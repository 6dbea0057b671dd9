// What a run started from the frame's menu writes beside its samples against
// two simulated cases: each virtual channel's ".vit" values by its formula,
// and at the run's end the rosette and residual-stress result files of the
// project's groups.
#include "FrameRunFixture.h"

#include "datafiles/VirtualChannelEdit.h"
#include "model/ResultGroups.h"
#include "model/ValueConversion.h"

#include <cstring>

namespace {

constexpr int ID_START_SAMPLE = 32788;
constexpr int ID_STOP_SAMPLE = 32791;

class FrameRunResultsTest : public FrameRunTest {
protected:
    template <class T> static std::vector<T> ReadRecords(const std::string& path, std::size_t header) {
        std::ifstream file(path, std::ios::binary);
        file.seekg(std::streamoff(header));
        std::vector<T> records;
        T record;
        while (file.read(reinterpret_cast<char*>(&record), sizeof record))
            records.push_back(record);
        return records;
    }
};

TEST_F(FrameRunResultsTest, AContinuousRunWritesItsVirtualChannelAndTheGroupsResultFiles) {
    FindCasesAndPrepareProject();
    CProjectState& project = m_frame->GetProjectState();
    // ch2 is channel 1, ch1 channel 0: both of unit 0.
    project.m_VirtualChannels = {RecordOfRow({"ch2-ch1*2", "diff"}, 1)};
    RosetteGroupRecord rosette{};
    std::strcpy(rosette.Name, "R1");
    rosette.type = 0;
    rosette.Channel[0] = 2;
    rosette.Channel[1] = 17; // unit 1
    rosette.Channel[2] = rosette.Channel[3] = -1;
    project.m_RosetteGroups = {rosette};
    ResidualStressGroupRecord residual{};
    std::strcpy(residual.Name, "H1");
    residual.type = 1;
    residual.Channel[0] = 0;
    residual.Channel[1] = 1;
    residual.Channel[2] = 128; // unit 8
    residual.ParamA = residual.ParamB = 1.0f;
    project.m_ResidualGroups = {residual};
    for (const int channel : {2, 17}) {
        g_ChannelParams[channel].fPoissonRatio = 0.3f;
        g_ChannelParams[channel].fElasticModulus = 200.0f;
    }

    SetRunSettings(SAMPLE_MODE_CONTINUOUS, 1, 0);
    ASSERT_TRUE(m_frame->RunCommand(ID_START_SAMPLE));
    ASSERT_TRUE(ProcessEventsUntil([&] { return m_frame->GetSampling().m_nRunStoredCount >= 5; }));
    ASSERT_TRUE(m_frame->RunCommand(ID_STOP_SAMPLE));
    ASSERT_TRUE(WaitRunCompleted());
    ASSERT_TRUE(ProcessEventsUntil([&] { return !m_frame->IsComputingWaitShown(); }));
    const int stored = project.m_nTotalDataCount;
    ASSERT_GE(stored, 5);

    const auto unit0 = ReadBlocks(m_scratch.File("Projects/Run/Run_0.dat"));
    const auto unit1 = ReadBlocks(m_scratch.File("Projects/Run/Run_1.dat"));
    ASSERT_EQ(unit0.size(), std::size_t(stored));
    ASSERT_EQ(unit1.size(), std::size_t(stored));

    const auto vit = ReadRecords<float>(m_scratch.File("Projects/Run/Run1.vit"), 0);
    // Samples the case driver stored after the loop's last set count as well.
    ASSERT_EQ(vit.size(), std::size_t(stored)) << "one value a stored sample";
    // A set padded at the end of the run holds no value, and so do the
    // results computed from it.
    const auto noValue = [](const CaseSampleBlock& block, int slot) {
        return IsMarkerValue(block.fValues[slot]);
    };
    for (int k = 0; k < stored; ++k) {
        const CaseSampleBlock& block = unit0[std::size_t(k)];
        if (noValue(block, 0) || noValue(block, 1)) {
            EXPECT_TRUE(IsMarkerValue(vit[std::size_t(k)])) << "sample " << k;
            continue;
        }
        const double expected = ConvertBlockChannelValue(1, block) - ConvertBlockChannelValue(0, block) * 2;
        EXPECT_FLOAT_EQ(vit[std::size_t(k)], float(expected)) << "sample " << k;
    }

    // A two-gauge rosette's principal strains are its two gauges' strains.
    const std::string sfd = m_scratch.File("Projects/Run/Run1.sfd");
    RosetteGroupRecord header{};
    std::ifstream(sfd, std::ios::binary).read(reinterpret_cast<char*>(&header), sizeof header);
    EXPECT_STREQ(header.Name, "R1");
    const auto results = ReadRecords<RosetteResultRecord>(sfd, sizeof(RosetteGroupRecord));
    ASSERT_EQ(results.size(), std::size_t(stored));
    for (int k = 0; k < stored; ++k) {
        const RosetteResultRecord& result = results[std::size_t(k)];
        // A gauge without a value gives no number.
        if (noValue(unit0[std::size_t(k)], 2) || noValue(unit1[std::size_t(k)], 1)) {
            EXPECT_TRUE(IsMarkerValue(result.fValue[0]) || IsMarkerValue(result.fValue[1])) << "sample " << k;
            continue;
        }
        EXPECT_FLOAT_EQ(result.fValue[0], float(ConvertBlockChannelValue(2, unit0[std::size_t(k)])));
        EXPECT_FLOAT_EQ(result.fValue[1], float(ConvertBlockChannelValue(17, unit1[std::size_t(k)])));
    }
    EXPECT_EQ(platform::FileSize(m_scratch.File("Projects/Run/Run1.rsd")),
              std::int64_t(sizeof(ResidualStressGroupRecord) +
                           std::size_t(stored) * sizeof(ResidualStressResultRecord)));
}

} // namespace
