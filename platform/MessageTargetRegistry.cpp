// Registration of message targets and delivery to the live ones.
#include "platform/MessageTargetRegistry.h"

#include "platform/PendingSend.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <vector>

namespace platform {

MessageTargetRegistry& MessageTargetRegistry::Instance() {
    // Never destroyed: threads may still post while the process exits.
    static auto* registry = new MessageTargetRegistry;
    return *registry;
}

HWND MessageTargetRegistry::Register(MessageTarget* target) {
    std::lock_guard<std::mutex> lock(m_mutex);
    HWND hWnd = m_nextHandle++;
    m_targets.emplace(hWnd, target);
    return hWnd;
}

bool MessageTargetRegistry::DeliveredElsewhere(HWND hWnd) const {
    auto self = std::this_thread::get_id();
    for (const Delivery& d : m_deliveries) {
        if (d.hWnd == hWnd && d.thread != self) {
            return true;
        }
    }
    return false;
}

void MessageTargetRegistry::Unregister(HWND hWnd) {
    std::vector<std::shared_ptr<PendingSend>> cancelled;
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_targets.erase(hWnd);
        m_sendingThreadMessages.erase(hWnd);
        // The target's memory must outlive a WindowProc running on another
        // thread. A delivery on this thread (a target destroying itself in
        // its own handler) is not waited for.
        bool warned = false;
        while (!m_deliveryEnded.wait_for(lock, std::chrono::seconds(1),
                                         [&] { return !DeliveredElsewhere(hWnd); })) {
            if (!warned) {
                std::fprintf(stderr, "message target %llu: destruction waits for its handler\n",
                             static_cast<unsigned long long>(hWnd));
                warned = true;
            }
        }
        auto range = m_pendingSends.equal_range(hWnd);
        for (auto it = range.first; it != range.second; ++it) {
            if (auto send = it->second.lock()) {
                cancelled.push_back(std::move(send));
            }
        }
        m_pendingSends.erase(hWnd);
    }
    for (auto& send : cancelled) {
        send->Cancel();
    }
}

bool MessageTargetRegistry::Contains(HWND hWnd) {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_targets.count(hWnd) != 0;
}

LRESULT MessageTargetRegistry::Deliver(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    MessageTarget* target = nullptr;
    std::list<Delivery>::iterator delivery;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto it = m_targets.find(hWnd);
        if (it == m_targets.end()) {
            return 0;
        }
        target = it->second;
        delivery = m_deliveries.insert(m_deliveries.end(), Delivery{hWnd, std::this_thread::get_id()});
    }
    LRESULT result = 0;
    try {
        result = target->WindowProc(message, wParam, lParam);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "message 0x%x: handler failed: %s\n", message, e.what());
    } catch (...) {
        std::fprintf(stderr, "message 0x%x: handler failed\n", message);
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_deliveries.erase(delivery);
    }
    m_deliveryEnded.notify_all();
    return result;
}

void MessageTargetRegistry::SetSendingThreadMessages(HWND hWnd, const std::vector<UINT>& messages) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_targets.count(hWnd) == 0)
        return;
    if (messages.empty())
        m_sendingThreadMessages.erase(hWnd);
    else
        m_sendingThreadMessages[hWnd] = messages;
}

std::vector<UINT> MessageTargetRegistry::GetSendingThreadMessages(HWND hWnd) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto it = m_sendingThreadMessages.find(hWnd);
    return it != m_sendingThreadMessages.end() ? it->second : std::vector<UINT>{};
}

bool MessageTargetRegistry::TakesOnSendingThread(HWND hWnd, UINT message) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto it = m_sendingThreadMessages.find(hWnd);
    return it != m_sendingThreadMessages.end() &&
           std::find(it->second.begin(), it->second.end(), message) != it->second.end();
}

bool MessageTargetRegistry::AddPendingSend(HWND hWnd, const std::shared_ptr<PendingSend>& send) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_targets.count(hWnd) == 0) {
        return false;
    }
    m_pendingSends.emplace(hWnd, send);
    return true;
}

void MessageTargetRegistry::RemovePendingSend(HWND hWnd, const PendingSend* send) {
    std::lock_guard<std::mutex> lock(m_mutex);
    // Expired entries (senders that have gone) are swept on the way.
    auto [it, end] = m_pendingSends.equal_range(hWnd);
    while (it != end) {
        auto held = it->second.lock();
        it = (!held || held.get() == send) ? m_pendingSends.erase(it) : std::next(it);
    }
}

} // namespace platform
