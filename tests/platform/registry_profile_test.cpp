// Tests of the registry profile: where its file lives, its value kinds and
// the owner-only mode.
#include "platform/RegistryProfile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace {

using namespace platform;
namespace fs = std::filesystem;

class RegistryProfileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "registry_test.XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_root = pattern;
        m_profile.SetRegistryKey("QV静态测试系统");
        m_profile.SetProfileName("QV74xx");
        m_profile.SetRootFolder(m_root);
    }
    void TearDown() override { fs::remove_all(m_root); }

    static unsigned Mode(const std::string& path) {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 0777 : 0xFFFFu;
    }
    static std::string ReadBytes(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::string m_root;
    CRegistryProfile m_profile;
};

TEST_F(RegistryProfileTest, FileLocation) {
    EXPECT_EQ(m_profile.GetFolder(), m_root + "/QV静态测试系统");
    EXPECT_EQ(m_profile.GetPath(), m_root + "/QV静态测试系统/QV74xx.ini");

    // Without a root of its own the profile follows XDG_CONFIG_HOME at call time.
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::string savedValue = saved ? saved : "";
    ::setenv("XDG_CONFIG_HOME", m_root.c_str(), 1);
    CRegistryProfile profile("Key", "Program");
    EXPECT_EQ(profile.GetPath(), m_root + "/Key/Program.ini");
    ASSERT_TRUE(profile.WriteProfileInt("System", "n", 1));
    EXPECT_TRUE(fs::exists(m_root + "/Key/Program.ini"));
    if (saved)
        ::setenv("XDG_CONFIG_HOME", savedValue.c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");

    CRegistryProfile unnamed;
    EXPECT_EQ(unnamed.GetProfileInt("System", "n", 5), 5);
    EXPECT_FALSE(unnamed.WriteProfileInt("System", "n", 1));
}

TEST_F(RegistryProfileTest, ValuesRoundTrip) {
    EXPECT_EQ(m_profile.GetProfileInt("System", "RightCancel", 1), 1);
    EXPECT_EQ(m_profile.GetProfileString("System", "AcessRight", "none"), "none");

    ASSERT_TRUE(m_profile.WriteProfileInt("System", "RightCancel", -7));
    ASSERT_TRUE(m_profile.WriteProfileString("System", "AcessRight", "口令 123"));
    const std::uint8_t bytes[] = {0x00, 0x10, 0xFE};
    ASSERT_TRUE(m_profile.WriteProfileBinary("Settings", "Placement", bytes, sizeof bytes));

    EXPECT_EQ(m_profile.GetProfileInt("System", "RightCancel", 1), -7);
    EXPECT_EQ(m_profile.GetProfileString("System", "AcessRight"), "口令 123");
    std::vector<std::uint8_t> read;
    ASSERT_TRUE(m_profile.GetProfileBinary("Settings", "Placement", read));
    EXPECT_EQ(read, std::vector<std::uint8_t>(bytes, bytes + sizeof bytes));
    EXPECT_NE(ReadBytes(m_profile.GetPath()).find("Placement=0010FE0E\r\n"), std::string::npos);

    ASSERT_TRUE(m_profile.WriteProfileBinary("Settings", "Empty", nullptr, 0));
    ASSERT_TRUE(m_profile.GetProfileBinary("Settings", "Empty", read));
    EXPECT_TRUE(read.empty());

    for (const char* bad : {"0010FE0F", "0010FE0", "", "zz"}) {
        ASSERT_TRUE(m_profile.WriteProfileString("Settings", "Bad", bad));
        read.assign(3, 1);
        EXPECT_FALSE(m_profile.GetProfileBinary("Settings", "Bad", read)) << bad;
        EXPECT_TRUE(read.empty()) << bad;
    }

    ASSERT_TRUE(m_profile.DeleteProfileEntry("System", "AcessRight"));
    EXPECT_EQ(m_profile.GetProfileString("System", "AcessRight", "gone"), "gone");
    ASSERT_TRUE(m_profile.DeleteProfileSection("Settings"));
    EXPECT_FALSE(m_profile.GetProfileBinary("Settings", "Placement", read));
    EXPECT_EQ(m_profile.GetProfileInt("System", "RightCancel", 1), -7);
}

TEST_F(RegistryProfileTest, OwnerOnlyMode) {
    const mode_t savedMask = ::umask(022);
    CRegistryProfile shared("Shared", "Program");
    shared.SetRootFolder(m_root);
    ASSERT_TRUE(shared.WriteProfileInt("System", "n", 1));
    EXPECT_EQ(Mode(shared.GetPath()), 0644u);
    EXPECT_EQ(Mode(shared.GetFolder()), 0700u);

    m_profile.SetOwnerOnly(true);
    ASSERT_TRUE(m_profile.WriteProfileString("System", "AcessRight", "code"));
    EXPECT_EQ(Mode(m_profile.GetPath()), 0600u);
    ASSERT_TRUE(m_profile.WriteProfileInt("System", "RightCancel", 0)); // a rewrite keeps the mode
    EXPECT_EQ(Mode(m_profile.GetPath()), 0600u);

    // A file that was readable by others is tightened on the next write.
    shared.SetOwnerOnly(true);
    ASSERT_TRUE(shared.WriteProfileInt("System", "n", 2));
    EXPECT_EQ(Mode(shared.GetPath()), 0600u);
    EXPECT_EQ(shared.GetProfileInt("System", "n", 0), 2);
    ::umask(savedMask);
}

} // namespace
