// The process-wide message box, its default answers and the test recorder.
#include "platform/MessageBox.h"
#include "platform/MessageBoxCount.h"

#include <atomic>
#include <cstdio>

namespace platform {

namespace {

std::atomic<MessageBoxHandler*> g_handler{nullptr};

struct BoxRequest {
    const std::string& text;
    const std::string& caption;
    UINT flags;
};

std::atomic<std::size_t> g_shown{0};

int ShowHere(const std::string& text, const std::string& caption, UINT flags) {
    g_shown.fetch_add(1);
    if (MessageBoxHandler* handler = g_handler.load()) {
        return handler->Show(text, caption, flags);
    }
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    return MessageBoxDefaultAnswer(flags);
}

// The target through which other threads reach the user-interface thread.
class MessageBoxRelay : public MessageTarget {
public:
    static constexpr UINT kShow = WM_USER;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message != kShow) {
            return 0;
        }
        const auto* request = reinterpret_cast<const BoxRequest*>(lParam);
        return ShowHere(request->text, request->caption, request->flags);
    }
};

} // namespace

std::vector<int> MessageBoxButtons(UINT flags) {
    switch (flags & MB_TYPEMASK) {
    case MB_OKCANCEL:
        return {IDOK, IDCANCEL};
    case MB_YESNOCANCEL:
        return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO:
        return {IDYES, IDNO};
    default:
        return {IDOK};
    }
}

int MessageBoxDefaultAnswer(UINT flags) {
    std::vector<int> buttons = MessageBoxButtons(flags);
    std::size_t index = (flags & MB_DEFMASK) >> 8;
    return index < buttons.size() ? buttons[index] : buttons.front();
}

void SetMessageBoxHandler(MessageBoxHandler* handler) {
    g_handler.store(handler);
}

MessageBoxHandler* GetMessageBoxHandler() {
    return g_handler.load();
}

std::size_t MessageBoxesShown() {
    return g_shown.load();
}

int MessageBox(const std::string& text, const std::string& caption, UINT flags) {
    if (IsUiThread()) {
        return ShowHere(text, caption, flags);
    }
    // Never destroyed: a worker may ask while the process winds down.
    static auto* relay = new MessageBoxRelay;
    BoxRequest request{text, caption, flags};
    return static_cast<int>(
        SendMessage(relay->GetSafeHwnd(), MessageBoxRelay::kShow, 0, reinterpret_cast<LPARAM>(&request)));
}

MessageBoxRecorder::MessageBoxRecorder() : m_previous(GetMessageBoxHandler()) {
    SetMessageBoxHandler(this);
}

MessageBoxRecorder::~MessageBoxRecorder() {
    SetMessageBoxHandler(m_previous);
}

void MessageBoxRecorder::QueueAnswer(int answer) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_answers.push_back(answer);
}

std::vector<MessageBoxRecorder::Record> MessageBoxRecorder::Records() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_records;
}

int MessageBoxRecorder::Show(const std::string& text, const std::string& caption, UINT flags) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_records.push_back(Record{text, caption, flags});
    if (m_answers.empty()) {
        return MessageBoxDefaultAnswer(flags);
    }
    int answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

} // namespace platform
