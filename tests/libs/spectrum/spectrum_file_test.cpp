// The ".fft" files byte for byte, and the analysis record's layout groups.
#include "SpectrumTestSupport.h"

#include "libs/spectrum/AnalysisDataInterface.h"
#include "libs/spectrum/SpectrumFile.h"
#include "platform/Profile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

using namespace lurrow;

namespace {

std::string ReadBytes(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

Spectrum Block(int lines, float seed) {
    Spectrum block(static_cast<std::size_t>(lines));
    for (int i = 0; i < lines; ++i)
        block[static_cast<std::size_t>(i)] =
            SpectrumValue(seed + static_cast<float>(i), -seed * static_cast<float>(i));
    return block;
}

TEST(SpectrumFileTest, NameIsPathNameAndChannel) {
    EXPECT_EQ(FftFileName("/p/Projects/Run", "Run", 130), "/p/Projects/Run/Run_130.fft");
}

TEST(SpectrumFileTest, AppendsWholeBlocksAndReadsEachBack) {
    SpectrumScratch scratch;
    const std::string file = FftFileName(scratch.Path(), "Run", 5);
    constexpr int kLines = 101;
    EXPECT_EQ(CountFftBlocks(file, kLines), 0);
    Spectrum read;
    EXPECT_FALSE(ReadFftBlock(file, kLines, 0, read));
    for (int b = 0; b < 3; ++b)
        ASSERT_EQ(AppendFftBlock(file, Block(kLines, static_cast<float>(b))), AppendResult::Appended);

    // Records are the two floats of each value, little-endian, block after block.
    const std::string bytes = ReadBytes(file);
    ASSERT_EQ(bytes.size(), 3u * kLines * 8);
    float first[2];
    std::memcpy(first, bytes.data() + kLines * 8 + 8, sizeof first); // block 1, record 1
    EXPECT_EQ(first[0], 2.0f);
    EXPECT_EQ(first[1], -1.0f);
    EXPECT_EQ(CountFftBlocks(file, kLines), 3);
    for (int b = 0; b < 3; ++b) {
        ASSERT_TRUE(ReadFftBlock(file, kLines, b, read)) << "block " << b;
        EXPECT_EQ(read, Block(kLines, static_cast<float>(b))) << "block " << b;
    }
    EXPECT_FALSE(ReadFftBlock(file, kLines, 3, read));
    EXPECT_FALSE(ReadFftBlock(file, kLines, -1, read));
}

TEST(SpectrumFileTest, APartialBlockIsNeitherCountedNorAppendedTo) {
    SpectrumScratch scratch;
    const std::string file = scratch.File("Run_0.fft");
    ASSERT_EQ(AppendFftBlock(file, Block(26, 1.0f)), AppendResult::Appended);
    std::ofstream(file, std::ios::binary | std::ios::app).write("12345", 5);
    EXPECT_EQ(CountFftBlocks(file, 26), 1);
    EXPECT_EQ(AppendFftBlock(file, Block(26, 2.0f)), AppendResult::PartialBlock);
    EXPECT_EQ(ReadBytes(file).size(), 26u * 8 + 5);
    // Blocks of another line count do not divide the file either.
    const std::string other = scratch.File("Run_1.fft");
    ASSERT_EQ(AppendFftBlock(other, Block(26, 1.0f)), AppendResult::Appended);
    EXPECT_EQ(AppendFftBlock(other, Block(51, 1.0f)), AppendResult::PartialBlock);
}

TEST(SpectrumFileTest, LineCountIsRecordedInTheProjectFile) {
    SpectrumScratch scratch;
    EXPECT_EQ(RecordedLineCount(scratch.Path(), "Run"), 0);
    RecordLineCount(scratch.Path(), "Run", 401);
    EXPECT_EQ(RecordedLineCount(scratch.Path(), "Run"), 401);
    EXPECT_EQ(platform::GetPrivateProfileInt("FFTSpectrum", "LineCount", 0, scratch.File("Run.dap")), 401);
}

TEST(AnalysisRecordTest, GroupsRoundTripAndABadGroupLeavesTheRecord) {
    SpectrumScratch scratch;
    const std::string file = scratch.File("QV7416.LYT");
    CAnalysisDataInterface saved;
    saved.m_DrawCommon.nYKind = 5;
    saved.m_GraphicAttri.clrColors[2] = 0x123456;
    saved.m_ViewInfo.nCursorMode = 2;
    saved.m_ViewInfo.fYZoom = 4.0f;
    saved.m_CursorInfo.rcBox[1] = 77;
    saved.SaveGroups("FFTSpectrumView1", file);

    CAnalysisDataInterface read;
    read.ReadGroups("FFTSpectrumView1", file);
    EXPECT_EQ(std::memcmp(&read.m_DrawCommon, &saved.m_DrawCommon, sizeof(DRAW_COMMON)), 0);
    EXPECT_EQ(std::memcmp(&read.m_GraphicAttri, &saved.m_GraphicAttri, sizeof(GRAPHIC_ATTRI)), 0);
    EXPECT_EQ(std::memcmp(&read.m_ViewInfo, &saved.m_ViewInfo, sizeof(VIEW_INFO)), 0);
    EXPECT_EQ(std::memcmp(&read.m_CursorInfo, &saved.m_CursorInfo, sizeof(CURSOR_INFO)), 0);

    // A damaged group and a missing one: the record keeps its own.
    platform::WritePrivateProfileString("FFTSpectrumView1", "VIEW_INFO", "00FF", file);
    platform::DeletePrivateProfileKey("FFTSpectrumView1", "DRAW_COMMON", file);
    CAnalysisDataInterface kept;
    kept.ReadGroups("FFTSpectrumView1", file);
    EXPECT_EQ(kept.m_ViewInfo.nCursorMode, 0);
    EXPECT_EQ(kept.m_ViewInfo.fDefaultYMax, 5000.0f);
    EXPECT_EQ(kept.m_DrawCommon.nYKind, 0);
    EXPECT_EQ(kept.m_GraphicAttri.clrColors[2], 0x123456u);
}

TEST(AnalysisRecordTest, DefaultsOfTheFourGroups) {
    const CAnalysisDataInterface record;
    EXPECT_EQ(record.m_DrawCommon.bAutoScale, 1);
    EXPECT_EQ(record.m_GraphicAttri.clrColors[14], 0x8000FFu);
    EXPECT_STREQ(record.m_GraphicAttri.fonts[0].lfFaceName, "Arial");
    EXPECT_EQ(record.m_GraphicAttri.fonts[3].lfEscapement, 900);
    EXPECT_EQ(record.m_GraphicAttri.fonts[3].lfQuality, 2);
    EXPECT_EQ(record.m_ViewInfo.nAxisCount, 401);
    EXPECT_EQ(record.m_ViewInfo.fDefaultYMin, -5000.0f);
    EXPECT_EQ(record.m_strExtension, ".fft");
}

} // namespace
