// The default message dispatcher: a queue that the user-interface thread
// pumps by hand (tests, programs without windows).
#pragma once

#include "platform/Message.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace platform {

class PendingSend;

class MessageQueueDispatcher : public MessageDispatcher {
public:
    static MessageQueueDispatcher& Instance();

    bool IsUiThread() const override;
    void Post(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT SendFromOtherThread(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) override;

    void MakeCurrentThreadUiThread() { m_uiThread.store(std::this_thread::get_id()); }
    // Delivers until the queue is empty.
    std::size_t Pump();
    // Delivers as messages arrive until the time is up or done() holds.
    std::size_t PumpFor(std::uint32_t milliseconds, const std::function<bool()>& done);

private:
    struct Item {
        HWND hWnd;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        std::shared_ptr<PendingSend> send; // set for a send from another thread
    };
    void Enqueue(Item item);
    bool TakeOne(Item& item);
    static void Dispatch(const Item& item);

    std::mutex m_mutex; // guards m_queue
    std::condition_variable m_arrived;
    std::deque<Item> m_queue;
    std::atomic<std::thread::id> m_uiThread{}; // none yet: the process's main thread
};

} // namespace platform
