// Events, mutexes and critical sections across threads.
#include "platform/Sync.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace platform;

TEST(EventTest, AutoResetLetsOneWaitThroughPerSet) {
    Event event(false, true);
    EXPECT_EQ(event.Wait(0), WAIT_OBJECT_0);
    EXPECT_EQ(event.Wait(10), WAIT_TIMEOUT);
    event.Set();
    EXPECT_TRUE(event.IsSet());
    EXPECT_EQ(event.Wait(INFINITE), WAIT_OBJECT_0);
    EXPECT_FALSE(event.IsSet());
}

TEST(EventTest, ManualResetStaysSetUntilReset) {
    Event event(true, false);
    EXPECT_EQ(event.Wait(10), WAIT_TIMEOUT);
    event.Set();
    EXPECT_EQ(event.Wait(0), WAIT_OBJECT_0);
    EXPECT_EQ(event.Wait(0), WAIT_OBJECT_0);
    event.Reset();
    EXPECT_EQ(event.Wait(10), WAIT_TIMEOUT);
}

TEST(EventTest, SetFromAnotherThreadWakesTheWaiter) {
    Event event;
    std::thread setter([&] { event.Set(); });
    EXPECT_EQ(event.Wait(5000), WAIT_OBJECT_0);
    setter.join();
}

TEST(EventTest, ManualResetReleasesEveryWaiterAutoResetOnlyOne) {
    for (bool manual : {true, false}) {
        Event event(manual, false);
        std::atomic<int> released{0};
        std::thread waiters[3];
        for (auto& t : waiters) {
            t = std::thread([&] {
                if (event.Wait(200) == WAIT_OBJECT_0) {
                    ++released;
                }
            });
        }
        event.Set();
        for (auto& t : waiters) {
            t.join();
        }
        EXPECT_EQ(released.load(), manual ? 3 : 1) << "manual reset " << manual;
    }
}

TEST(MutexTest, OtherThreadTimesOutUntilEveryOwnedWaitIsReleased) {
    Mutex mutex;
    ASSERT_EQ(mutex.Wait(), WAIT_OBJECT_0);
    ASSERT_EQ(mutex.Wait(0), WAIT_OBJECT_0); // re-entrant for its owner
    std::uint32_t results[3] = {};
    Event tried[2], go[2];
    std::thread other([&] {
        for (int i = 0; i < 2; ++i) {
            results[i] = mutex.Wait(20);
            tried[i].Set();
            go[i].Wait(5000);
        }
        results[2] = mutex.Wait(5000);
        if (results[2] == WAIT_OBJECT_0) {
            mutex.Release();
        }
    });
    for (int i = 0; i < 2; ++i) {
        tried[i].Wait(5000);
        mutex.Release();
        go[i].Set();
    }
    other.join();
    EXPECT_EQ(results[0], WAIT_TIMEOUT);
    EXPECT_EQ(results[1], WAIT_TIMEOUT) << "held twice, released once";
    EXPECT_EQ(results[2], WAIT_OBJECT_0);
}

TEST(CriticalSectionTest, ReentrantForOwnerExcludesOthers) {
    CriticalSection cs;
    std::lock_guard<CriticalSection> outer(cs);
    std::lock_guard<CriticalSection> inner(cs);
    bool otherGotIt = true;
    std::thread([&] { otherGotIt = cs.TryLock(); }).join();
    EXPECT_FALSE(otherGotIt);
}
