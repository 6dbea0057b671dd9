// Management threads of the network case driver.
#include "acquisition/ManageThread.h"

#include "acquisition/CaseLink.h"

CManageThread::CManageThread() : m_pBusy(std::make_shared<std::atomic<std::int32_t>>(1)) {
    auto busy = m_pBusy;
    m_thread.SetMessageHandler([busy](platform::UINT message, platform::WPARAM, platform::LPARAM lParam) {
        std::unique_ptr<Block> block(reinterpret_cast<Block*>(lParam));
        if (!block || !block->link)
            return;
        *busy = 1;
        switch (message) {
        case kReadCaseInfo:
            block->link->ReadCaseInfo();
            break;
        case kStartSampling:
            block->link->SendSampleStartCmd(1);
            break;
        case kReadChannelInfo:
            block->link->ReadChannelInfo();
            break;
        default:
            break;
        }
        block.reset();
        *busy = 0;
    });
    m_thread.SetDrainHandler([](const platform::ThreadMessage& msg) {
        if (msg.message != platform::WM_QUIT)
            delete reinterpret_cast<Block*>(msg.lParam);
    });
}

CManageThread::~CManageThread() {
    // The worker leaves a thread that does not end in time to finish alone.
    m_thread.SetDestroyTimeout(0);
}

bool CManageThread::Start() {
    return m_thread.Start();
}

bool CManageThread::PostOperation(platform::UINT message, Block* block) {
    return m_thread.PostThreadMessage(message, 0, reinterpret_cast<platform::LPARAM>(block));
}

bool CManageThread::Quit(std::uint32_t milliseconds) {
    return m_thread.Stop(milliseconds);
}
