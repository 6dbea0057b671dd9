// Hand-over of one cross-thread SendMessage between sender and user-interface thread.
#include "platform/PendingSend.h"

#include "platform/MessageTargetRegistry.h"

namespace platform {

std::shared_ptr<PendingSend> PendingSend::Create(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto send = std::make_shared<PendingSend>(hWnd, message, wParam, lParam);
    // Registered with the target, so that its destruction cancels the wait.
    if (!MessageTargetRegistry::Instance().AddPendingSend(hWnd, send)) {
        return nullptr;
    }
    return send;
}

void PendingSend::Deliver() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_stage != Stage::Queued) {
            return;
        }
        m_stage = Stage::Running;
    }
    Finish(DeliverMessage(m_hWnd, m_message, m_wParam, m_lParam));
}

void PendingSend::Cancel() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_stage != Stage::Queued) {
            return;
        }
        m_stage = Stage::Running;
    }
    Finish(0);
}

void PendingSend::Finish(LRESULT result) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stage = Stage::Done;
    m_result = result;
    m_done.notify_all();
}

bool PendingSend::IsDone() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_stage == Stage::Done;
}

LRESULT PendingSend::Wait() {
    LRESULT result = 0;
    {
        // No time limit, as with SendMessage: the user-interface thread
        // never waits for a sender, and a vanished target cancels the wait.
        std::unique_lock<std::mutex> lock(m_mutex);
        m_done.wait(lock, [this] { return m_stage == Stage::Done; });
        result = m_result;
    }
    MessageTargetRegistry::Instance().RemovePendingSend(m_hWnd, this);
    return result;
}

} // namespace platform
