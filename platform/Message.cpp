// Posting and sending window messages to message targets, registered
// message numbers, and the choice of dispatcher.
#include "platform/Message.h"

#include "platform/MessageQueueDispatcher.h"
#include "platform/MessageTargetRegistry.h"
#include "platform/TimerService.h"

#include <atomic>
#include <mutex>
#include <unordered_map>

namespace platform {

namespace {

std::atomic<MessageDispatcher*> g_dispatcher{nullptr}; // nullptr: the default queue

// Registered message numbers in use, by text.
class RegisteredMessages {
public:
    UINT Register(const std::string& text) {
        if (text.empty()) {
            return 0;
        }
        std::lock_guard<std::mutex> lock(m_mutex);
        auto it = m_numbers.find(text);
        if (it != m_numbers.end()) {
            return it->second;
        }
        if (m_next > kLast) {
            return 0; // range used up, as Windows fails
        }
        return m_numbers[text] = m_next++;
    }

private:
    static constexpr UINT kLast = 0xFFFF;
    std::mutex m_mutex; // guards m_numbers and m_next
    std::unordered_map<std::string, UINT> m_numbers;
    UINT m_next = 0xC000;
};

} // namespace

MessageTarget::MessageTarget() : m_hWnd(MessageTargetRegistry::Instance().Register(this)) {}

MessageTarget::~MessageTarget() {
    UnregisterTarget();
}

void MessageTarget::UnregisterTarget() {
    MessageTargetRegistry::Instance().Unregister(m_hWnd);
}

bool IsWindow(HWND hWnd) {
    return hWnd != 0 && MessageTargetRegistry::Instance().Contains(hWnd);
}

bool PostMessage(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!IsWindow(hWnd)) {
        return false;
    }
    GetMessageDispatcher()->Post(hWnd, message, wParam, lParam);
    return true;
}

LRESULT SendMessage(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!IsWindow(hWnd)) {
        return 0;
    }
    MessageDispatcher* dispatcher = GetMessageDispatcher();
    if (dispatcher->IsUiThread() || MessageTargetRegistry::Instance().TakesOnSendingThread(hWnd, message)) {
        return DeliverMessage(hWnd, message, wParam, lParam);
    }
    return dispatcher->SendFromOtherThread(hWnd, message, wParam, lParam);
}

void TakeOnSendingThread(HWND hWnd, const std::vector<UINT>& messages) {
    MessageTargetRegistry::Instance().SetSendingThreadMessages(hWnd, messages);
}

std::vector<UINT> MessagesTakenOnSendingThread(HWND hWnd) {
    return MessageTargetRegistry::Instance().GetSendingThreadMessages(hWnd);
}

UINT RegisterWindowMessage(const std::string& text) {
    static auto* registered = new RegisteredMessages;
    return registered->Register(text);
}

LRESULT DeliverMessage(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER) {
        // Lets the timer queue the next tick of this timer.
        TimerService::Instance().NoteDelivered(hWnd, wParam);
    }
    return MessageTargetRegistry::Instance().Deliver(hWnd, message, wParam, lParam);
}

void SetMessageDispatcher(MessageDispatcher* dispatcher) {
    if (dispatcher == nullptr) {
        MessageQueueDispatcher::Instance().MakeCurrentThreadUiThread();
    }
    g_dispatcher.store(dispatcher);
}

MessageDispatcher* GetMessageDispatcher() {
    MessageDispatcher* dispatcher = g_dispatcher.load();
    return dispatcher ? dispatcher : &MessageQueueDispatcher::Instance();
}

bool IsUiThread() {
    return GetMessageDispatcher()->IsUiThread();
}

std::size_t PumpMessages() {
    return MessageQueueDispatcher::Instance().Pump();
}

std::size_t PumpMessagesFor(std::uint32_t milliseconds) {
    return MessageQueueDispatcher::Instance().PumpFor(milliseconds, nullptr);
}

std::size_t PumpMessagesFor(std::uint32_t milliseconds, const std::function<bool()>& done) {
    return MessageQueueDispatcher::Instance().PumpFor(milliseconds, done);
}

void SetUiThread() {
    MessageQueueDispatcher::Instance().MakeCurrentThreadUiThread();
}

} // namespace platform
