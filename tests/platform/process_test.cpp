// Tests of starting and watching a real child program.
#include "platform/Process.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>

using platform::Process;

TEST(Process, RunsAndReportsExitCode) {
    Process p;
    ASSERT_TRUE(p.Start("/bin/sh", {"-c", "exit 7"}));
    EXPECT_GT(p.Pid(), 0);
    int code = -1;
    ASSERT_TRUE(p.Wait(10000, &code));
    EXPECT_EQ(code, 7);
    EXPECT_FALSE(p.IsRunning());
    EXPECT_TRUE(p.Wait(0, &code)); // asking again keeps the answer
    EXPECT_EQ(code, 7);
}

TEST(Process, WaitTimesOutWhileRunningAndSeesTheSignal) {
    Process p;
    ASSERT_TRUE(p.Start("sleep", {"30"})); // found on PATH
    EXPECT_TRUE(p.IsRunning());
    EXPECT_FALSE(p.Wait(0));
    EXPECT_FALSE(p.Start("sleep", {"1"})); // one program per object
    ASSERT_EQ(::kill(p.Pid(), SIGTERM), 0);
    int code = 0;
    ASSERT_TRUE(p.Wait(10000, &code));
    EXPECT_EQ(code, 128 + SIGTERM);
}

TEST(Process, ArgumentsAndWorkingFolderArePassed) {
    char pattern[] = "/tmp/qv_proc_XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    Process p;
    ASSERT_TRUE(p.Start("/bin/sh", {"-c", "printf '%s|%s' \"$0\" \"$1\" > out.txt", "a b", "c"}, pattern));
    ASSERT_TRUE(p.Wait(10000));
    std::ifstream in(std::string(pattern) + "/out.txt");
    std::string text;
    std::getline(in, text);
    EXPECT_EQ(text, "a b|c");
    std::filesystem::remove_all(pattern);
}

TEST(Process, MissingProgramFailsToStart) {
    Process p;
    EXPECT_FALSE(p.Start("/nonexistent/program", {}));
    EXPECT_FALSE(p.Start("qv-no-such-program-anywhere", {}));
    EXPECT_FALSE(p.Start("", {}));
    EXPECT_FALSE(p.Start("/bin/true", {}, "/nonexistent/folder"));
    EXPECT_FALSE(p.IsRunning());
    EXPECT_FALSE(p.Wait(0));
}
