// Tests of the INI profile functions: the Windows reading rules, line-keeping
// writes, the structure form, GBK files, the cache and thread safety.
#include "platform/Profile.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <thread>

namespace {

using namespace platform;
namespace fs = std::filesystem;

class ProfileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "profile_test.XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_folder = pattern;
        m_path = m_folder + "/test.ini";
    }
    void TearDown() override { fs::remove_all(m_folder); }

    static void WriteBytes(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    }
    static std::string ReadBytes(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    std::vector<std::string> FolderNames() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_folder))
            names.push_back(entry.path().filename().string());
        return names;
    }

    std::string m_folder;
    std::string m_path;
};

TEST_F(ProfileTest, IntegerRule) {
    WriteBytes(m_path, "[S]\r\n"
                       "plain=12\r\n"
                       "negative=-345\r\n"
                       "trailing=12abc\r\n"
                       "letters=abc\r\n"
                       "hex=0x1F\r\n"
                       "quotedBlanks=\"  7\"\r\n"
                       "doubleMinus=--4\r\n"
                       "empty=\r\n"
                       "max=2147483647\r\n"
                       "min=-2147483648\r\n");
    const struct {
        const char* key;
        int expected;
    } cases[] = {
        {"plain", 12},   {"negative", -345},  {"trailing", 12},         {"letters", 0},
        {"hex", 0},      {"quotedBlanks", 7}, {"doubleMinus", 0},       {"empty", 99},
        {"missing", 99}, {"max", 2147483647}, {"min", -2147483647 - 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetPrivateProfileInt("S", c.key, 99, m_path), c.expected) << c.key;
}

TEST_F(ProfileTest, LookupRules) {
    WriteBytes(m_path, Utf8ToGbk("top=outside any section\r\n"
                                 "[System]\r\n"
                                 "; Name=commented out\r\n"
                                 "  Name  =  inner  blanks kept  \r\n"
                                 "NAME=second copy\r\n"
                                 "Quoted=\"in quotes\"\r\n"
                                 "Single='x'\r\n"
                                 "Half=\"open\r\n"
                                 "no equals sign here\r\n"
                                 "[ 通道 ]\r\n"
                                 "名称=应变\r\n"
                                 "[SYSTEM]\r\n"
                                 "Other=in the second copy of the section\r\n"));
    const struct {
        const char* section;
        const char* key;
        const char* expected;
    } cases[] = {
        {"system", "name", "inner  blanks kept"},
        {"SYSTEM", " Name ", "inner  blanks kept"},
        {"System", "Quoted", "in quotes"},
        {"System", "Single", "x"},
        {"System", "Half", "\"open"},
        {"通道", "名称", "应变"},
        {"System", "Other", "default"}, // the first section of a name is the only one read
        {"System", "top", "default"},
        {"", "top", "default"},
        {"System", "no equals sign here", "default"},
        {"Missing", "Name", "default"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetPrivateProfileString(c.section, c.key, "default", m_path), c.expected)
            << c.section << "/" << c.key;

    const std::string missingFile = m_folder + "/none.ini";
    EXPECT_EQ(GetPrivateProfileString("System", "Name", "default", missingFile), "default");
    EXPECT_EQ(GetPrivateProfileInt("System", "Name", -3, missingFile), -3);
    EXPECT_TRUE(GetPrivateProfileSectionNames(missingFile).empty());
    // A folder in place of the file reads as missing.
    EXPECT_EQ(GetPrivateProfileString("System", "Name", "default", m_folder), "default");
}

TEST_F(ProfileTest, BufferFormTruncates) {
    WriteBytes(m_path, "[S]\r\nascii=abcdef\r\n");
    ASSERT_TRUE(WritePrivateProfileString("S", "cjk", "中文", m_path));
    const struct {
        const char* key;
        std::size_t size;
        const char* expected;
    } cases[] = {
        {"ascii", 1, ""},         {"ascii", 4, "abc"},  {"ascii", 7, "abcdef"},
        {"ascii", 100, "abcdef"}, {"missing", 3, "de"}, {"cjk", 3, ""},
        {"cjk", 4, "中"},         {"cjk", 6, "中"},     {"cjk", 7, "中文"},
    };
    for (const auto& c : cases) {
        char buffer[128];
        std::memset(buffer, 'X', sizeof buffer);
        const std::size_t copied = GetPrivateProfileString("S", c.key, "def", buffer, c.size, m_path);
        EXPECT_STREQ(buffer, c.expected) << c.key << " " << c.size;
        EXPECT_EQ(copied, std::strlen(c.expected)) << c.key << " " << c.size;
    }
    char untouched = 'X';
    EXPECT_EQ(GetPrivateProfileString("S", "ascii", "", &untouched, 0, m_path), 0u);
    EXPECT_EQ(untouched, 'X');
}

TEST_F(ProfileTest, Listings) {
    WriteBytes(m_path, "[One]\nb=2\na=1\nB=3\n; c=4\n[Two]\n[one]\nd=5\n");
    EXPECT_EQ(GetPrivateProfileSectionNames(m_path), (std::vector<std::string>{"One", "Two"}));
    EXPECT_EQ(GetPrivateProfileKeys("ONE", m_path), (std::vector<std::string>{"b", "a"}));
    EXPECT_EQ(GetPrivateProfileSection("one", m_path), (std::vector<std::string>{"b=2", "a=1"}));
    EXPECT_TRUE(GetPrivateProfileKeys("Two", m_path).empty());
    EXPECT_TRUE(GetPrivateProfileKeys("Three", m_path).empty());
}

TEST_F(ProfileTest, WriteKeepsEveryOtherLine) {
    // LF-only input is read; the rewrite ends every line with CRLF.
    WriteBytes(m_path, "; settings\n"
                       "[A]\n"
                       "x = 1\n"
                       "unknown line\n"
                       "\n"
                       "[B]\n"
                       "y=2\n");
    ASSERT_TRUE(WritePrivateProfileString("a", "X", "10", m_path));  // replaced in place, name kept
    ASSERT_TRUE(WritePrivateProfileString("A", "z", " 3 ", m_path)); // after the last line of A
    ASSERT_TRUE(WritePrivateProfileString("C", "w", "4", m_path));   // new section at the end
    ASSERT_TRUE(WritePrivateProfileString("B", "y", "2", m_path));   // unchanged value
    EXPECT_EQ(ReadBytes(m_path), "; settings\r\n"
                                 "[A]\r\n"
                                 "x=10\r\n"
                                 "unknown line\r\n"
                                 "z= 3 \r\n"
                                 "\r\n"
                                 "[B]\r\n"
                                 "y=2\r\n"
                                 "[C]\r\n"
                                 "w=4\r\n");
    EXPECT_EQ(GetPrivateProfileInt("A", "x", 0, m_path), 10);
    EXPECT_EQ(GetPrivateProfileString("A", "z", "", m_path), "3");
    ASSERT_TRUE(WritePrivateProfileString("A", "x", " 11 ", m_path));
    EXPECT_EQ(GetPrivateProfileString("A", "x", "", m_path), "11");

    const std::string created = m_folder + "/new.ini";
    ASSERT_TRUE(WritePrivateProfileString("Sec", "k", "v", created));
    EXPECT_EQ(ReadBytes(created), "[Sec]\r\nk=v\r\n");
}

TEST_F(ProfileTest, DeleteKeyAndSection) {
    WriteBytes(m_path, "[A]\r\nk=1\r\nK=2\r\nkeep=3\r\n[B]\r\nb=1\r\n[a]\r\nk=9\r\n[C]\r\nc=1\r\n");
    ASSERT_TRUE(DeletePrivateProfileKey("A", "k", m_path));
    // Both copies went, so the duplicate does not surface.
    EXPECT_EQ(GetPrivateProfileInt("A", "k", -1, m_path), -1);
    EXPECT_EQ(GetPrivateProfileInt("A", "keep", -1, m_path), 3);

    ASSERT_TRUE(DeletePrivateProfileSection("A", m_path));
    ASSERT_TRUE(WritePrivateProfileString("C", "", "", m_path)); // empty key deletes the section
    EXPECT_EQ(ReadBytes(m_path), "[B]\r\nb=1\r\n");

    // Deleting what is not there succeeds and creates nothing.
    EXPECT_TRUE(DeletePrivateProfileKey("B", "none", m_path));
    EXPECT_TRUE(DeletePrivateProfileSection("None", m_path));
    EXPECT_TRUE(DeletePrivateProfileKey("B", "b", m_folder + "/none.ini"));
    EXPECT_FALSE(fs::exists(m_folder + "/none.ini"));
}

TEST_F(ProfileTest, StructForm) {
    const unsigned char record[] = {0x01, 0xAB, 0x00, 0xFF};
    ASSERT_TRUE(WritePrivateProfileStruct("Fonts", "m_Font", record, sizeof record, m_path));
    EXPECT_EQ(GetPrivateProfileString("Fonts", "m_Font", "", m_path), "01AB00FFAB"); // sum 0x1AB -> AB

    unsigned char read[4] = {};
    ASSERT_TRUE(GetPrivateProfileStruct("fonts", "M_FONT", read, sizeof read, m_path));
    EXPECT_EQ(std::memcmp(read, record, sizeof record), 0);

    const struct {
        const char* value;
        std::size_t size;
        bool ok;
    } cases[] = {
        {"01ab00ffab", 4, true},  // lower-case hex is read too
        {"01AB00FFAC", 4, false}, // checksum
        {"01AB00FF", 4, false},   // too short
        {"01AB00FFAB00", 4, false},
        {"01AB00FFAB", 3, false}, // another record's size
        {"01AG00FFAB", 4, false}, // not hex
        {"00", 0, true},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(WritePrivateProfileString("Fonts", "raw", c.value, m_path));
        unsigned char out[4] = {0x55, 0x55, 0x55, 0x55};
        EXPECT_EQ(GetPrivateProfileStruct("Fonts", "raw", out, c.size, m_path), c.ok) << c.value;
        if (!c.ok) // a failed read leaves the record as it was
            EXPECT_EQ(out[0], 0x55) << c.value;
    }
    EXPECT_FALSE(GetPrivateProfileStruct("Fonts", "missing", read, sizeof read, m_path));
}

TEST_F(ProfileTest, GbkFileRoundTrip) {
    ASSERT_TRUE(WritePrivateProfileString("系统", "名称", "应变 测试", m_path));
    // 系统 = CFB5 CDB3, 名称 = C3FB B3C6, 应变 = D3A6 B1E4, 测试 = B2E2 CAD4
    EXPECT_EQ(ReadBytes(m_path), "[\xCF\xB5\xCD\xB3]\r\n"
                                 "\xC3\xFB\xB3\xC6=\xD3\xA6\xB1\xE4 \xB2\xE2\xCA\xD4\r\n");
    FlushProfileCache();
    EXPECT_EQ(GetPrivateProfileString("系统", "名称", "", m_path), "应变 测试");

    // Text GBK cannot hold is written as '?' and the cache says the same.
    ASSERT_TRUE(WritePrivateProfileString("系统", "emoji", "a😀b", m_path));
    EXPECT_EQ(GetPrivateProfileString("系统", "emoji", "", m_path), "a?b");
}

TEST_F(ProfileTest, CacheSeesExternalRewrites) {
    WriteBytes(m_path, "[S]\r\nk=1\r\n");
    EXPECT_EQ(GetPrivateProfileInt("S", "k", 0, m_path), 1);

    WriteBytes(m_path, "[S]\r\nk=22\r\n"); // another size
    EXPECT_EQ(GetPrivateProfileInt("S", "k", 0, m_path), 22);

    // Same size, written in place, with a modification time 1 ns apart.
    struct stat before {};
    ASSERT_EQ(::stat(m_path.c_str(), &before), 0);
    WriteBytes(m_path, "[S]\r\nk=33\r\n");
    timespec times[2] = {before.st_atim, before.st_mtim};
    times[1].tv_nsec = (times[1].tv_nsec + 1) % 1000000000;
    ASSERT_EQ(::utimensat(AT_FDCWD, m_path.c_str(), times, 0), 0);
    EXPECT_EQ(GetPrivateProfileInt("S", "k", 0, m_path), 33);

    // Same size and time, but a new file renamed into place.
    ASSERT_EQ(::stat(m_path.c_str(), &before), 0);
    const std::string other = m_folder + "/other.ini";
    WriteBytes(other, "[S]\r\nk=44\r\n");
    const timespec same[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, other.c_str(), same, 0), 0);
    fs::rename(other, m_path);
    EXPECT_EQ(GetPrivateProfileInt("S", "k", 0, m_path), 44);

    fs::remove(m_path);
    EXPECT_EQ(GetPrivateProfileInt("S", "k", 0, m_path), 0);
}

TEST_F(ProfileTest, WritesAreAtomicAndSafe) {
    for (int i = 0; i < 20; ++i)
        ASSERT_TRUE(WritePrivateProfileString("S", "k" + std::to_string(i), std::to_string(i), m_path));
    EXPECT_EQ(FolderNames(), std::vector<std::string>{"test.ini"}); // no temporary files left

    ::chmod(m_path.c_str(), 0640);
    ASSERT_TRUE(WritePrivateProfileString("S", "k0", "changed", m_path));
    struct stat st {};
    ASSERT_EQ(::stat(m_path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    const std::string link = m_folder + "/link.ini";
    fs::create_symlink("test.ini", link);
    ASSERT_TRUE(WritePrivateProfileString("S", "k1", "through the link", link));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(GetPrivateProfileString("S", "k1", "", m_path), "through the link");

    EXPECT_FALSE(WritePrivateProfileString("S", "k", "v", m_folder + "/missing/folder.ini"));
    EXPECT_FALSE(fs::exists(m_folder + "/missing"));

    // Input that would read back as something else is refused, file untouched.
    const std::string before = ReadBytes(m_path);
    const struct {
        const char* section;
        const char* key;
        const char* value;
    } refused[] = {
        {"S", "a=b", "v"}, {"S", "k", "two\r\nlines"}, {"S]", "k", "v"},  {"", "k", "v"},
        {"S", ";k", "v"},  {"S", "[k", "v"},           {"S\n", "k", "v"},
    };
    for (const auto& r : refused)
        EXPECT_FALSE(WritePrivateProfileString(r.section, r.key, r.value, m_path)) << r.key << r.value;
    EXPECT_EQ(ReadBytes(m_path), before);
}

TEST_F(ProfileTest, ReadOnlyFileIsNotReplaced) {
    WriteBytes(m_path, "[S]\r\nk=1\r\n");
    ::chmod(m_path.c_str(), 0444);
    EXPECT_FALSE(WritePrivateProfileString("S", "k", "2", m_path));
    EXPECT_FALSE(DeletePrivateProfileKey("S", "k", m_path));
    EXPECT_EQ(ReadBytes(m_path), "[S]\r\nk=1\r\n");
}

TEST_F(ProfileTest, ConcurrentReadersAndWriters) {
    std::string text = "[S]\r\n";
    for (int i = 0; i < 200; ++i)
        text += "k" + std::to_string(i) + "=" + std::to_string(i) + "\r\n";
    WriteBytes(m_path, text);

    std::atomic<bool> mismatch{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int round = 0; round < 20; ++round)
                for (int i = 0; i < 200; ++i)
                    if (GetPrivateProfileInt("S", "k" + std::to_string(i), -1, m_path) != i)
                        mismatch = true;
        });
    // Writers of other keys run meanwhile; none of their keys may be lost.
    for (int t = 0; t < 3; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 10; ++i)
                WritePrivateProfileString("W", Format("w%d_%d", t, i), "1", m_path);
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_FALSE(mismatch);
    EXPECT_EQ(GetPrivateProfileKeys("W", m_path).size(), 30u);
}

} // namespace
