// Delivers window messages on the Qt user-interface thread. A program
// creates one on that thread after its QApplication and installs it with
// SetMessageDispatcher for the rest of its life.
#pragma once

#include "platform/Message.h"

#include <QObject>

#include <memory>
#include <mutex>
#include <vector>

class QThread;

namespace platform {

class PendingSend;

class QtMessageDispatcher : public QObject, public MessageDispatcher {
public:
    explicit QtMessageDispatcher(QObject* parent = nullptr);
    // Uninstalls itself if installed; senders still waiting get 0.
    ~QtMessageDispatcher() override;

    bool IsUiThread() const override;
    void Post(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT SendFromOtherThread(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) override;

    // Sends from other threads not yet answered.
    std::size_t WaitingSends();

private:
    void Track(const std::shared_ptr<PendingSend>& send);

    QThread* const m_uiThread;
    std::mutex m_sendsMutex; // guards m_sends
    std::vector<std::weak_ptr<PendingSend>> m_sends;
};

} // namespace platform
