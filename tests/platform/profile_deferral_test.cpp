// Tests of deferred profile writes and of the index patched by edits: a
// document edited key by key must answer exactly as the same text parsed.
#include "platform/Profile.h"
#include "platform/ProfileDocument.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>

namespace {

using namespace platform;
namespace fs = std::filesystem;

class ProfileDeferralTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "profile_deferral.XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_folder = pattern;
        m_path = m_folder + "/defer.ini";
    }
    void TearDown() override {
        FlushProfileCache();
        fs::remove_all(m_folder);
    }
    std::string m_folder;
    std::string m_path;
};

TEST_F(ProfileDeferralTest, WritesAreReadBackAndStoredOnceAtTheEnd) {
    ASSERT_TRUE(WritePrivateProfileString("A", "k", "1", m_path));
    const auto before = fs::last_write_time(m_path);
    {
        ProfileWriteDeferral deferral;
        ASSERT_TRUE(WritePrivateProfileString("A", "k", "2", m_path));
        ASSERT_TRUE(WritePrivateProfileString("B", "x", "中文", m_path));
        EXPECT_EQ(GetPrivateProfileInt("a", "K", 0, m_path), 2);
        EXPECT_EQ(GetPrivateProfileString("b", "X", "", m_path), "中文");
        FlushProfileCache(); // pending writes survive a flush of the cache
        EXPECT_EQ(GetPrivateProfileInt("A", "k", 0, m_path), 2);
        EXPECT_EQ(fs::last_write_time(m_path), before);
    }
    FlushProfileCache();
    EXPECT_EQ(GetPrivateProfileInt("A", "k", 0, m_path), 2);
    EXPECT_EQ(GetPrivateProfileString("B", "x", "", m_path), "中文");
}

TEST_F(ProfileDeferralTest, NestedDeferralWritesWhenTheOutermostEnds) {
    ProfileWriteDeferral outer;
    {
        ProfileWriteDeferral inner;
        ASSERT_TRUE(WritePrivateProfileString("S", "k", "v", m_path));
    }
    EXPECT_FALSE(fs::exists(m_path));
    EXPECT_TRUE(outer.End());
    EXPECT_TRUE(fs::exists(m_path));
}

TEST_F(ProfileDeferralTest, FailedWriteAtTheEndIsReported) {
    const std::string missing = m_folder + "/no/such/folder/x.ini";
    ProfileWriteDeferral deferral;
    ASSERT_TRUE(WritePrivateProfileString("S", "k", "v", missing));
    EXPECT_FALSE(deferral.End());
}

// Random edits through the patched index against a fresh parse of the text.
TEST(ProfileDocumentIndex, EditsAnswerAsAFreshParse) {
    std::mt19937 random(7);
    ProfileDocument document =
        ProfileDocument::FromText("; head\r\n[Dup]\r\na=1\r\n\r\n[Other]\r\n[dup]\r\nb=2\r\n");
    for (int step = 0; step < 2000; ++step) {
        const std::string section = "Sec" + std::to_string(random() % 12);
        const std::string key = "Key" + std::to_string(random() % 20);
        switch (random() % 10) {
        case 0:
            document.DeleteKey(section, key);
            break;
        case 1:
            document.DeleteSection(section);
            break;
        default:
            document.SetValue(random() % 2 ? section : "dup", key, std::to_string(step));
        }
        if (step % 50 != 0)
            continue;
        const ProfileDocument parsed = ProfileDocument::FromText(document.ToText());
        ASSERT_EQ(document.SectionNames(), parsed.SectionNames());
        for (const std::string& name : parsed.SectionNames())
            ASSERT_EQ(document.SectionLines(name), parsed.SectionLines(name)) << name;
    }
    document.SetValue("Dup", "a", "x");
    EXPECT_EQ(*document.FindValue("DUP", "A"), "x");
    EXPECT_EQ(document.FindValue("dup", "b"), nullptr); // the second [dup] is never searched
}

} // namespace
