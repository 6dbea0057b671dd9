// A management thread: runs one long operation of one case link (case
// information, channel information, start of a run) on its own thread, fed
// by a thread message. Its handler holds the link by shared ownership, so a
// thread that outlives its wait never reaches a freed link.
#pragma once

#include "platform/WorkerThread.h"

#include <atomic>
#include <memory>

class CCaseLink;

class CManageThread {
public:
    static constexpr platform::UINT kReadCaseInfo = 0x865;
    static constexpr platform::UINT kStartSampling = 0x866;
    static constexpr platform::UINT kReadChannelInfo = 0x8D4;

    // The block posted with an operation; owned and freed by the thread.
    struct Block {
        std::shared_ptr<CCaseLink> link;
        std::int32_t nArg1 = 0, nArg2 = 0;
    };

    CManageThread();
    ~CManageThread();

    bool Start();
    // Posts the operation; false when the thread does not run (block not taken).
    bool PostOperation(platform::UINT message, Block* block);
    bool IsBusy() const { return m_pBusy->load() != 0; }
    // Asks the thread to end and waits up to the time; false when it still runs.
    bool Quit(std::uint32_t milliseconds);

private:
    std::shared_ptr<std::atomic<std::int32_t>> m_pBusy; // 1 from construction until an operation ends
    platform::WorkerThread m_thread;
};
