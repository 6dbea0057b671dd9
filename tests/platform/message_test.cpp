// Posting and sending to message targets with the hand-pumped dispatcher;
// the test thread is the user-interface thread.
#include "platform/Message.h"
#include "platform/Sync.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

using namespace platform;

namespace {

struct Delivered {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    std::thread::id thread;
};

// Records every message; answers wParam + lParam. Its log outlives it, so
// that a test can check what reached it before it was destroyed.
class RecordingTarget : public MessageTarget {
public:
    explicit RecordingTarget(std::shared_ptr<std::vector<Delivered>> log = nullptr)
        : m_log(log ? log : std::make_shared<std::vector<Delivered>>()) {}
    ~RecordingTarget() override { UnregisterTarget(); }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_log->push_back(Delivered{message, wParam, lParam, std::this_thread::get_id()});
        return static_cast<LRESULT>(wParam) + lParam;
    }
    std::vector<Delivered> Log() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return *m_log;
    }

private:
    std::mutex m_mutex; // guards m_log
    std::shared_ptr<std::vector<Delivered>> m_log;
};

class MessageTest : public testing::Test {
protected:
    void SetUp() override {
        SetMessageDispatcher(nullptr);
        PumpMessages(); // leftovers of earlier tests
    }
};

} // namespace

TEST_F(MessageTest, PostsArriveInOrderOnlyWhenPumped) {
    RecordingTarget target;
    for (UINT i = 0; i < 50; ++i) {
        ASSERT_TRUE(PostMessage(target.GetSafeHwnd(), WM_USER + i, i, -static_cast<LPARAM>(i)));
    }
    std::thread poster([&] { PostMessage(target.GetSafeHwnd(), WM_USER + 50, 50, -50); });
    poster.join();
    EXPECT_TRUE(target.Log().empty());

    EXPECT_EQ(PumpMessages(), 51u);
    auto log = target.Log();
    ASSERT_EQ(log.size(), 51u);
    for (UINT i = 0; i < log.size(); ++i) {
        EXPECT_EQ(log[i].message, WM_USER + i);
        EXPECT_EQ(log[i].wParam, i);
        EXPECT_EQ(log[i].lParam, -static_cast<LPARAM>(i));
        EXPECT_EQ(log[i].thread, std::this_thread::get_id());
    }
}

TEST_F(MessageTest, NoTargetMeansNoPostAndZeroFromSend) {
    HWND stale;
    {
        RecordingTarget gone;
        stale = gone.GetSafeHwnd();
        EXPECT_TRUE(IsWindow(stale));
    }
    RecordingTarget later; // a new target never takes an old handle
    EXPECT_NE(later.GetSafeHwnd(), stale);
    for (HWND hWnd : {HWND(0), stale, HWND(0xFFFFFFFFFFFF)}) {
        EXPECT_FALSE(IsWindow(hWnd));
        EXPECT_FALSE(PostMessage(hWnd, WM_USER, 1, 2));
        EXPECT_EQ(SendMessage(hWnd, WM_USER, 1, 2), 0);
    }
}

TEST_F(MessageTest, SendFromUiThreadRunsAtOnce) {
    RecordingTarget target;
    EXPECT_TRUE(IsUiThread());
    EXPECT_EQ(SendMessage(target.GetSafeHwnd(), WM_USER, 40, 2), 42);
    ASSERT_EQ(target.Log().size(), 1u);
    EXPECT_EQ(PumpMessages(), 0u);
}

TEST_F(MessageTest, SendFromWorkerWaitsForThePumpAndReturnsTheResult) {
    RecordingTarget target;
    std::atomic<bool> done{false};
    LRESULT result = 0;
    std::thread worker([&] {
        EXPECT_FALSE(IsUiThread());
        result = SendMessage(target.GetSafeHwnd(), WM_USER + 1, 40, 2);
        done = true;
    });
    PumpMessagesFor(5000, [&] { return done.load(); });
    worker.join();
    EXPECT_EQ(result, 42);
    auto log = target.Log();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].thread, std::this_thread::get_id());
}

TEST_F(MessageTest, MessagesTakenOnTheSendingThreadRunThereWithoutAPump) {
    RecordingTarget target;
    TakeOnSendingThread(target.GetSafeHwnd(), {WM_USER + 2});
    EXPECT_EQ(MessagesTakenOnSendingThread(target.GetSafeHwnd()), std::vector<UINT>{WM_USER + 2});
    std::thread::id worker;
    std::atomic<bool> taken{false}, other{false};
    std::thread sender([&] {
        worker = std::this_thread::get_id();
        EXPECT_EQ(SendMessage(target.GetSafeHwnd(), WM_USER + 2, 40, 2), 42);
        taken = true;
        EXPECT_EQ(SendMessage(target.GetSafeHwnd(), WM_USER + 3, 1, 1), 2); // waits for the pump
        other = true;
    });
    for (int waited = 0; waited < 5000 && !taken.load(); ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_TRUE(taken.load()) << "the first send needs no pump";
    PumpMessagesFor(5000, [&] { return other.load(); });
    sender.join();
    const auto log = target.Log();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].thread, worker);
    EXPECT_EQ(log[1].thread, std::this_thread::get_id());
    EXPECT_EQ(SendMessage(target.GetSafeHwnd(), WM_USER + 2, 1, 0), 1) << "from this thread at once";

    const HWND gone = [] {
        RecordingTarget temporary;
        TakeOnSendingThread(temporary.GetSafeHwnd(), {WM_USER});
        return temporary.GetSafeHwnd();
    }();
    EXPECT_TRUE(MessagesTakenOnSendingThread(gone).empty());
}

TEST_F(MessageTest, QueuedPostsToADestroyedTargetAreDropped) {
    auto log = std::make_shared<std::vector<Delivered>>();
    auto target = std::make_unique<RecordingTarget>(log);
    ASSERT_TRUE(PostMessage(target->GetSafeHwnd(), WM_USER));
    target.reset();
    RecordingTarget other;
    ASSERT_TRUE(PostMessage(other.GetSafeHwnd(), WM_USER + 2));
    EXPECT_EQ(PumpMessages(), 2u);
    EXPECT_TRUE(log->empty());
    EXPECT_EQ(other.Log().size(), 1u);
}

// The sender may reach the queue before or after the target goes: either
// way it gets 0 and nothing reaches the freed target.
TEST_F(MessageTest, SendToATargetDestroyedWhileTheSenderWaitsReturnsZero) {
    auto log = std::make_shared<std::vector<Delivered>>();
    auto target = std::make_unique<RecordingTarget>(log);
    HWND hWnd = target->GetSafeHwnd();
    Event sending;
    LRESULT result = -1;
    std::thread worker([&] {
        sending.Set();
        result = SendMessage(hWnd, WM_USER, 1, 1);
    });
    sending.Wait(5000);
    std::this_thread::yield();
    target.reset();
    worker.join(); // does not need a pump: the destruction ended the wait
    PumpMessages();
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(log->empty());
}

// A target destroyed on another thread while its handler runs: the
// destruction waits for the handler, which still uses the target's members.
TEST_F(MessageTest, DestructionWaitsForAHandlerRunningElsewhere) {
    class SlowTarget : public MessageTarget {
    public:
        ~SlowTarget() override {
            UnregisterTarget();
            m_handlerDoneAtDestruction = m_handlerDone.load();
        }
        LRESULT WindowProc(UINT, WPARAM, LPARAM) override {
            m_entered.Set();
            m_release.Wait(5000);
            m_values.assign(1000, 7); // members still alive
            m_handlerDone = true;
            return 1;
        }
        Event m_entered, m_release;
        std::vector<int> m_values;
        std::atomic<bool> m_handlerDone{false};
        std::atomic<bool>& m_handlerDoneAtDestruction;
        explicit SlowTarget(std::atomic<bool>& doneAtDestruction)
            : m_handlerDoneAtDestruction(doneAtDestruction) {}
    };
    std::atomic<bool> handlerDoneAtDestruction{false};
    auto* target = new SlowTarget(handlerDoneAtDestruction);
    PostMessage(target->GetSafeHwnd(), WM_USER);
    std::thread destroyer([&] {
        target->m_entered.Wait(5000);
        Event& release = target->m_release;
        std::thread releaser([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            release.Set();
        });
        delete target;
        releaser.join();
    });
    PumpMessagesFor(5000, [&] { return handlerDoneAtDestruction.load(); });
    destroyer.join();
    EXPECT_TRUE(handlerDoneAtDestruction);
}

TEST_F(MessageTest, TargetMayDestroyItselfInItsHandler) {
    struct SelfDestroying : MessageTarget {
        LRESULT WindowProc(UINT, WPARAM, LPARAM) override {
            delete this;
            return 5;
        }
    };
    auto* target = new SelfDestroying;
    HWND hWnd = target->GetSafeHwnd();
    EXPECT_EQ(SendMessage(hWnd, WM_USER), 5);
    EXPECT_FALSE(IsWindow(hWnd));
}

TEST_F(MessageTest, HandlersMayPostSendAndPumpAgain) {
    struct Chain : MessageTarget {
        std::vector<UINT> seen;
        LRESULT WindowProc(UINT message, WPARAM, LPARAM) override {
            seen.push_back(message);
            if (message == WM_USER) {
                PostMessage(GetSafeHwnd(), WM_USER + 2);
                SendMessage(GetSafeHwnd(), WM_USER + 1);
                PumpMessages();
            }
            return 0;
        }
    } target;
    PostMessage(target.GetSafeHwnd(), WM_USER);
    PumpMessages();
    EXPECT_EQ(target.seen, (std::vector<UINT>{WM_USER, WM_USER + 1, WM_USER + 2}));
}

TEST_F(MessageTest, PumpForStopsWhenDoneHolds) {
    RecordingTarget target;
    std::thread poster([&] {
        for (int i = 0; i < 3; ++i) {
            PostMessage(target.GetSafeHwnd(), WM_USER + i);
        }
    });
    // Far below the 60 s limit unless the predicate is ignored.
    auto start = std::chrono::steady_clock::now();
    PumpMessagesFor(60000, [&] { return target.Log().size() == 3; });
    poster.join();
    EXPECT_EQ(target.Log().size(), 3u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
}

TEST_F(MessageTest, AnotherThreadBecomesTheUiThreadWhenItPumps) {
    RecordingTarget target;
    std::thread ui([&] {
        SetUiThread();
        EXPECT_TRUE(IsUiThread());
        EXPECT_EQ(SendMessage(target.GetSafeHwnd(), WM_USER, 1, 1), 2);
    });
    ui.join();
    EXPECT_FALSE(IsUiThread());
    SetUiThread();
    EXPECT_TRUE(IsUiThread());
}

TEST(RegisterWindowMessageTest, SameTextSameNumberInTheRegisteredRange) {
    EXPECT_EQ(RegisterWindowMessage(""), 0u);
    std::vector<std::string> texts;
    for (int i = 0; i < 20; ++i) {
        texts.push_back("QvTestMessage" + std::to_string(i));
    }
    std::vector<UINT> numbers[4];
    std::thread threads[4];
    for (int t = 0; t < 4; ++t) {
        threads[t] = std::thread([&, t] {
            for (const auto& text : texts) {
                numbers[t].push_back(RegisterWindowMessage(text));
            }
        });
    }
    for (auto& t : threads) {
        t.join();
    }
    std::set<UINT> distinct(numbers[0].begin(), numbers[0].end());
    EXPECT_EQ(distinct.size(), texts.size());
    for (UINT n : numbers[0]) {
        EXPECT_GE(n, 0xC000u);
        EXPECT_LE(n, 0xFFFFu);
    }
    for (int t = 1; t < 4; ++t) {
        EXPECT_EQ(numbers[t], numbers[0]);
    }
    EXPECT_EQ(RegisterWindowMessage("QvTestMessage3"), numbers[0][3]);
    EXPECT_NE(RegisterWindowMessage("qvtestmessage3"), numbers[0][3]);
}
