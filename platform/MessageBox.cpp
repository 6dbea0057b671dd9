// The process-wide message box, its default answers and the test recorder.
#include "platform/MessageBox.h"
#include "platform/MessageBoxCount.h"

#include <atomic>
#include <cstdio>
#include <deque>
#include <mutex>

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

struct PostedBox {
    std::string text;
    std::string caption;
    UINT flags = 0;
};

// The target through which other threads reach the user-interface thread.
// Posted boxes wait in its queue rather than in the messages, so that none
// is lost with a message that is never delivered.
class MessageBoxRelay : public MessageTarget {
public:
    static constexpr UINT kShow = WM_USER;
    static constexpr UINT kShowPosted = WM_USER + 1;

    void Post(PostedBox box) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_posted.push_back(std::move(box));
        }
        PostMessage(GetSafeHwnd(), kShowPosted);
    }

    LRESULT WindowProc(UINT message, WPARAM, LPARAM lParam) override {
        if (message == kShow) {
            const auto* request = reinterpret_cast<const BoxRequest*>(lParam);
            return ShowHere(request->text, request->caption, request->flags);
        }
        if (message == kShowPosted) {
            PostedBox box;
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                if (m_posted.empty()) {
                    return 0;
                }
                box = std::move(m_posted.front());
                m_posted.pop_front();
            }
            ShowHere(box.text, box.caption, box.flags);
        }
        return 0;
    }

private:
    std::mutex m_mutex; // guards m_posted, the boxes not shown yet
    std::deque<PostedBox> m_posted;
};

MessageBoxRelay& Relay() {
    // Never destroyed: a worker may ask while the process winds down.
    static auto* relay = new MessageBoxRelay;
    return *relay;
}

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
    BoxRequest request{text, caption, flags};
    return static_cast<int>(
        SendMessage(Relay().GetSafeHwnd(), MessageBoxRelay::kShow, 0, reinterpret_cast<LPARAM>(&request)));
}

void PostMessageBox(const std::string& text, const std::string& caption, UINT flags) {
    Relay().Post(PostedBox{text, caption, flags});
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
