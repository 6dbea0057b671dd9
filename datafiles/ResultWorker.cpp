// Result workers and the registry that keeps one per project and kind.
#include "datafiles/ResultWorker.h"

#include <mutex>
#include <set>

namespace {

std::mutex g_busyMutex;           // guards g_busyKeys
std::set<std::string> g_busyKeys; // project keys with a running worker

bool Claim(const std::string& key) {
    std::lock_guard<std::mutex> lock(g_busyMutex);
    return g_busyKeys.insert(key).second;
}

void Free(const std::string& key) {
    std::lock_guard<std::mutex> lock(g_busyMutex);
    g_busyKeys.erase(key);
}

} // namespace

std::string ResultStatusText(ResultStatus status) {
    switch (status) {
    case ResultStatus::ParamOutOfRange:
        return "参数超出范围，请重新设置！";
    case ResultStatus::DataFileError:
        return "数据文件读取失败！";
    case ResultStatus::Busy:
        return "计算正在进行中！";
    default:
        return std::string();
    }
}

CResultWorker::~CResultWorker() {
    Cancel();
    Join();
}

void CResultWorker::Join() {
    if (m_thread.joinable())
        m_thread.join();
}

bool CResultWorker::Start(const std::string& key, platform::HWND owner, Job job) {
    if (m_running || !Claim(key))
        return false;
    Join();
    m_key = key;
    m_cancel = false;
    m_running = true;
    m_finished.Reset();
    m_thread = std::thread([this, owner, job = std::move(job)] {
        const ResultStatus status = job(m_cancel);
        m_status = status;
        Free(m_key);
        m_running = false;
        m_finished.Set();
        // Posted, not sent: the owner's thread may be waiting for this one.
        platform::PostMessage(owner, WM_RESULT_CALC_DONE, platform::WPARAM(status), 0);
    });
    return true;
}

bool CResultWorker::Wait(std::uint32_t milliseconds) {
    if (!m_running && !m_thread.joinable())
        return true;
    return m_finished.Wait(milliseconds) == platform::WAIT_OBJECT_0;
}
