// Readers and in-place edits of the data-file accessor in both arrangements.
#include "RunWriter.h"
#include "datafiles/DataFileAccess.h"

#include <cstring>
#include <gtest/gtest.h>

using namespace testrun;

namespace {

class BothArrangements : public ::testing::TestWithParam<bool> {
protected:
    // Three units over two and a half chunks, with markers and an empty block.
    RunSpec Spec() const {
        RunSpec spec{dir.Path(), "run", {3, 0, 8}, 2100, GetParam()};
        spec.overrides[{0, 1023}] = {{1, kNotBalanced}};
        spec.overrides[{0, 1024}] = {{1, kNoValue}};
        spec.overrides[{0, 2047}] = {{1, kThirdMarker}};
        spec.emptyBlocks.insert({8, 5});
        return spec;
    }
    float Expected(int unit, int channel, int sample) const {
        for (const auto& [key, channels] : Spec().overrides)
            if (key.first == unit && key.second == sample && channels.count(channel))
                return channels.at(channel);
        return RawValue(unit, channel, sample) * 0.5f;
    }
    TempDir dir;
    HalfChannelTable table;
};

} // namespace

TEST_P(BothArrangements, ChannelRangeAcrossChunkEdgesKeepsMarkers) {
    RunWriter run(Spec());
    run.Write();
    const OnlineLayout layout = run.Layout();
    CDataFileAccess access(layout, table);
    // Ranges that cross and land on the chunk edges, and run past the end.
    const std::pair<int, int> ranges[] = {{0, 1023}, {1000, 2099}, {1024, 2047}, {2047, 2110}};
    for (const auto& [first, last] : ranges) {
        SCOPED_TRACE(first);
        std::vector<float> out(std::size_t(last - first + 1), 1.0f);
        ASSERT_EQ(access.ReadChannelRange(run.DataPath(), 1, first, last, out.data()), 1);
        for (int k = first; k <= last; ++k)
            ASSERT_EQ(out[k - first], k < 2100 ? Expected(0, 1, k) : kNoValue) << k;
    }
}

TEST_P(BothArrangements, FramesAndUnitChannels) {
    RunWriter run(Spec());
    run.Write();
    const OnlineLayout layout = run.Layout();
    CDataFileAccess access(layout, table);
    CaseSampleBlock frame[3];
    ASSERT_EQ(access.ReadFrame(run.DataPath(), 1024, frame), 1);
    EXPECT_EQ(frame[1].nHeader, 0);
    EXPECT_EQ(frame[1].fValues[1], kNoValue);
    EXPECT_EQ(frame[2].fValues[15], RawValue(8, 15, 1024));
    ASSERT_EQ(access.ReadFrame(run.DataPath(), 5, frame), 1);
    EXPECT_EQ(frame[2].nHeader, -1);
    // The first stored sample is a sample like any other.
    ASSERT_EQ(access.ReadFrame(run.DataPath(), 0, frame), 1);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(frame[i].fValues[3], RawValue(Spec().units[std::size_t(i)], 3, 0)) << "unit slot " << i;
    ASSERT_EQ(access.ReadFrame(run.DataPath(), 2100, frame), 1);
    EXPECT_EQ(frame[0].fValues[0], kNoValue);

    std::vector<float> rows(4 * 16);
    float* out[4] = {&rows[0], &rows[16], &rows[32], &rows[48]};
    ASSERT_EQ(access.ReadCaseChannels(run.DataPath(), 0, 1022, 4, 0, out), 1);
    EXPECT_EQ(out[1][1], kNotBalanced);
    EXPECT_EQ(out[2][1], kNoValue);
    EXPECT_EQ(out[3][7], RawValue(0, 7, 1025) * 0.5f);
}

TEST_P(BothArrangements, StatusTexts) {
    RunWriter run(Spec());
    run.Write();
    const OnlineLayout layout = run.Layout();
    CDataFileAccess access(layout, table);
    std::string text;
    ASSERT_EQ(access.ReadSampleTimeText(run.StatusPath(), 7, text), 1);
    // 46000.5 is 2025-12-09 12:00:00; sample 7 is seven seconds later.
    EXPECT_EQ(text, "2025-12-9 12:00:07  " + RunWriter::Label(7));
    std::string times[2], labels[2];
    EXPECT_EQ(access.ReadSampleTimeTexts(run.StatusPath(), 2098, 2100, times, labels), 1);
    EXPECT_EQ(labels[1], RunWriter::Label(2099));
    EXPECT_EQ(access.ReadSampleTimeTexts(run.StatusPath(), 2099, 2101, times, nullptr), 0);
    SampleStatusRecord record;
    EXPECT_EQ(access.ReadSampleStatus(run.StatusPath(), 2100, &record), 0);
    if (GetParam())
        return;
    // Records past the end are cleared, not left with the caller's bytes.
    SampleStatusRecord records[3];
    std::memset(records, 0xAB, sizeof records);
    SampleStatusRecord* pointers[3] = {&records[0], &records[1], &records[2]};
    ASSERT_EQ(CDataFileAccess::ReadStatusRecords(run.StatusPath(), 2099, 3, pointers), 1);
    EXPECT_EQ(StatusLabel(records[0]), RunWriter::Label(2099));
    EXPECT_EQ(records[2].nStatus, 0);
    EXPECT_EQ(records[2].szLabel[19], 0);
    std::int32_t words[2] = {0, 0};
    ASSERT_EQ(CDataFileAccess::ReadStatusField(run.StatusPath(), 3, 5, 6, words), 1);
    EXPECT_EQ(std::memcmp(&words[1], "batc", 4), 0);
    EXPECT_EQ(CDataFileAccess::ReadStatusField(run.StatusPath(), 8, 5, 6, words), 0);
}

// The chunked read hands each channel's values once, offset after offset,
// exactly as the columns reader gives them: across chunk edges, with markers,
// for a unit not online, a channel of no unit and samples past the end.
TEST_P(BothArrangements, ChunksHoldWhatTheColumnsHold) {
    RunWriter run(Spec());
    run.Write();
    const OnlineLayout layout = run.Layout();
    CDataFileAccess access(layout, table);
    const std::vector<int> channels = {1, 8 * 16 + 15, 5 * 16, 3 * 16, 5000};
    constexpr int kFirst = 500; // several chunks in either arrangement
    constexpr int kCount = 4500;
    std::vector<std::vector<float>> columns(channels.size(), std::vector<float>(kCount, 1.0f));
    std::vector<float*> out;
    for (auto& column : columns)
        out.push_back(column.data());
    ASSERT_EQ(access.ReadChannelColumns(run.DataPath(), channels, kFirst, kCount, out.data()), 1);
    std::vector<std::vector<float>> chunks(channels.size());
    const auto take = [&chunks](std::size_t index, int offset, const float* values, int n) {
        ASSERT_LT(index, chunks.size());
        ASSERT_EQ(offset, int(chunks[index].size()));
        chunks[index].insert(chunks[index].end(), values, values + n);
    };
    ASSERT_EQ(access.ReadChannelChunks(run.DataPath(), channels, kFirst, kCount, take), 1);
    for (std::size_t i = 0; i < channels.size(); ++i) {
        SCOPED_TRACE(channels[i]);
        ASSERT_EQ(chunks[i].size(), std::size_t(kCount));
        EXPECT_EQ(std::memcmp(chunks[i].data(), columns[i].data(), kCount * sizeof(float)), 0);
    }
    for (int k = 0; k < kCount; ++k) {
        const int sample = kFirst + k;
        ASSERT_EQ(chunks[0][std::size_t(k)], sample < 2100 ? Expected(0, 1, sample) : kNoValue) << sample;
        ASSERT_EQ(chunks[2][std::size_t(k)], kNoValue) << sample;
        ASSERT_EQ(chunks[4][std::size_t(k)], kNoValue) << sample;
    }
}

INSTANTIATE_TEST_SUITE_P(Arrangement, BothArrangements, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "PerUnit" : "SingleFile"; });

TEST(DataFileAccess, MissingFilesAndShortUnits) {
    TempDir dir;
    HalfChannelTable table;
    RunSpec spec{dir.Path(), "run", {1, 2, 3}, 50, true};
    spec.unitSamples[2] = 20;
    spec.missingUnits.insert(3);
    RunWriter run(spec);
    run.Write();
    const OnlineLayout perUnit = run.Layout();
    CDataFileAccess access(perUnit, table);
    std::vector<float> out(50);
    ASSERT_EQ(access.ReadChannelRange(run.DataPath(), 3 * 16 + 2, 0, 49, out.data()), 1);
    EXPECT_EQ(out[0], kNoValue);
    ASSERT_EQ(access.ReadChannelRange(run.DataPath(), 2 * 16, 0, 49, out.data()), 1);
    EXPECT_EQ(out[19], RawValue(2, 0, 19) * 0.5f);
    EXPECT_EQ(out[20], kNoValue);
    CaseSampleBlock frame[3];
    ASSERT_EQ(access.ReadFrame(run.DataPath(), 30, frame), 1);
    EXPECT_EQ(frame[0].fValues[4], RawValue(1, 4, 30));
    EXPECT_EQ(frame[1].fValues[4], kNoValue);
    EXPECT_EQ(frame[2].nHeader, -1);
    EXPECT_EQ(frame[2].fValues[4], kNoValue);

    const OnlineLayout single = OnlineLayout::FromUnits({1, 2, 3}, false);
    CDataFileAccess singleAccess(single, table);
    EXPECT_EQ(singleAccess.ReadChannelRange(run.DataPath(), 16, 0, 1, out.data()), 0);
    EXPECT_EQ(singleAccess.ReadFrame(run.DataPath(), 0, frame), 0);
}

TEST(DataFileAccess, ValueEdits) {
    TempDir dir;
    HalfChannelTable table;
    RunWriter single({dir.Path(), "one", {4, 5}, 10});
    single.Write();
    ASSERT_EQ(CDataFileAccess::WriteChannelValue(single.DataPath(), 2, 4, 2, 1, 6, 77), 1);
    // Last below first writes nothing; a range past the end adds no frame.
    ASSERT_EQ(CDataFileAccess::WriteChannelValue(single.DataPath(), 6, 5, 2, 1, 6, 99), 1);
    ASSERT_EQ(CDataFileAccess::WriteChannelValue(single.DataPath(), 9, 12, 2, 1, 6, 55), 1);
    EXPECT_EQ(CDataFileAccess::WriteChannelValue(single.DataPath(), 0, 0, 2, 2, 6, 1), 0);
    EXPECT_EQ(ReadBytes(single.DataPath()).size(), 10u * 136u);
    const OnlineLayout layout = single.Layout();
    CDataFileAccess access(layout, table);
    std::vector<float> out(10);
    access.ReadChannelRange(single.DataPath(), 5 * 16 + 6, 0, 9, out.data());
    const float expected[] = {RawValue(5, 6, 0) * 0.5f,
                              RawValue(5, 6, 1) * 0.5f,
                              38.5f,
                              38.5f,
                              38.5f,
                              RawValue(5, 6, 5) * 0.5f,
                              RawValue(5, 6, 6) * 0.5f,
                              RawValue(5, 6, 7) * 0.5f,
                              RawValue(5, 6, 8) * 0.5f,
                              27.5f};
    for (int k = 0; k < 10; ++k)
        EXPECT_EQ(out[k], expected[k]) << k;

    RunWriter perUnit({dir.Path(), "two", {4, 5}, 10, true});
    perUnit.Write();
    const OnlineLayout unitLayout = perUnit.Layout();
    CDataFileAccess unitAccess(unitLayout, table);
    ASSERT_EQ(unitAccess.WriteCaseChannelValue(perUnit.DataPath(), 4 * 16 + 2, 8, 6, 3.0f), 1);
    unitAccess.ReadChannelRange(perUnit.DataPath(), 4 * 16 + 2, 5, 9, out.data());
    EXPECT_EQ(out[0], RawValue(4, 2, 5) * 0.5f);
    EXPECT_EQ(out[1], 1.5f);
    EXPECT_EQ(out[3], 1.5f);
    EXPECT_EQ(out[4], RawValue(4, 2, 9) * 0.5f);
    EXPECT_EQ(unitAccess.WriteCaseChannelValue(perUnit.DataPath(), 7 * 16, 0, 0, 1.0f), 0);
}

TEST(DataFileAccess, VectorReaders) {
    TempDir dir;
    RunSpec spec{dir.Path(), "run", {2, 6}, 1030, true};
    spec.unitSamples[6] = 1025;
    RunWriter run(spec);
    run.Write();
    std::vector<CaseSampleBlock> blocks[256];
    ASSERT_EQ(ReadCaseBlocks(run.DataPath(), {2, 6}, 0, 1030, blocks), 1);
    ASSERT_EQ(blocks[2].size(), 1030u);
    ASSERT_EQ(blocks[6].size(), 1030u);
    EXPECT_EQ(blocks[2][0].fValues[3], RawValue(2, 3, 0)) << "the first stored sample";
    EXPECT_EQ(blocks[6][0].fValues[3], RawValue(6, 3, 0)) << "the first stored sample";
    EXPECT_EQ(blocks[2][1029].fValues[3], RawValue(2, 3, 1029));
    EXPECT_EQ(blocks[6][1024].fValues[3], RawValue(6, 3, 1024));
    EXPECT_EQ(blocks[6][1025].fValues[3], kNoValue);
    EXPECT_EQ(ReadCaseBlocks(run.DataPath(), {}, 0, 1, blocks), 0);

    std::vector<SampleStatusRecord> records;
    ASSERT_EQ(ReadStatusRecordsTo(run.Layout(), run.DataPath(), 1020, 20, records), 1);
    ASSERT_EQ(records.size(), 20u);
    EXPECT_EQ(StatusLabel(records[9]), RunWriter::Label(1029));
    EXPECT_EQ(records[10].dtTime, 0.0);

    // Digital records and virtual-channel files: base + "1.vit" for 4096.
    std::FILE* f = std::fopen((dir.Path() + "/run.dst").c_str(), "wb");
    for (int k = 0; k < 3; ++k)
        for (int i = 0; i < 8; ++i) {
            const float v = float(k * 10 + i);
            std::fwrite(&v, 4, 1, f);
        }
    std::fclose(f);
    f = std::fopen((dir.Path() + "/run1.vit").c_str(), "wb");
    const float vit[2] = {1.5f, 2.5f};
    std::fwrite(vit, 4, 2, f);
    std::fclose(f);
    OnlineLayout layout = run.Layout();
    std::map<int, std::vector<float>> digital;
    EXPECT_EQ(ReadDigitalRecords(layout, dir.Path() + "/run.dst", 0, 3, digital), 0);
    layout.nDigitalChanCount = 2;
    ASSERT_EQ(ReadDigitalRecords(layout, dir.Path() + "/run.dst", 1, 3, digital), 1);
    EXPECT_EQ(digital.size(), 2u);
    EXPECT_EQ(digital[1], (std::vector<float>{11.0f, 21.0f, kNoValue}));
    std::vector<float> values[128];
    ASSERT_EQ(ReadVirtualChannels(dir.Path() + "/run", {4096, 4097}, 1, 2, values), 1);
    EXPECT_EQ(values[0], (std::vector<float>{2.5f, kNoValue}));
    EXPECT_TRUE(values[1].empty());
}
