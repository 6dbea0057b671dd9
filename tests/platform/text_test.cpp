// Tests of the text helpers: GBK conversion both ways, GBK lengths,
// formatting and the CRLF text-file writer.
#include "platform/Text.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

namespace {

using namespace platform;
namespace fs = std::filesystem;

TEST(TextTest, ConvertsBothWays) {
    const struct {
        const char* utf8;
        const char* gbk;
    } cases[] = {
        {"", ""},
        {"plain ASCII =;[]", "plain ASCII =;[]"},
        {"中文", "\xD6\xD0\xCE\xC4"},
        {"QV静态测试系统", "QV\xBE\xB2\xCC\xAC\xB2\xE2\xCA\xD4\xCF\xB5\xCD\xB3"},
        {"未平衡 溢出", "\xCE\xB4\xC6\xBD\xBA\xE2 \xD2\xE7\xB3\xF6"},
        {"℃—…", "\xA1\xE6\xA1\xAA\xA1\xAD"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utf8ToGbk(c.utf8), c.gbk) << c.utf8;
        EXPECT_EQ(GbkToUtf8(c.gbk), c.utf8) << c.utf8;
    }
}

TEST(TextTest, UnconvertibleBecomesQuestionMark) {
    const struct {
        const char* utf8;
        const char* gbk;
    } toGbk[] = {
        {"a😀b", "a?b"},     // no GBK code
        {"a\xFF-", "a?-"},  // not UTF-8
        {"\xE4\xB8", "??"}, // cut-off sequence, byte by byte
        {"中\x80文", "\xD6\xD0?\xCE\xC4"},
    };
    for (const auto& c : toGbk)
        EXPECT_EQ(Utf8ToGbk(c.utf8), c.gbk) << c.utf8;

    const struct {
        const char* gbk;
        const char* utf8;
    } toUtf8[] = {
        {"a\xFF-", "a?-"}, // no lead byte
        {"a\xD6", "a?"},   // cut off at the end
        {"\xD6=x", "?=x"}, // a lead byte before ASCII keeps the ASCII
        {"\xD6\xD0\xFF\xCE\xC4", "中?文"},
    };
    for (const auto& c : toUtf8)
        EXPECT_EQ(GbkToUtf8(c.gbk), c.utf8) << c.gbk;
}

TEST(TextTest, GbkLength) {
    EXPECT_EQ(GbkLength("abc"), 3u);
    EXPECT_EQ(GbkLength("中文"), 4u);
    EXPECT_EQ(GbkLength("a应变b"), 6u);
    EXPECT_EQ(GbkLength("😀"), 1u);
}

TEST(TextTest, CutToGbkLengthKeepsWholeCharacters) {
    const struct {
        const char* text;
        std::size_t bytes;
        const char* kept;
    } cases[] = {
        {"abcdef", 4, "abcd"}, {"应变花", 5, "应变"}, {"a应变", 4, "a应"}, {"应变", 4, "应变"}, {"应", 1, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CutToGbkLength(c.text, c.bytes), c.kept) << c.text << " " << c.bytes;
}

TEST(TextTest, ConversionIsThreadSafe) {
    std::vector<std::thread> threads;
    std::vector<int> failures(4, 0);
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&failures, t] {
            for (int i = 0; i < 500; ++i)
                if (GbkToUtf8(Utf8ToGbk("通道" + std::to_string(i))) != "通道" + std::to_string(i))
                    ++failures[t];
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(failures, std::vector<int>(4, 0));
}

TEST(TextTest, Format) {
    EXPECT_EQ(Format("%02d-%02d-%02d", 1, 2, 16), "01-02-16");
    EXPECT_EQ(Format("%.3f", 1.23456), "1.235");
    EXPECT_EQ(Format("%s", ""), "");
    const std::string longText(1000, 'x');
    EXPECT_EQ(Format("[%s]%d", longText.c_str(), 7), "[" + longText + "]7");
}

class TextFileWriterTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "text_test.XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_folder = pattern;
    }
    void TearDown() override { fs::remove_all(m_folder); }
    static std::string ReadBytes(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    std::string m_folder;
};

TEST_F(TextFileWriterTest, WritesCrlfLinesInEitherEncoding) {
    const std::string path = m_folder + "/out.txt";
    TextFileWriter writer;
    EXPECT_FALSE(writer.WriteLine("not open"));
    ASSERT_TRUE(writer.Open(path));
    EXPECT_TRUE(writer.WriteLine("通道"));
    EXPECT_TRUE(writer.Write("a\tb"));
    EXPECT_TRUE(writer.WriteLine(""));
    EXPECT_TRUE(writer.Close());
    EXPECT_FALSE(writer.IsOpen());
    EXPECT_EQ(ReadBytes(path), "\xCD\xA8\xB5\xC0\r\na\tb\r\n");

    ASSERT_TRUE(writer.Open(path, true, TextFileWriter::Encoding::Utf8));
    EXPECT_TRUE(writer.WriteLine("通道"));
    EXPECT_TRUE(writer.Close());
    EXPECT_EQ(ReadBytes(path), "\xCD\xA8\xB5\xC0\r\na\tb\r\n通道\r\n");

    ASSERT_TRUE(writer.Open(path)); // without append: starts over
    EXPECT_TRUE(writer.Close());
    EXPECT_EQ(ReadBytes(path), "");

    EXPECT_FALSE(writer.Open(m_folder + "/missing/out.txt"));
    EXPECT_FALSE(writer.IsOpen());
}

} // namespace
