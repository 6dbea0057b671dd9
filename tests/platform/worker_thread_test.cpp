// Worker threads with message queues: handling, quitting, draining and
// abandoning a thread that does not end in time.
#include "platform/WorkerThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

using namespace platform;

namespace {

// Messages seen by a worker, shared with it so that it may outlive the test's view.
struct Seen {
    std::mutex mutex; // guards messages
    std::vector<UINT> messages;
    std::thread::id thread;
    void Add(UINT message) {
        std::lock_guard<std::mutex> lock(mutex);
        messages.push_back(message);
        thread = std::this_thread::get_id();
    }
    std::vector<UINT> Get() {
        std::lock_guard<std::mutex> lock(mutex);
        return messages;
    }
};

} // namespace

TEST(WorkerThreadTest, HandlesMessagesInOrderUntilQuit) {
    auto seen = std::make_shared<Seen>();
    WorkerThread worker;
    EXPECT_FALSE(worker.PostThreadMessage(WM_USER)) << "not started";
    worker.SetMessageHandler([seen](UINT message, WPARAM, LPARAM) {
        seen->Add(message);
        if (message == WM_USER + 1) {
            throw std::runtime_error("handler failure"); // must not end the thread
        }
    });
    ASSERT_TRUE(worker.Start());
    EXPECT_FALSE(worker.Start()) << "already running";
    for (UINT i = 0; i < 5; ++i) {
        EXPECT_TRUE(worker.PostThreadMessage(WM_USER + i, i, 0));
    }
    EXPECT_TRUE(worker.Stop(5000));
    EXPECT_FALSE(worker.IsRunning());
    EXPECT_EQ(seen->Get(), (std::vector<UINT>{WM_USER, WM_USER + 1, WM_USER + 2, WM_USER + 3, WM_USER + 4}));
    EXPECT_NE(seen->thread, std::this_thread::get_id());
    EXPECT_FALSE(worker.PostThreadMessage(WM_USER)) << "ended";

    ASSERT_TRUE(worker.Start()) << "a finished worker starts again";
    EXPECT_TRUE(worker.PostThreadMessage(WM_USER + 9));
    EXPECT_TRUE(worker.Stop(5000));
    EXPECT_EQ(seen->Get().back(), WM_USER + 9);
}

// Blocks carried in lParam belong to the receiver: those left behind the
// quit go to the drain handler, so nothing leaks.
TEST(WorkerThreadTest, MessagesLeftAfterQuitGoToTheDrainHandler) {
    auto gate = std::make_shared<Event>(true, false);
    auto drained = std::make_shared<Seen>();
    WorkerThread worker;
    worker.SetMessageHandler([gate](UINT, WPARAM, LPARAM lParam) {
        gate->Wait(5000);
        delete reinterpret_cast<int*>(lParam);
    });
    worker.SetDrainHandler([drained](const ThreadMessage& msg) {
        drained->Add(msg.message);
        delete reinterpret_cast<int*>(msg.lParam);
    });
    ASSERT_TRUE(worker.Start());
    auto post = [&](UINT message) {
        auto* block = new int(7);
        if (!worker.PostThreadMessage(message, 0, reinterpret_cast<LPARAM>(block))) {
            delete block;
        }
    };
    post(WM_USER);
    ASSERT_TRUE(worker.PostQuitMessage());
    post(WM_USER + 1);
    post(WM_USER + 2);
    gate->Set();
    EXPECT_TRUE(worker.Wait(5000));
    EXPECT_EQ(drained->Get(), (std::vector<UINT>{WM_USER + 1, WM_USER + 2}));
}

TEST(WorkerThreadTest, WaitTimesOutAndLeavesTheThreadRunning) {
    auto gate = std::make_shared<Event>(true, false);
    WorkerThread worker;
    worker.SetMessageHandler([gate](UINT, WPARAM, LPARAM) { gate->Wait(5000); });
    ASSERT_TRUE(worker.Start());
    worker.PostThreadMessage(WM_USER);
    EXPECT_FALSE(worker.Stop(10));
    EXPECT_TRUE(worker.IsRunning());
    gate->Set();
    EXPECT_TRUE(worker.Wait(5000));
    EXPECT_FALSE(worker.IsRunning());
}

// The owner gives up on a stuck thread and destroys its object; the thread
// ends later with its own handlers and queue.
TEST(WorkerThreadTest, OwnerMayDestroyAThreadThatDidNotEndInTime) {
    auto gate = std::make_shared<Event>(true, false);
    auto finished = std::make_shared<Event>(true, false);
    auto seen = std::make_shared<Seen>();
    {
        WorkerThread worker;
        worker.SetDestroyTimeout(10);
        worker.SetMessageHandler([gate, seen](UINT message, WPARAM, LPARAM) {
            seen->Add(message);
            gate->Wait(5000);
        });
        worker.SetDrainHandler([finished](const ThreadMessage&) { finished->Set(); });
        ASSERT_TRUE(worker.Start());
        worker.PostThreadMessage(WM_USER);
        worker.PostQuitMessage();
        worker.PostThreadMessage(WM_USER + 1); // drained when the thread ends
    }
    gate->Set();
    EXPECT_EQ(finished->Wait(5000), WAIT_OBJECT_0);
    EXPECT_EQ(seen->Get(), std::vector<UINT>{WM_USER});
}

TEST(WorkerThreadTest, HandlerMayDestroyItsOwnThreadObject) {
    auto done = std::make_shared<Event>(true, false);
    auto* worker = new WorkerThread;
    worker->SetMessageHandler([worker, done](UINT, WPARAM, LPARAM) {
        EXPECT_TRUE(worker->IsCurrentThread());
        EXPECT_FALSE(worker->Wait(5000)) << "a thread cannot wait for itself";
        delete worker; // must neither deadlock nor free what the loop uses
        done->Set();
    });
    ASSERT_TRUE(worker->Start());
    EXPECT_FALSE(worker->IsCurrentThread());
    worker->PostThreadMessage(WM_USER);
    EXPECT_EQ(done->Wait(5000), WAIT_OBJECT_0);
}

TEST(WorkerThreadTest, IdleHookRunsRepeatedlyBetweenMessages) {
    auto ticks = std::make_shared<std::atomic<int>>(0);
    auto enough = std::make_shared<Event>(true, false);
    auto seen = std::make_shared<Seen>();
    WorkerThread worker;
    worker.SetIdleHandler(5, [ticks, enough] {
        if (++*ticks == 5) {
            enough->Set();
        }
    });
    worker.SetMessageHandler([seen](UINT message, WPARAM, LPARAM) { seen->Add(message); });
    ASSERT_TRUE(worker.Start());
    worker.PostThreadMessage(WM_USER);
    EXPECT_EQ(enough->Wait(5000), WAIT_OBJECT_0);
    worker.PostThreadMessage(WM_USER + 1);
    EXPECT_TRUE(worker.Stop(5000));
    EXPECT_EQ(seen->Get(), (std::vector<UINT>{WM_USER, WM_USER + 1}));
}
