// Window messages delivered through the Qt event loop of the test's main thread.
#include "QtTestApp.h"
#include "platform/Sync.h"
#include "platform/qt/QtMessageDispatcher.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

using namespace platform;

namespace {

// Records messages and the thread they ran on; answers wParam * 2.
class RecordingTarget : public MessageTarget {
public:
    ~RecordingTarget() override { UnregisterTarget(); }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        messages.push_back(message);
        threads.push_back(std::this_thread::get_id());
        return static_cast<LRESULT>(wParam * 2);
    }
    std::size_t Count() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return messages.size();
    }
    std::mutex m_mutex; // guards messages and threads
    std::vector<UINT> messages;
    std::vector<std::thread::id> threads;
};

class QtMessageDispatcherTest : public testing::Test {
protected:
    void SetUp() override {
        m_dispatcher = std::make_unique<QtMessageDispatcher>();
        SetMessageDispatcher(m_dispatcher.get());
    }
    void TearDown() override { m_dispatcher.reset(); }

    std::unique_ptr<QtMessageDispatcher> m_dispatcher;
    const std::thread::id m_uiThread = std::this_thread::get_id();
};

} // namespace

TEST_F(QtMessageDispatcherTest, PostsAndSendsFromWorkersRunInOrderOnTheUiThread) {
    RecordingTarget target;
    HWND hWnd = target.GetSafeHwnd();
    std::atomic<bool> done{false};
    LRESULT result = 0;
    std::thread worker([&] {
        EXPECT_FALSE(IsUiThread());
        for (UINT i = 0; i < 20; ++i) {
            PostMessage(hWnd, WM_USER + i);
        }
        result = SendMessage(hWnd, WM_USER + 20, 21);
        done = true;
    });
    EXPECT_TRUE(ProcessEventsUntil([&] { return done.load(); }));
    worker.join();
    EXPECT_EQ(result, 42);
    ASSERT_EQ(target.messages.size(), 21u);
    for (UINT i = 0; i < 21; ++i) {
        EXPECT_EQ(target.messages[i], WM_USER + i);
        EXPECT_EQ(target.threads[i], m_uiThread);
    }
}

TEST_F(QtMessageDispatcherTest, SendFromTheUiThreadRunsAtOnce) {
    RecordingTarget target;
    EXPECT_TRUE(IsUiThread());
    EXPECT_EQ(SendMessage(target.GetSafeHwnd(), WM_USER, 5), 10);
    EXPECT_EQ(target.Count(), 1u);
}

TEST_F(QtMessageDispatcherTest, WaitingSendEndsWithZeroWhenItsTargetGoes) {
    auto target = std::make_unique<RecordingTarget>();
    HWND hWnd = target->GetSafeHwnd();
    LRESULT result = -1;
    std::thread worker([&] { result = SendMessage(hWnd, WM_USER, 5); });
    // Wait until the send is queued, without letting Qt deliver it.
    while (m_dispatcher->WaitingSends() == 0) {
        std::this_thread::yield();
    }
    target.reset();
    worker.join();
    EXPECT_EQ(result, 0);
    ProcessEventsUntil([] { return false; }, 20); // the stale queued call finds nothing
}

TEST_F(QtMessageDispatcherTest, DestroyingTheDispatcherReleasesWaitingSenders) {
    RecordingTarget target;
    LRESULT result = -1;
    std::thread worker([&] { result = SendMessage(target.GetSafeHwnd(), WM_USER, 5); });
    while (m_dispatcher->WaitingSends() == 0) {
        std::this_thread::yield();
    }
    m_dispatcher.reset();
    worker.join();
    EXPECT_EQ(result, 0);
    EXPECT_EQ(target.Count(), 0u);
    EXPECT_NE(GetMessageDispatcher(), nullptr);
    EXPECT_TRUE(IsUiThread()) << "the default dispatcher is back, on this thread";
}
