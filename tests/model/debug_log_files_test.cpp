// Debug log switch, folder clearing and the default list font.
#include "model/DebugLogFiles.h"

#include "model/LogFont.h"
#include "platform/Files.h"

#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

TEST(DebugLogFilesTest, LogLinesAreWrittenOnlyWhileSwitchedOn) {
    const std::string name = "chaninfo_log_" + std::to_string(::getpid());
    const std::string path = platform::JoinPath(platform::ProgramFolder(), name + ".txt");
    g_bOutDebugInfo = false;
    WriteLogFile(name, "hidden", true);
    EXPECT_FALSE(fs::exists(path));
    g_bOutDebugInfo = true;
    WriteLogFile(name, "first", true);
    WriteLogFile(name, "second");
    EXPECT_EQ("first\r\nsecond\r\n", ReadAll(path));
    WriteLogFile(name, "again", true);
    EXPECT_EQ("again\r\n", ReadAll(path));
    g_bOutDebugInfo = false;
    fs::remove(path);
}

TEST(DebugLogFilesTest, DeleteFolderFilesKeepsSubfolders) {
    const ScratchFolder scratch;
    const fs::path dir = scratch.Path();
    fs::create_directories(dir / "sub");
    std::ofstream(dir / "a.dat") << "x";
    std::ofstream(dir / "sub" / "b.dat") << "y";
    std::ofstream(dir / "ro.dat") << "z";
    platform::SetReadOnly((dir / "ro.dat").string(), true);
    ClearReadOnlyAttribute((dir / "ro.dat").string());
    ClearReadOnlyAttribute((dir / "missing.dat").string());
    EXPECT_EQ(1, DeleteFolderFiles(dir.string()));
    EXPECT_FALSE(fs::exists(dir / "a.dat"));
    EXPECT_FALSE(fs::exists(dir / "ro.dat"));
    EXPECT_TRUE(fs::exists(dir / "sub" / "b.dat"));
    fs::remove_all(dir / "sub");
    EXPECT_EQ(0, DeleteFolderFiles(dir.string()));
}

TEST(DebugLogFilesTest, DefaultListFontAndFaceNames) {
    LOGFONT font;
    font.lfItalic = 1;
    EXPECT_EQ(1, InitDefaultLogFont(font));
    EXPECT_EQ(13, font.lfHeight);
    EXPECT_EQ(7, font.lfWidth);
    EXPECT_EQ(400, font.lfWeight);
    EXPECT_EQ(0, font.lfItalic);
    EXPECT_EQ(2, font.lfQuality);
    EXPECT_EQ("Arial", font.GetFaceName());

    font.SetFaceName("宋体");
    EXPECT_STREQ("\xCB\xCE\xCC\xE5", font.lfFaceName); // GBK in the record
    EXPECT_EQ("宋体", font.GetFaceName());
    std::string longName;
    for (int i = 0; i < 20; ++i)
        longName += "宋";
    font.SetFaceName(longName);
    EXPECT_EQ(30u, std::string(font.lfFaceName).size()); // 15 whole characters and the zero
}

} // namespace
