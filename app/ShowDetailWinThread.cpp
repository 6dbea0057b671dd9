// The progress window's owner.
#include "app/ShowDetailWinThread.h"

CShowDetailWinThread::CShowDetailWinThread() : m_pState(std::make_shared<CStartProgressState>()) {}

CShowDetailWinThread::~CShowDetailWinThread() {
    ExitInstance();
}

bool CShowDetailWinThread::InitInstance() {
    m_pDialog = std::make_unique<CDlgShowStartDetail>(*m_pState);
    m_pDialog->hide();
    return true;
}

IStartProgress* CShowDetailWinThread::GetProgressSink() {
    return m_pDialog ? m_pState.get() : nullptr;
}

void CShowDetailWinThread::PostThreadMessage(platform::UINT message) {
    if (message == platform::WM_QUIT) {
        ExitInstance();
    }
}

void CShowDetailWinThread::ExitInstance() {
    m_pDialog.reset();
}
