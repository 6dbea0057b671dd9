// Cursor edits of a stored run in both arrangements: a typed value reads back
// to one raw step (negative too), values that cannot be stored are refused,
// zeroing touches only its channels and samples, and an edit that fails on a
// later unit's file leaves every file as it was.
#include "RunWriter.h"
#include "datafiles/StoredRunEdit.h"
#include "model/ChannelRecords.h"

#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>

using namespace testrun;

namespace {

// The raw reading of a channel at a sample, read from whichever file holds it.
float StoredRaw(const RunWriter& run, const OnlineLayout& layout, int channel, int sample) {
    const int unit = channel / 16;
    const std::vector<char> bytes = layout.bPerCaseFiles
                                        ? ReadBytes(MakeCaseDataFileName(run.DataPath(), unit, 0))
                                        : ReadBytes(run.DataPath());
    const std::size_t blocks = layout.bPerCaseFiles ? 1 : std::size_t(layout.nCaseCount);
    const std::size_t slot = layout.bPerCaseFiles ? 0 : std::size_t(layout.caseSlot[unit]);
    CaseSampleBlock block;
    std::memcpy(&block, bytes.data() + (std::size_t(sample) * blocks + slot) * sizeof block, sizeof block);
    return block.fValues[channel % 16];
}

std::vector<std::string> DataFiles(const RunWriter& run, bool perCase, const std::vector<int>& units) {
    if (!perCase)
        return {run.DataPath(), run.StatusPath()};
    std::vector<std::string> files;
    for (int unit : units)
        for (int kind = 0; kind < 2; ++kind)
            files.push_back(MakeCaseDataFileName(run.DataPath(), unit, kind));
    return files;
}

class StoredRunEditTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        // Thermocouple channels store the value itself as the reading.
        for (int channel : {16, 17, 48})
            g_ChannelParams[channel].nMeasureType = MEASURE_THERMOCOUPLE;
    }
    void TearDown() override {
        for (int channel : {16, 17, 48})
            g_ChannelParams[channel] = ChannelParamRecord{};
    }
    // Writes a run of units 1 and 3 in the arrangement under test.
    const RunWriter& Write(int samples) {
        m_run = std::make_unique<RunWriter>(RunSpec{m_dir.Path(), "run", {1, 3}, samples, GetParam()});
        m_run->Write();
        m_layout = m_run->Layout();
        return *m_run;
    }
    // The bytes of every file of the run.
    std::vector<std::vector<char>> Snapshot() const {
        std::vector<std::vector<char>> bytes;
        for (const std::string& file : DataFiles(*m_run, GetParam(), {1, 3}))
            bytes.push_back(ReadBytes(file));
        return bytes;
    }
    CStoredRunEdit Edit() const { return CStoredRunEdit(m_layout, m_table, m_run->DataPath()); }

    TempDir m_dir;
    HalfChannelTable m_table;
    std::unique_ptr<RunWriter> m_run;
    OnlineLayout m_layout;
};

TEST_P(StoredRunEditTest, ValueReadsBackAsTypedToOneRawStep) {
    const RunWriter& run = Write(8);
    const OnlineLayout& layout = m_layout;
    const CStoredRunEdit edit = Edit();
    const std::pair<double, float> cases[] = {{-12.4, -12.0f}, {250.6, 251.0f}, {0.0, 0.0f}};
    for (const auto& [typed, raw] : cases) {
        ASSERT_EQ(edit.WriteValue(17, 5, typed), kStoredEditDone) << typed;
        EXPECT_EQ(StoredRaw(run, layout, 17, 5), raw) << typed;
    }
    // Neighbours keep their readings.
    EXPECT_EQ(StoredRaw(run, layout, 17, 4), RawValue(1, 1, 4));
    EXPECT_EQ(StoredRaw(run, layout, 16, 5), RawValue(1, 0, 5));
    EXPECT_EQ(StoredRaw(run, layout, 48, 5), RawValue(3, 0, 5));
}

TEST_P(StoredRunEditTest, UnstorableValuesAndOfflineChannelsChangeNothing) {
    Write(8);
    const CStoredRunEdit edit = Edit();
    std::vector<std::vector<char>> before = Snapshot();
    for (double bad : {1e12, -8388609.0, std::nan("")})
        EXPECT_EQ(edit.WriteValue(17, 2, bad), kStoredEditBadValue) << bad;
    EXPECT_EQ(edit.WriteValue(2 * 16 + 1, 2, 1.0), kStoredEditNotOnline);
    EXPECT_EQ(edit.ZeroRange({17, 40}, 0, 3), kStoredEditNotOnline);
    // A sample past the run's end.
    EXPECT_EQ(edit.WriteValue(17, 8, 1.0), kStoredEditFailed);
    EXPECT_EQ(Snapshot(), before);
}

TEST_P(StoredRunEditTest, ZeroingTouchesOnlyItsChannelsAndSamples) {
    const RunWriter& run = Write(10);
    const OnlineLayout& layout = m_layout;
    const CStoredRunEdit edit = Edit();
    // Cursors in either order.
    ASSERT_EQ(edit.ZeroRange({17}, 6, 3), kStoredEditDone);
    for (int k = 0; k < 10; ++k) {
        EXPECT_EQ(StoredRaw(run, layout, 17, k), k >= 3 && k <= 6 ? 0.0f : RawValue(1, 1, k)) << k;
        EXPECT_EQ(StoredRaw(run, layout, 16, k), RawValue(1, 0, k)) << k;
        EXPECT_EQ(StoredRaw(run, layout, 49, k), RawValue(3, 1, k)) << k;
    }
    ASSERT_EQ(edit.ZeroRange(edit.AllChannels(), 8, 20), kStoredEditDone);
    for (int channel : {16, 31, 48, 63}) {
        EXPECT_EQ(StoredRaw(run, layout, channel, 8), 0.0f);
        EXPECT_EQ(StoredRaw(run, layout, channel, 9), 0.0f);
        EXPECT_EQ(StoredRaw(run, layout, channel, 7), RawValue(channel / 16, channel % 16, 7));
    }
}

TEST_P(StoredRunEditTest, FailureOnALaterFileLeavesEveryFileUnchanged) {
    const bool perCase = GetParam();
    const RunWriter& run = Write(10);
    const OnlineLayout& layout = m_layout;
    const CStoredRunEdit edit = Edit();
    std::vector<std::vector<char>> before = Snapshot();
    // The staged copy of unit 3's samples (or of the status file) cannot be made.
    const std::string blocked = perCase ? MakeCaseDataFileName(run.DataPath(), 3, 0) : run.StatusPath();
    std::filesystem::create_directory(blocked + ".bak");
    EXPECT_EQ(edit.ZeroRange(edit.AllChannels(), 2, 4), perCase ? kStoredEditFailed : kStoredEditDone);
    if (perCase) {
        EXPECT_EQ(Snapshot(), before);
    }
    before = Snapshot();
    int count = 10;
    EXPECT_EQ(edit.DeleteRange(4, 2, count), kStoredEditFailed);
    EXPECT_EQ(count, 10);
    EXPECT_EQ(Snapshot(), before);
    std::filesystem::remove(blocked + ".bak");
    ASSERT_EQ(edit.DeleteRange(4, 2, count), kStoredEditDone);
    EXPECT_EQ(count, 7);
    EXPECT_EQ(StoredRaw(run, layout, 48, 2), RawValue(3, 0, 5));
}

INSTANTIATE_TEST_SUITE_P(BothArrangements, StoredRunEditTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "PerCase" : "OneFile"; });

} // namespace
