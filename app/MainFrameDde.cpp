// The frame's local value service.
#include "app/MainFrame.h"

#include "app/DdeService.h"

void CMainFrame::StartDdeService() {
    if (m_pDdeService) {
        return; // started once
    }
    auto service = std::make_unique<CDdeService>();
    if (service->Register("QVhost") != 0) {
        m_pDdeService = std::move(service);
    }
}
