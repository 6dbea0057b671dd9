// Tests of the single-instance lock across processes.
#include "platform/InstanceLock.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

using platform::InstanceLock;

namespace {

// Runs Acquire in a child process and returns what it got (1 or 0).
int AcquireInChild(const std::string& name) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        InstanceLock lock;
        ::_exit(lock.Acquire(name) ? 1 : 0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class InstanceLockTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/qv_lock_XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        m_dir = pattern;
        const char* saved = std::getenv("XDG_RUNTIME_DIR");
        m_hadRuntime = saved != nullptr;
        m_savedRuntime = saved ? saved : "";
        ::setenv("XDG_RUNTIME_DIR", m_dir.c_str(), 1);
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
            const char* value = std::getenv(name);
            m_savedDisplays.emplace_back(name, value ? value : "");
            ::unsetenv(name);
        }
    }
    void TearDown() override {
        if (m_hadRuntime)
            ::setenv("XDG_RUNTIME_DIR", m_savedRuntime.c_str(), 1);
        else
            ::unsetenv("XDG_RUNTIME_DIR");
        for (const auto& [name, value] : m_savedDisplays) {
            if (value.empty())
                ::unsetenv(name.c_str());
            else
                ::setenv(name.c_str(), value.c_str(), 1);
        }
        std::filesystem::remove_all(m_dir);
    }
    std::vector<std::pair<std::string, std::string>> m_savedDisplays;
    std::string m_dir, m_savedRuntime;
    bool m_hadRuntime = false;
};

} // namespace

TEST_F(InstanceLockTest, SecondProcessFailsWhileFirstHolds) {
    const std::string name = "QV静态测试系统/mutex";
    EXPECT_EQ(InstanceLock::LockFilePath(name), m_dir + "/QV静态测试系统_mutex.lock");
    InstanceLock first;
    ASSERT_TRUE(first.Acquire(name));
    EXPECT_TRUE(first.IsHeld());
    EXPECT_EQ(AcquireInChild(name), 0);
    EXPECT_EQ(AcquireInChild("another name"), 1);
    InstanceLock sameProcess;
    EXPECT_FALSE(sameProcess.Acquire(name));
    // Refused with the holder named and no error.
    EXPECT_EQ(sameProcess.GetError(), "");
    EXPECT_EQ(sameProcess.GetHolderPid(), ::getpid());
    EXPECT_EQ(sameProcess.GetHolderProgram(), std::filesystem::read_symlink("/proc/self/exe").string());

    first.Release();
    EXPECT_FALSE(first.IsHeld());
    EXPECT_EQ(AcquireInChild(name), 1);
}

TEST_F(InstanceLockTest, LockEndsWithItsProcess) {
    const std::string name = "ended";
    EXPECT_EQ(AcquireInChild(name), 1); // the child exits holding it
    InstanceLock lock;
    EXPECT_TRUE(lock.Acquire(name));
}

// One instance a desktop login: another display (or Wayland display) of the
// same user has its own lock; screens of one display share theirs.
TEST_F(InstanceLockTest, EachDesktopLoginHasItsOwnLock) {
    const std::string name = "login";
    ::setenv("DISPLAY", ":1.0", 1);
    EXPECT_EQ(InstanceLock::LockFilePath(name), m_dir + "/login-:1.lock");
    InstanceLock first;
    ASSERT_TRUE(first.Acquire(name));
    ::setenv("DISPLAY", ":1.1", 1);
    EXPECT_EQ(AcquireInChild(name), 0);
    ::setenv("DISPLAY", "localhost:10.0", 1);
    EXPECT_EQ(AcquireInChild(name), 1);
    ::unsetenv("DISPLAY");
    ::setenv("WAYLAND_DISPLAY", "wayland-1", 1);
    EXPECT_EQ(InstanceLock::LockFilePath(name), m_dir + "/login-wayland-1.lock");
    EXPECT_EQ(AcquireInChild(name), 1);
}

TEST_F(InstanceLockTest, UnusableNameOrFolderFailsWithItsCause) {
    InstanceLock lock;
    EXPECT_FALSE(lock.Acquire(""));
    EXPECT_NE(lock.GetError(), "");
    ::setenv("XDG_RUNTIME_DIR", (m_dir + "/missing").c_str(), 1);
    EXPECT_FALSE(lock.Acquire("x"));
    EXPECT_FALSE(lock.IsHeld());
    EXPECT_NE(lock.GetError().find(m_dir + "/missing"), std::string::npos);
    // A folder others may write in is no place for the lock.
    const std::string shared = m_dir + "/shared";
    std::filesystem::create_directory(shared);
    std::filesystem::permissions(shared, std::filesystem::perms::all);
    ::setenv("XDG_RUNTIME_DIR", shared.c_str(), 1);
    EXPECT_FALSE(lock.Acquire("x"));
    EXPECT_NE(lock.GetError().find(shared), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(shared + "/x.lock"));
}
