// Queued calls into the Qt event loop for posted and sent window messages.
#include "platform/qt/QtMessageDispatcher.h"

#include "platform/PendingSend.h"

#include <QMetaObject>
#include <QThread>

#include <algorithm>

namespace platform {

QtMessageDispatcher::QtMessageDispatcher(QObject* parent)
    : QObject(parent), m_uiThread(QThread::currentThread()) {}

QtMessageDispatcher::~QtMessageDispatcher() {
    if (GetMessageDispatcher() == this) {
        SetMessageDispatcher(nullptr);
    }
    // Their queued calls die with this object: release the senders.
    std::vector<std::weak_ptr<PendingSend>> sends;
    {
        std::lock_guard<std::mutex> lock(m_sendsMutex);
        sends.swap(m_sends);
    }
    for (auto& weak : sends) {
        if (auto send = weak.lock()) {
            send->Cancel();
        }
    }
}

bool QtMessageDispatcher::IsUiThread() const {
    return QThread::currentThread() == m_uiThread;
}

void QtMessageDispatcher::Post(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    QMetaObject::invokeMethod(
        this, [hWnd, message, wParam, lParam] { DeliverMessage(hWnd, message, wParam, lParam); },
        Qt::QueuedConnection);
}

LRESULT QtMessageDispatcher::SendFromOtherThread(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    // A queued call plus a wait that the target's or this object's end
    // cancels, rather than a blocking queued call that nothing could cancel.
    auto send = PendingSend::Create(hWnd, message, wParam, lParam);
    if (!send) {
        return 0;
    }
    Track(send);
    QMetaObject::invokeMethod(
        this, [send] { send->Deliver(); }, Qt::QueuedConnection);
    return send->Wait();
}

void QtMessageDispatcher::Track(const std::shared_ptr<PendingSend>& send) {
    std::lock_guard<std::mutex> lock(m_sendsMutex);
    std::erase_if(m_sends, [](const std::weak_ptr<PendingSend>& weak) { return weak.expired(); });
    m_sends.push_back(send);
}

std::size_t QtMessageDispatcher::WaitingSends() {
    std::lock_guard<std::mutex> lock(m_sendsMutex);
    return std::count_if(m_sends.begin(), m_sends.end(), [](const std::weak_ptr<PendingSend>& weak) {
        auto send = weak.lock();
        return send && !send->IsDone();
    });
}

} // namespace platform
