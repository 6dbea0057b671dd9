// Raw file object (creation rules, short reads, 64-bit offsets over sparse
// files) and the text-lines file.
#include "RunWriter.h"
#include "datafiles/DataFileAccess.h"
#include "datafiles/RawFile.h"
#include "datafiles/TextLineFile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace testrun;

TEST(RawFile, CreationRulesAndShortReads) {
    TempDir dir;
    const std::string path = dir.Path() + "/f.bin";
    CRawFile file;
    EXPECT_EQ(file.Open(path.c_str(), 0x40), 0);
    ASSERT_EQ(file.Open(path.c_str(), 0x1001), 1);
    file.Write("abcdef", 6);
    file.Close();
    file.Close();
    ASSERT_EQ(file.Open(path.c_str(), 0x3001), 1);
    EXPECT_EQ(file.Length(), 6);
    file.Write("XY", 2);
    file.Close();
    EXPECT_EQ(std::string(ReadBytes(path).data(), 6), "XYcdef");

    ASSERT_EQ(file.Open(path.c_str(), 0x40), 1);
    char buffer[68];
    std::memset(buffer, 'z', sizeof buffer);
    file.Seek(100, 0, 0);
    EXPECT_EQ(file.Read(buffer, 68), 0u);
    EXPECT_EQ(buffer[0], 'z');
    file.Seek(4, 0, 0);
    EXPECT_EQ(file.Read(buffer, 68), 2u);
    EXPECT_EQ(file.Read(buffer, 0), 0u);
    file.Close();

    ASSERT_EQ(file.Open(path.c_str(), 0x1001), 1);
    file.Close();
    EXPECT_TRUE(ReadBytes(path).empty());
    EXPECT_EQ(file.Open(dir.Path().c_str(), 0x40), 0);
}

// Parts written in one go land one after the other, past the system's limit
// of parts a write and with empty parts among them; a closed file refuses.
TEST(RawFile, PartsAreWrittenInOrder) {
    TempDir dir;
    const std::string path = dir.Path() + "/parts.bin";
    std::vector<std::string> texts;
    for (int i = 0; i < 2500; ++i)
        texts.push_back(i % 7 == 0 ? std::string() : std::to_string(i) + ",");
    std::vector<CRawFile::Part> parts;
    std::string expected;
    for (const std::string& text : texts) {
        parts.push_back(CRawFile::Part{text.data(), text.size()});
        expected += text;
    }
    CRawFile file;
    EXPECT_FALSE(file.WriteAllParts(parts.data(), static_cast<int>(parts.size())));
    ASSERT_EQ(file.Open(path.c_str(), 0x1001), 1);
    ASSERT_TRUE(file.WriteAllParts(parts.data(), static_cast<int>(parts.size())));
    ASSERT_TRUE(file.WriteAllParts(parts.data(), 0));
    file.Close();
    const std::vector<char> bytes = ReadBytes(path);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), expected);
}

// A run beyond 4 GiB, as a sparse file: only the blocks written use disk.
TEST(RawFile, SixtyFourBitOffsetsThroughTheAccessor) {
    TempDir dir;
    HalfChannelTable table;
    const std::int64_t sample = (std::int64_t(5) << 30) / 68 + 3; // past 5 GiB
    for (bool perCase : {false, true}) {
        SCOPED_TRACE(perCase);
        const OnlineLayout layout = OnlineLayout::FromUnits({2}, perCase);
        const std::string dataPath = dir.Path() + (perCase ? "/big.dat" : "/one.dat");
        const std::string file = perCase ? MakeCaseDataFileName(dataPath, 2, 0) : dataPath;
        const int fd = ::open(file.c_str(), O_CREAT | O_RDWR | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, (sample + 2) * 68), 0);
        CaseSampleBlock block{2, {}};
        block.fValues[9] = 42.0f;
        ASSERT_EQ(::pwrite(fd, &block, 68, sample * 68), 68);
        ::close(fd);

        CRawFile raw;
        ASSERT_EQ(raw.Open(file.c_str(), 0x40), 1);
        const std::int64_t offset = sample * 68;
        EXPECT_EQ(raw.Seek(std::int32_t(offset & 0xFFFFFFFF), std::int32_t(offset >> 32), 0),
                  std::uint32_t(offset & 0xFFFFFFFF));
        CaseSampleBlock back{};
        EXPECT_EQ(raw.Read(&back, 68), 68u);
        EXPECT_EQ(back.fValues[9], 42.0f);
        raw.Close();

        // The accessor's sample index is an int; the offsets it makes are not.
        CDataFileAccess access(layout, table);
        float out[3];
        ASSERT_EQ(access.ReadChannelRange(dataPath, 2 * 16 + 9, int(sample), int(sample) + 2, out), 1);
        EXPECT_EQ(out[0], 21.0f);
        EXPECT_EQ(out[1], 0.0f);
        EXPECT_EQ(out[2], kNoValue);
        if (perCase)
            ASSERT_EQ(
                access.WriteCaseChannelValue(dataPath, 2 * 16 + 9, int(sample) + 1, int(sample) + 1, 8.0f),
                1);
        else
            ASSERT_EQ(
                CDataFileAccess::WriteChannelValue(dataPath, int(sample) + 1, int(sample) + 1, 1, 0, 9, 8),
                1);
        access.ReadChannelRange(dataPath, 2 * 16 + 9, int(sample) + 1, int(sample) + 1, out);
        EXPECT_EQ(out[0], 4.0f);
        std::remove(file.c_str());
    }
}

TEST(TextLineFile, ColumnsEndWithTabsAndLinesWithCrLf) {
    TempDir dir;
    CTextLineFile table;
    table.SetLineCount(2);
    table.AppendColumn({"a", "b", "ignored"});
    table.AppendColumn({"1", "2"});
    table.AppendSeparator();
    table.Save(); // no file name: nothing written, lines unchanged
    EXPECT_EQ(table.Lines()[0], "a\t1\t\t");
    table.SetFileName(dir.Path() + "/t.xls");
    table.Save();
    const std::vector<char> bytes = ReadBytes(dir.Path() + "/t.xls");
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "a\t1\t\t\r\nb\t2\t\t\r\n");
}
