// The library's worker thread: computes the spectra of each handed-over
// block and appends them to the ".fft" files, in the order of the calls.
// The user-interface thread only queues copies and takes finished spectra;
// a queue that is full drops the new block and counts it.
#pragma once

#include "libs/spectrum/SpectrumMath.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace lurrow {

using TimeData = std::map<int, std::vector<float>>;
using SpectrumMap = std::map<int, Spectrum>;

// The spectra of one block: every channel whose time vector holds at least
// n samples (the first n of them, mean removed, L bins kept); none when n is
// not a block size the bar offers.
LURROW_API SpectrumMap ComputeSpectra(const TimeData& data, int n);

class LURROW_API CSpectrumWorker {
public:
    static constexpr std::size_t kMaxQueuedBlocks = 4;

    // onPublished runs on the worker thread after new spectra are ready.
    explicit CSpectrumWorker(std::function<void()> onPublished = {});
    // Finishes the queued work, then ends the thread.
    ~CSpectrumWorker();
    CSpectrumWorker(const CSpectrumWorker&) = delete;
    CSpectrumWorker& operator=(const CSpectrumWorker&) = delete;

    // False when the queue is full: the block is dropped and counted.
    bool QueueBlock(std::shared_ptr<const TimeData> data, int n);
    // Appends the spectra of the last queued block to the project's files.
    void QueueSave(const std::string& path, const std::string& name);
    // The newest spectra published since the last take; nullptr when none.
    std::shared_ptr<const SpectrumMap> TakePublished();
    // Waits up to timeoutMs for the queue to run empty; false on time-out.
    bool WaitIdle(int timeoutMs);

    std::uint64_t GetDroppedBlocks() const;
    std::uint64_t GetRefusedSaves() const;
    // What went wrong since the last call, one text a fault.
    std::vector<std::string> TakeReports();

private:
    struct Job {
        std::shared_ptr<const TimeData> data; // a block to transform, or
        int n = 0;
        std::string path, name; // a save of the last block's spectra
    };
    void Run();
    void Save(const Job& job);
    void Report(std::string text, bool refusedSave);

    std::function<void()> m_onPublished;
    mutable std::mutex m_mutex;     // guards every member below
    std::condition_variable m_wake; // the worker waits here for jobs and stop
    std::condition_variable m_idle; // WaitIdle waits here for an empty queue
    std::deque<Job> m_queue;
    std::size_t m_nQueuedBlocks = 0;
    bool m_bBusy = false;
    bool m_bStop = false;
    std::shared_ptr<const SpectrumMap> m_pPublished;
    std::uint64_t m_nDroppedBlocks = 0;
    std::uint64_t m_nRefusedSaves = 0;
    std::vector<std::string> m_reports;
    // The worker thread's own: the spectra of the last block it transformed.
    std::shared_ptr<const SpectrumMap> m_pLatest;
    std::thread m_thread;
};

} // namespace lurrow
