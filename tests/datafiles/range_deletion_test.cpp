// Range deletion: order of the kept samples, range checks, and all-or-nothing
// replacement of every file of a run.
#include "RunWriter.h"
#include "datafiles/DataFileAccess.h"

#include <cstring>

#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace testrun;

namespace {

// Unit of the first block of each stored frame, read back through channel 0.
std::vector<float> Channel0(const RunWriter& run, const OnlineLayout& layout, int unit, int count) {
    HalfChannelTable table;
    CDataFileAccess access(layout, table);
    std::vector<float> out(static_cast<std::size_t>(count));
    access.ReadChannelRange(run.DataPath(), unit * 16, 0, count - 1, out.data());
    return out;
}

std::vector<float> Expected(int unit, std::initializer_list<int> samples) {
    std::vector<float> values;
    for (int k : samples)
        values.push_back(RawValue(unit, 0, k) * 0.5f);
    return values;
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(RangeDeletion, SingleFileKeepsOrderAndCount) {
    TempDir dir;
    RunWriter run({dir.Path(), "run", {1, 2}, 10});
    run.Write();
    int count = 10;
    ASSERT_EQ(CDataFileAccess::DeleteSampleRange(run.DataPath(), 2, 3, 5, count), 1);
    EXPECT_EQ(count, 7);
    EXPECT_EQ(Channel0(run, run.Layout(), 2, 7), Expected(2, {0, 1, 2, 6, 7, 8, 9}));
    ASSERT_EQ(CDataFileAccess::DeleteSampleRange(run.DataPath(), 2, 6, 6, count), 1);
    EXPECT_EQ(count, 6);
    EXPECT_EQ(ReadBytes(run.DataPath()).size(), 6u * 136u);
}

TEST(RangeDeletion, StatusTailOfTwoFullChunks) {
    TempDir dir;
    RunWriter run({dir.Path(), "run", {0}, 2058});
    run.Write();
    int count = 0;
    ASSERT_EQ(CDataFileAccess::DeleteStatusRange(run.StatusPath(), 4, 9, count), 1);
    EXPECT_EQ(count, 2052);
    SampleStatusRecord record;
    ASSERT_EQ(CDataFileAccess::ReadStatusRecord(run.StatusPath(), 2051, &record), 1);
    EXPECT_EQ(StatusLabel(record), RunWriter::Label(2057));
    ASSERT_EQ(CDataFileAccess::ReadStatusRecord(run.StatusPath(), 4, &record), 1);
    EXPECT_EQ(StatusLabel(record), RunWriter::Label(10));
}

TEST(RangeDeletion, RefusedRangesChangeNothing) {
    TempDir dir;
    RunWriter run({dir.Path(), "run", {1, 2}, 10});
    run.Write();
    const std::vector<char> before = ReadBytes(run.DataPath());
    const std::pair<int, int> refused[] = {{-1, 2}, {10, 12}, {5, 4}};
    for (const auto& [first, last] : refused) {
        int count = 10;
        EXPECT_EQ(CDataFileAccess::DeleteSampleRange(run.DataPath(), 2, first, last, count), 0);
        EXPECT_EQ(count, 10);
    }
    int count = 10;
    EXPECT_EQ(CDataFileAccess::DeleteSampleRange(dir.Path() + "/none.dat", 2, 0, 0, count), 0);
    EXPECT_EQ(ReadBytes(run.DataPath()), before);
}

TEST(RangeDeletion, WholeRunInBothArrangements) {
    for (bool perCase : {false, true}) {
        SCOPED_TRACE(perCase);
        TempDir dir;
        RunSpec spec{dir.Path(), "run", {1, 2}, 30, perCase};
        if (perCase)
            spec.unitSamples[2] = 12; // a shorter unit loses only what it holds
        RunWriter run(spec);
        run.Write();
        const OnlineLayout layout = run.Layout();
        HalfChannelTable table;
        CDataFileAccess access(layout, table);
        int count = 0;
        ASSERT_EQ(access.DeleteRunRange(run.DataPath(), 10, 19, count), 1);
        EXPECT_EQ(count, 20);
        EXPECT_EQ(Channel0(run, layout, 1, 12), Expected(1, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 20, 21}));
        std::string label;
        ASSERT_EQ(access.ReadSampleTimeText(run.StatusPath(), 10, label), 1);
        EXPECT_NE(label.find(RunWriter::Label(20)), std::string::npos);
        if (perCase) {
            EXPECT_EQ(ReadBytes(MakeCaseDataFileName(run.DataPath(), 2, 0)).size(), 10u * 68u);
            EXPECT_EQ(ReadBytes(MakeCaseDataFileName(run.DataPath(), 2, 1)).size(), 10u * 32u);
        } else {
            EXPECT_EQ(ReadBytes(run.StatusPath()).size(), 20u * 32u);
        }
        // No staged or kept copies remain.
        for (const std::string& name : FilesIn(dir.Path()))
            EXPECT_EQ(name.find(".bak"), std::string::npos) << name;
    }
}

TEST(RangeDeletion, FirstBeyondOneUnitChangesNoFile) {
    TempDir dir;
    RunSpec spec{dir.Path(), "run", {1, 2, 3}, 30, true};
    spec.unitSamples[1] = 5;
    RunWriter run(spec);
    run.Write();
    const OnlineLayout layout = run.Layout();
    HalfChannelTable table;
    CDataFileAccess access(layout, table);
    const std::vector<char> unit2 = ReadBytes(MakeCaseDataFileName(run.DataPath(), 2, 0));
    EXPECT_EQ(access.DeleteCaseSampleRange(run.DataPath(), 8, 9), 0);
    EXPECT_EQ(ReadBytes(MakeCaseDataFileName(run.DataPath(), 2, 0)), unit2);
}

TEST(RangeDeletion, FailureHalfWayLeavesEveryFileIntact) {
    for (bool perCase : {false, true}) {
        SCOPED_TRACE(perCase);
        TempDir dir;
        RunWriter run({dir.Path(), "run", {1, 2, 3}, 40, perCase});
        run.Write();
        std::map<std::string, std::vector<char>> before;
        for (const std::string& name : FilesIn(dir.Path()))
            before[name] = ReadBytes(dir.Path() + "/" + name);
        // The staged copy of a later file cannot be created: a folder stands
        // in its place, so the cut fails after earlier files were staged.
        const std::string blocked = perCase ? MakeCaseDataFileName(run.DataPath(), 3, 1) : run.StatusPath();
        std::filesystem::create_directory(blocked + ".bak");
        const OnlineLayout layout = run.Layout();
        HalfChannelTable table;
        CDataFileAccess access(layout, table);
        int count = 40;
        EXPECT_EQ(access.DeleteRunRange(run.DataPath(), 5, 9, count), 0);
        EXPECT_EQ(count, 40);
        std::filesystem::remove(blocked + ".bak");
        std::map<std::string, std::vector<char>> after;
        for (const std::string& name : FilesIn(dir.Path()))
            after[name] = ReadBytes(dir.Path() + "/" + name);
        EXPECT_EQ(after, before);
    }
}

// A run past 3 GiB as a sparse file; the cut keeps only its last samples, so
// only they are copied, from offsets beyond 32 bits.
TEST(RangeDeletion, SixtyFourBitOffsets) {
    TempDir dir;
    const std::string path = dir.Path() + "/big.dat";
    const std::int64_t samples = (std::int64_t(3) << 30) / 68 + 10;
    const int fd = ::open(path.c_str(), O_CREAT | O_RDWR | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, samples * 68), 0);
    for (std::int64_t k = samples - 10; k < samples; ++k) {
        CaseSampleBlock block{0, {}};
        block.fValues[0] = float(k - samples);
        ASSERT_EQ(::pwrite(fd, &block, 68, k * 68), 68);
    }
    ::close(fd);
    int count = int(samples);
    ASSERT_EQ(CDataFileAccess::DeleteSampleRange(path, 1, 0, int(samples) - 11, count), 1);
    EXPECT_EQ(count, 10);
    const std::vector<char> bytes = ReadBytes(path);
    ASSERT_EQ(bytes.size(), 680u);
    float first, last;
    std::memcpy(&first, &bytes[4], 4);
    std::memcpy(&last, &bytes[9 * 68 + 4], 4);
    EXPECT_EQ(first, -10.0f);
    EXPECT_EQ(last, -1.0f);
}
