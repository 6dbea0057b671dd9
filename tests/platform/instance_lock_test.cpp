// Tests of the single-instance lock across processes.
#include "platform/InstanceLock.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

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
    }
    void TearDown() override {
        if (m_hadRuntime)
            ::setenv("XDG_RUNTIME_DIR", m_savedRuntime.c_str(), 1);
        else
            ::unsetenv("XDG_RUNTIME_DIR");
        std::filesystem::remove_all(m_dir);
    }
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

TEST_F(InstanceLockTest, UnusableNameOrFolderFails) {
    InstanceLock lock;
    EXPECT_FALSE(lock.Acquire(""));
    ::setenv("XDG_RUNTIME_DIR", (m_dir + "/missing").c_str(), 1);
    EXPECT_FALSE(lock.Acquire("x"));
    EXPECT_FALSE(lock.IsHeld());
}
