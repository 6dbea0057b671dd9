// Whole-record data files: what a write leaves when it cannot complete, and
// cutting a file back to whole records.
#include "SmallDisk.h"

#include "platform/Files.h"
#include "platform/RecordFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

struct Scratch {
    Scratch() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qv_record_XXXXXX").string();
        folder = ::mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~Scratch() { std::filesystem::remove_all(folder); }
    std::string File(const std::string& name) const { return folder + "/" + name; }
    std::string folder;
};

TEST(RecordFileTest, AppendsCreatesAndReopensForAppending) {
    Scratch scratch;
    const std::string path = scratch.File("run.dat");
    const char record[68] = {1, 2, 3};
    {
        platform::RecordFile file;
        ASSERT_TRUE(file.Open(path, true));
        ASSERT_TRUE(file.Append(record, sizeof record));
        ASSERT_TRUE(file.Append(record, sizeof record));
        EXPECT_EQ(platform::FileSize(path), 136) << "a record is in the file as soon as it is written";
        EXPECT_TRUE(file.Close());
    }
    platform::RecordFile again;
    ASSERT_TRUE(again.Open(path, false));
    EXPECT_EQ(again.Size(), 136);
    ASSERT_TRUE(again.Append(record, sizeof record));
    EXPECT_EQ(platform::FileSize(path), 204);
    ASSERT_TRUE(again.Truncate(68));
    ASSERT_TRUE(again.Append(record, sizeof record));
    EXPECT_EQ(platform::FileSize(path), 136);

    platform::RecordFile fresh;
    ASSERT_TRUE(fresh.Open(path, true));
    EXPECT_EQ(platform::FileSize(path), 0) << "a new run empties the old file";
    EXPECT_FALSE(fresh.Open(scratch.File("no/such/folder/run.dat"), true));
    EXPECT_NE(fresh.Error(), 0);
}

// On a full disk the record that does not fit is taken back whole, and the
// reason is a full disk.
TEST(RecordFileTest, ARecordThatDoesNotFitIsTakenBack) {
    SmallDisk disk(64 * 1024);
    if (!disk.IsMounted())
        GTEST_SKIP() << "no small file system can be mounted here";
    ASSERT_TRUE(disk.FillLeaving(4096));
    platform::RecordFile file;
    ASSERT_TRUE(file.Open(disk.File("run.dat"), true));
    const char record[68] = {};
    int written = 0;
    while (file.Append(record, sizeof record))
        ++written;
    EXPECT_EQ(written, 4096 / 68);
    EXPECT_TRUE(platform::IsDiskFullError(file.Error()));
    EXPECT_EQ(file.Size(), written * 68);
    EXPECT_EQ(platform::FileSize(disk.File("run.dat")), written * 68) << "no piece of a record stays";
}

TEST(RecordFileTest, TrimmingCutsToWholeRecordsAndToACount) {
    Scratch scratch;
    const std::string path = scratch.File("run.stu");
    const struct {
        std::int64_t length, maxRecords, expected;
    } cases[] = {
        {100, -1, 96}, // a partial record at the end goes
        {96, -1, 96},  // whole records stay
        {320, 4, 128}, // at most the given count
        {64, 4, 64},   // fewer than the count: untouched
        {10, -1, 0},
    };
    for (const auto& c : cases) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << std::string(c.length, 'r');
        EXPECT_TRUE(platform::TrimToWholeRecords(path, 32, c.maxRecords)) << c.length;
        EXPECT_EQ(platform::FileSize(path), c.expected) << c.length << " bytes, at most " << c.maxRecords;
    }
    EXPECT_TRUE(platform::TrimToWholeRecords(scratch.File("missing.stu"), 32, -1));
}

} // namespace
