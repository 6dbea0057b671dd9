// The start-up worker.
#include "app/StartupWork.h"

#include "platform/Sync.h"

#include <atomic>

namespace {

constexpr platform::UINT kRunWork = platform::WM_USER + 1;

} // namespace

struct CStartupWork::Shared {
    Work work;
    std::shared_ptr<IStartProgress> progress;
    platform::HWND notify = 0;
    std::atomic<bool> done{false};
    platform::Event finished{true, false};
};

CStartupWork::CStartupWork() : m_shared(std::make_shared<Shared>()) {
    m_thread.SetDestroyTimeout(kStopTimeoutMs);
}

CStartupWork::~CStartupWork() {
    m_thread.Stop(kStopTimeoutMs);
}

bool CStartupWork::Start(Work work, std::shared_ptr<IStartProgress> progress, platform::HWND notify) {
    m_shared->work = std::move(work);
    m_shared->progress = std::move(progress);
    m_shared->notify = notify;
    std::shared_ptr<Shared> shared = m_shared;
    m_thread.SetMessageHandler([shared](platform::UINT message, platform::WPARAM, platform::LPARAM) {
        if (message != kRunWork) {
            return;
        }
        const int result = shared->work ? shared->work(shared->progress.get()) : 0;
        shared->done.store(true);
        shared->finished.Set();
        if (shared->notify != 0) {
            platform::PostMessage(shared->notify, WM_STARTUP_WORK_DONE,
                                  static_cast<platform::WPARAM>(result));
        }
    });
    return m_thread.Start() && m_thread.PostThreadMessage(kRunWork);
}

bool CStartupWork::IsDone() const {
    return m_shared->done.load();
}

bool CStartupWork::Wait(std::uint32_t milliseconds) {
    return m_shared->finished.Wait(milliseconds) == platform::WAIT_OBJECT_0;
}
