// The spectrum worker: transforms and appends, one job at a time, in order.
#include "libs/spectrum/SpectrumWorker.h"

#include "libs/spectrum/SpectrumFile.h"
#include "platform/Text.h"

#include <chrono>
#include <new>
#include <utility>

namespace lurrow {

SpectrumMap ComputeSpectra(const TimeData& data, int n) {
    SpectrumMap spectra;
    const int lines = SpectralLineCount(n);
    if (lines < 1)
        return spectra;
    for (const auto& [channel, values] : data) {
        if (values.size() < static_cast<std::size_t>(n))
            continue;
        Spectrum spectrum(static_cast<std::size_t>(lines));
        if (ComputeSpectrumLines(values.data(), n, lines, spectrum.data()))
            spectra.emplace(channel, std::move(spectrum));
    }
    return spectra;
}

CSpectrumWorker::CSpectrumWorker(std::function<void()> onPublished) : m_onPublished(std::move(onPublished)) {
    m_thread = std::thread([this] { Run(); });
}

CSpectrumWorker::~CSpectrumWorker() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bStop = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

bool CSpectrumWorker::QueueBlock(std::shared_ptr<const TimeData> data, int n) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_nQueuedBlocks >= kMaxQueuedBlocks) {
            ++m_nDroppedBlocks;
            m_reports.push_back("频谱计算落后，丢弃一块数据");
            return false;
        }
        m_queue.push_back(Job{std::move(data), n, {}, {}});
        ++m_nQueuedBlocks;
    }
    m_wake.notify_one();
    return true;
}

void CSpectrumWorker::QueueSave(const std::string& path, const std::string& name) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_queue.push_back(Job{nullptr, 0, path, name});
    }
    m_wake.notify_one();
}

std::shared_ptr<const SpectrumMap> CSpectrumWorker::TakePublished() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return std::move(m_pPublished);
}

bool CSpectrumWorker::WaitIdle(int timeoutMs) {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_idle.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                           [this] { return m_queue.empty() && !m_bBusy; });
}

std::uint64_t CSpectrumWorker::GetDroppedBlocks() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_nDroppedBlocks;
}

std::uint64_t CSpectrumWorker::GetRefusedSaves() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_nRefusedSaves;
}

std::vector<std::string> CSpectrumWorker::TakeReports() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return std::exchange(m_reports, {});
}

void CSpectrumWorker::Report(std::string text, bool refusedSave) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (refusedSave)
        ++m_nRefusedSaves;
    m_reports.push_back(std::move(text));
}

void CSpectrumWorker::Save(const Job& job) {
    if (!m_pLatest)
        return;
    for (const auto& [channel, spectrum] : *m_pLatest) {
        const std::string file = FftFileName(job.path, job.name, channel);
        const AppendResult result = AppendFftBlock(file, spectrum);
        if (result == AppendResult::PartialBlock)
            Report(platform::Format("频谱文件含不完整的数据块，未追加: %s", file.c_str()), true);
        else if (result == AppendResult::Failed)
            Report(platform::Format("频谱文件写入失败: %s", file.c_str()), true);
    }
}

void CSpectrumWorker::Run() {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_bStop || !m_queue.empty(); });
        if (m_queue.empty()) {
            return; // stopping with nothing left to do
        }
        Job job = std::move(m_queue.front());
        m_queue.pop_front();
        m_bBusy = true;
        lock.unlock();
        const bool isBlock = job.data != nullptr;
        bool published = false;
        if (isBlock) {
            try {
                m_pLatest = std::make_shared<const SpectrumMap>(ComputeSpectra(*job.data, job.n));
            } catch (const std::bad_alloc&) {
                m_pLatest.reset();
                Report("频谱计算内存不足", false);
            }
            job.data.reset();
            published = m_pLatest != nullptr;
        } else {
            Save(job);
        }
        lock.lock();
        if (published)
            m_pPublished = m_pLatest;
        if (isBlock)
            --m_nQueuedBlocks;
        m_bBusy = false;
        if (m_queue.empty())
            m_idle.notify_all();
        if (published && m_onPublished) {
            lock.unlock();
            m_onPublished();
            lock.lock();
        }
    }
}

} // namespace lurrow
