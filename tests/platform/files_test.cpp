// Tests of the file functions on real files in a temporary folder.
#include "platform/Files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace platform;

namespace {

class FilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/qv_files_XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        m_dir = pattern;
    }
    void TearDown() override {
        std::error_code ec;
        // Read-only files would not block removal on Linux, but restore anyway.
        for (const auto& e : std::filesystem::recursive_directory_iterator(m_dir, ec))
            std::filesystem::permissions(e.path(), std::filesystem::perms::owner_write,
                                         std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(m_dir, ec);
    }
    std::string Path(const std::string& name) const { return m_dir + "/" + name; }
    void Write(const std::string& name, const std::string& text) const {
        std::ofstream(Path(name), std::ios::binary) << text;
    }
    std::string Read(const std::string& name) const {
        std::ifstream in(Path(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::string m_dir;
};

} // namespace

TEST_F(FilesTest, ExistsAndSize) {
    Write("a.dat", std::string(1234, 'x'));
    EXPECT_TRUE(FileExists(Path("a.dat")));
    EXPECT_FALSE(FolderExists(Path("a.dat")));
    EXPECT_TRUE(FolderExists(m_dir));
    EXPECT_FALSE(FileExists(m_dir));
    EXPECT_FALSE(FileExists(Path("missing")));
    EXPECT_FALSE(FileExists(""));
    EXPECT_EQ(FileSize(Path("a.dat")), 1234);
    EXPECT_EQ(FileSize(Path("missing")), -1);
    EXPECT_EQ(FileSize(m_dir), -1);
}

TEST_F(FilesTest, SizeBeyondFourGigabytes) {
    const std::string path = Path("sparse.dat");
    Write("sparse.dat", "");
    std::filesystem::resize_file(path, (std::uintmax_t{5} << 30));
    EXPECT_EQ(FileSize(path), std::int64_t{5} << 30);
}

TEST_F(FilesTest, CopyAndMove) {
    Write("src.txt", "source");
    Write("old.txt", "old");
    EXPECT_FALSE(CopyFile(Path("src.txt"), Path("old.txt"), true));
    EXPECT_EQ(Read("old.txt"), "old");
    EXPECT_TRUE(CopyFile(Path("src.txt"), Path("old.txt"), false));
    EXPECT_EQ(Read("old.txt"), "source");
    EXPECT_TRUE(CopyFile(Path("src.txt"), Path("new.txt"), true));
    EXPECT_EQ(Read("new.txt"), "source");
    EXPECT_FALSE(CopyFile(Path("missing"), Path("x.txt")));
    EXPECT_FALSE(FileExists(Path("x.txt")));

    Write("moved.txt", "to be replaced");
    EXPECT_TRUE(MoveFile(Path("new.txt"), Path("moved.txt")));
    EXPECT_FALSE(FileExists(Path("new.txt")));
    EXPECT_EQ(Read("moved.txt"), "source");
    EXPECT_FALSE(MoveFile(Path("missing"), Path("moved.txt")));
    ASSERT_TRUE(CreateFolder(Path("dir.old")));
    EXPECT_TRUE(MoveFile(Path("dir.old"), Path("dir.new")));
    EXPECT_TRUE(FolderExists(Path("dir.new")));

    // No temporary copies are left behind.
    EXPECT_EQ(ListFolder(m_dir).size(), 4u);
}

TEST_F(FilesTest, ReadOnlyFilesAreKept) {
    Write("ro.txt", "keep");
    Write("src.txt", "other");
    EXPECT_FALSE(IsReadOnly(Path("ro.txt")));
    ASSERT_TRUE(SetReadOnly(Path("ro.txt"), true));
    EXPECT_TRUE(IsReadOnly(Path("ro.txt")));
    EXPECT_FALSE(DeleteFile(Path("ro.txt")));
    EXPECT_FALSE(CopyFile(Path("src.txt"), Path("ro.txt")));
    EXPECT_FALSE(MoveFile(Path("src.txt"), Path("ro.txt")));
    EXPECT_EQ(Read("ro.txt"), "keep");

    ASSERT_TRUE(SetReadOnly(Path("ro.txt"), false));
    EXPECT_FALSE(IsReadOnly(Path("ro.txt")));
    EXPECT_TRUE(DeleteFile(Path("ro.txt")));
    EXPECT_FALSE(FileExists(Path("ro.txt")));
    EXPECT_FALSE(DeleteFile(Path("ro.txt")));
    EXPECT_FALSE(SetReadOnly(Path("ro.txt"), true));
}

TEST_F(FilesTest, FoldersCreateAndList) {
    const std::string deep = Path("a/b.c/d");
    EXPECT_TRUE(CreateFolder(deep));
    EXPECT_TRUE(CreateFolder(deep)); // already there
    EXPECT_TRUE(FolderExists(deep));
    Write("a/z.txt", "12345");
    Write("file", "");
    EXPECT_FALSE(CreateFolder(Path("file/sub")));

    const auto entries = ListFolder(Path("a"));
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "b.c");
    EXPECT_TRUE(entries[0].isFolder);
    EXPECT_EQ(entries[1].name, "z.txt");
    EXPECT_FALSE(entries[1].isFolder);
    EXPECT_EQ(entries[1].size, 5);
    EXPECT_TRUE(ListFolder(Path("missing")).empty());
    EXPECT_FALSE(DeleteFile(deep));
}

TEST_F(FilesTest, FreeDiskSpace) {
    EXPECT_GT(FreeDiskSpace(m_dir), 0);
    EXPECT_EQ(FreeDiskSpace(Path("missing/folder")), -1);
}

TEST(FileFolders, EnvironmentAndProgramFolders) {
    const std::string exe = ProgramFolder();
    EXPECT_TRUE(FolderExists(exe));
    EXPECT_NE(exe.back(), '/');

    const char* savedConfig = std::getenv("XDG_CONFIG_HOME");
    const std::string keepConfig = savedConfig ? savedConfig : "";
    ::setenv("XDG_CONFIG_HOME", "/x/config/", 1);
    EXPECT_EQ(UserConfigFolder(), "/x/config");
    ::setenv("XDG_CONFIG_HOME", "", 1);
    ::setenv("HOME", std::getenv("HOME") ? std::getenv("HOME") : "/root", 1);
    EXPECT_EQ(UserConfigFolder(), std::string(std::getenv("HOME")) + "/.config");
    if (savedConfig)
        ::setenv("XDG_CONFIG_HOME", keepConfig.c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");

    const char* savedRuntime = std::getenv("XDG_RUNTIME_DIR");
    const std::string keepRuntime = savedRuntime ? savedRuntime : "";
    ::unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(RuntimeFolder(), "/tmp/runtime-" + std::to_string(::getuid())) << "the user's own";
    if (savedRuntime)
        ::setenv("XDG_RUNTIME_DIR", keepRuntime.c_str(), 1);
}

TEST(FilePaths, TextHelpers) {
    struct Case {
        const char* path;
        const char* folder;
        const char* name;
        const char* ext;
        const char* replaced; // extension ".dap"
    };
    const Case cases[] = {
        {"/p/run.dat", "/p", "run.dat", ".dat", "/p/run.dap"},
        {"/p.v2/run", "/p.v2", "run", "", "/p.v2/run.dap"},
        {"/p.v2/a.b.dat", "/p.v2", "a.b.dat", ".dat", "/p.v2/a.b.dap"},
        {"run.dat", "", "run.dat", ".dat", "run.dap"},
        {"/run", "/", "run", "", "/run.dap"},
        {"dir.x/", "dir.x", "", "", "dir.x/.dap"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FolderOf(c.path), c.folder) << c.path;
        EXPECT_EQ(FileNameOf(c.path), c.name) << c.path;
        EXPECT_EQ(ExtensionOf(c.path), c.ext) << c.path;
        EXPECT_EQ(ReplaceExtension(c.path, ".dap"), c.replaced) << c.path;
    }
    EXPECT_EQ(ReplaceExtension("/p.v2/run.dat", ""), "/p.v2/run");
    EXPECT_EQ(JoinPath("/a", "b"), "/a/b");
    EXPECT_EQ(JoinPath("/a/", "/b"), "/a/b");
    EXPECT_EQ(JoinPath("/a/", "b"), "/a/b");
    EXPECT_EQ(JoinPath("", "b"), "b");
    EXPECT_EQ(JoinPath("/a", ""), "/a");
}
