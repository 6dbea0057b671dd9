// The soft limit of open files is raised up to the hard limit, and a hard
// limit below the need is reported.
#include "acquisition/OpenFileLimit.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

namespace {

// Runs in a child process (the limits are the process's own), exit code 0 on success.
void RaiseFrom(rlim_t soft, rlim_t hard, int expected, const char* inMessage) {
    rlimit limit{soft, hard};
    if (setrlimit(RLIMIT_NOFILE, &limit) != 0)
        std::exit(2);
    std::string message;
    if (RaiseOpenFileLimit(4096, message) != expected)
        std::exit(3);
    getrlimit(RLIMIT_NOFILE, &limit);
    if (limit.rlim_cur != std::min<rlim_t>(4096, hard))
        std::exit(4);
    std::exit(message.find(inMessage) == std::string::npos ? 5 : 0);
}

TEST(OpenFileLimitDeathTest, RaisesTheSoftLimitOrReportsTheHardOne) {
    rlimit current{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &current), 0);
    if (current.rlim_max != RLIM_INFINITY && current.rlim_max < 4096)
        GTEST_SKIP() << "the hard limit here is below 4096";
    EXPECT_EXIT(RaiseFrom(64, 4096, 1, ""), ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(RaiseFrom(64, 200, 0, "上限为200"), ::testing::ExitedWithCode(0), "");
}

} // namespace
