// Hands a worker thread's messages to the owner window through a target of
// the driver's own. A worker waiting in such a send can be released by
// destroying the relay, so the user-interface thread never waits without a
// limit for a worker that waits for it.
#pragma once

#include "platform/Message.h"

#include <atomic>
#include <memory>

class COwnerRelay : public platform::MessageTarget {
public:
    explicit COwnerRelay(platform::HWND owner) : m_hOwner(owner) {}

    // Runs on the user-interface thread, where a send to the owner runs at
    // once; the messages the owner takes on the sending thread run on the worker.
    platform::LRESULT WindowProc(platform::UINT message, platform::WPARAM wParam,
                                 platform::LPARAM lParam) override {
        return platform::SendMessage(m_hOwner, message, wParam, lParam);
    }

private:
    platform::HWND m_hOwner;
};

// A relay that a worker reads and the user-interface thread replaces.
class COwnerRelaySlot {
public:
    void Open(platform::HWND owner) {
        Close();
        m_relay = std::make_unique<COwnerRelay>(owner);
        platform::TakeOnSendingThread(m_relay->GetSafeHwnd(), platform::MessagesTakenOnSendingThread(owner));
        m_hRelay = m_relay->GetSafeHwnd();
    }
    // Cancels a send to the relay that is still waiting.
    void Close() {
        m_hRelay = 0;
        m_relay.reset();
    }
    // The relay, or fallback when none is open.
    platform::HWND Target(platform::HWND fallback) const {
        const platform::HWND relay = m_hRelay.load();
        return relay ? relay : fallback;
    }

private:
    std::unique_ptr<COwnerRelay> m_relay; // replaced only by the user-interface thread
    std::atomic<platform::HWND> m_hRelay{0};
};
