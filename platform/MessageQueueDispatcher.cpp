// Hand-pumped delivery of posted and sent messages on the user-interface thread.
#include "platform/MessageQueueDispatcher.h"

#include "platform/PendingSend.h"

#include <algorithm>
#include <chrono>
#include <sys/syscall.h>
#include <unistd.h>

namespace platform {

MessageQueueDispatcher& MessageQueueDispatcher::Instance() {
    // Never destroyed: threads may still post while the process exits.
    static auto* dispatcher = new MessageQueueDispatcher;
    return *dispatcher;
}

bool MessageQueueDispatcher::IsUiThread() const {
    std::thread::id ui = m_uiThread.load();
    if (ui == std::thread::id()) {
        return static_cast<pid_t>(::syscall(SYS_gettid)) == ::getpid();
    }
    return ui == std::this_thread::get_id();
}

void MessageQueueDispatcher::Enqueue(Item item) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_queue.push_back(std::move(item));
    }
    m_arrived.notify_all();
}

void MessageQueueDispatcher::Post(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Enqueue(Item{hWnd, message, wParam, lParam, nullptr});
}

LRESULT MessageQueueDispatcher::SendFromOtherThread(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto send = PendingSend::Create(hWnd, message, wParam, lParam);
    if (!send) {
        return 0;
    }
    Enqueue(Item{hWnd, message, wParam, lParam, send});
    return send->Wait();
}

bool MessageQueueDispatcher::TakeOne(Item& item) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_queue.empty()) {
        return false;
    }
    item = std::move(m_queue.front());
    m_queue.pop_front();
    return true;
}

void MessageQueueDispatcher::Dispatch(const Item& item) {
    if (item.send) {
        item.send->Deliver();
    } else {
        DeliverMessage(item.hWnd, item.message, item.wParam, item.lParam);
    }
}

std::size_t MessageQueueDispatcher::Pump() {
    MakeCurrentThreadUiThread();
    std::size_t delivered = 0;
    Item item;
    // One at a time and outside the lock: handlers post, send and pump too.
    while (TakeOne(item)) {
        Dispatch(item);
        item = Item{};
        ++delivered;
    }
    return delivered;
}

std::size_t MessageQueueDispatcher::PumpFor(std::uint32_t milliseconds, const std::function<bool()>& done) {
    using Clock = std::chrono::steady_clock;
    // With a predicate the wait is sliced, as done() may turn true without a message.
    constexpr auto kSlice = std::chrono::milliseconds(5);
    const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    std::size_t delivered = 0;
    while (true) {
        delivered += Pump();
        if ((done && done()) || Clock::now() >= deadline) {
            return delivered;
        }
        std::unique_lock<std::mutex> lock(m_mutex);
        auto until = done ? std::min(deadline, Clock::now() + kSlice) : deadline;
        m_arrived.wait_until(lock, until, [this] { return !m_queue.empty(); });
    }
}

} // namespace platform
