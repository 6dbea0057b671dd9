// The process-wide table of live message targets by handle. Handles are
// never reused, so a message for a destroyed target finds nothing.
#pragma once

#include "platform/Message.h"

#include <condition_variable>
#include <list>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

namespace platform {

class PendingSend;

class MessageTargetRegistry {
public:
    static MessageTargetRegistry& Instance();

    HWND Register(MessageTarget* target);
    // Removes the target, waits for its deliveries running on other
    // threads and cancels the sends waiting for it. Idempotent.
    void Unregister(HWND hWnd);
    bool Contains(HWND hWnd);
    // Runs the target's WindowProc outside the lock; 0 when it has gone.
    LRESULT Deliver(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

    // The messages a live target takes on the sending thread.
    void SetSendingThreadMessages(HWND hWnd, const std::vector<UINT>& messages);
    std::vector<UINT> GetSendingThreadMessages(HWND hWnd);
    bool TakesOnSendingThread(HWND hWnd, UINT message);

    // false (nothing registered) when the target does not exist.
    bool AddPendingSend(HWND hWnd, const std::shared_ptr<PendingSend>& send);
    void RemovePendingSend(HWND hWnd, const PendingSend* send);

private:
    struct Delivery {
        HWND hWnd;
        std::thread::id thread;
    };
    bool DeliveredElsewhere(HWND hWnd) const;

    std::mutex m_mutex; // guards the tables below and m_nextHandle
    std::condition_variable m_deliveryEnded;
    std::unordered_map<HWND, MessageTarget*> m_targets;
    std::list<Delivery> m_deliveries; // WindowProc calls in progress
    std::unordered_multimap<HWND, std::weak_ptr<PendingSend>> m_pendingSends;
    std::unordered_map<HWND, std::vector<UINT>> m_sendingThreadMessages;
    HWND m_nextHandle = 1;
};

} // namespace platform
