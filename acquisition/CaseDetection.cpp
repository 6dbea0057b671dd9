// The automatic case detection and the continue-test command: both search
// the cases again outside the search command; the continue test accepts them
// only when they are the cases of the open project, in the same order.
#include "acquisition/CaseSearch.h"

#include "acquisition/CommBase.h"
#include "model/AppSettings.h"
#include "model/CaseTables.h"
#include "model/RunFlags.h"
#include "platform/DebugLog.h"
#include "platform/MessageBox.h"

#include <algorithm>
#include <vector>

namespace {

// The case and channel tables as a search may change them; the channels'
// present marks go with them, or a refused search would leave the channels of
// cases that are not in the tables marked present.
struct CaseTablesCopy {
    std::int32_t nCaseCount = 0;
    std::vector<std::int32_t> caseList, caseSlot;
    std::int32_t nChannelCount = 0;
    std::vector<std::int32_t> channelList, channelPos, present;

    void Keep() {
        nCaseCount = g_nCaseCount;
        caseList.assign(g_CaseList, g_CaseList + MAX_CASE_COUNT);
        caseSlot.assign(g_CaseSlot, g_CaseSlot + MAX_CASE_COUNT);
        nChannelCount = g_nChannelCount;
        channelList.assign(g_ChannelList, g_ChannelList + MAX_CHANNEL_COUNT);
        channelPos.assign(g_ChannelPos, g_ChannelPos + MAX_CHANNEL_COUNT);
        present.resize(MAX_CHANNEL_COUNT);
        for (int c = 0; c < MAX_CHANNEL_COUNT; ++c)
            present[c] = g_ChannelState[c].bPresent;
    }
    void Restore() const {
        g_nCaseCount = nCaseCount;
        std::copy(caseList.begin(), caseList.end(), g_CaseList);
        std::copy(caseSlot.begin(), caseSlot.end(), g_CaseSlot);
        g_nChannelCount = nChannelCount;
        std::copy(channelList.begin(), channelList.end(), g_ChannelList);
        std::copy(channelPos.begin(), channelPos.end(), g_ChannelPos);
        for (int c = 0; c < MAX_CHANNEL_COUNT; ++c)
            g_ChannelState[c].bPresent = present[c];
    }
    bool SameCases() const {
        return g_nCaseCount == nCaseCount &&
               std::equal(g_CaseList, g_CaseList + g_nCaseCount, caseList.begin());
    }
};

} // namespace

int CCaseSearch::DetectCasesAndReport() {
    // A search rebuilds the case and channel tables that a run is using.
    if ((m_pHost->IsNetworkInterface() && !m_pHost->IsNetworkReady()) || m_bDetecting || IsRunActive())
        return 0;
    m_bDetecting = 1;
    const int state = m_pHost->GetProjectState();
    const int mode = m_pHost->GetFrameMode();
    if ((state == 2 || state == 3) && (mode == 0 || mode == 2)) {
        if (!m_pHost->IsRemoteRequest() &&
            m_pHost->ShowMessage(kCloseProjectQuestion, platform::MB_OKCANCEL | platform::MB_ICONQUESTION) !=
                platform::IDOK) {
            m_bDetecting = 0;
            return 0;
        }
        m_pHost->CloseProject();
    }
    m_pHost->Log("Detect", " Detect " + platform::FormatLogTimeStamp());
    if (CheckNetworkModule()) {
        FindCaseQuiet(1);
        if (g_bProgrammedStrain)
            m_pHost->SendKelvaneReply(0);
        if (g_nCaseCount >= 1) {
            ApplyFoundCases(true);
            m_bDetecting = 0;
            return 1;
        }
    }
    m_bCaseSearched = 0;
    m_pHost->ReleaseCaseOpMutex();
    m_bDetecting = 0;
    return 0;
}

void CCaseSearch::OnContinueTest() {
    if (IsRunActive())
        return;
    CaseTablesCopy kept;
    kept.Keep();
    m_pHost->BeginWaitCursor();
    FindCase(1);
    m_pHost->EndWaitCursor();
    if (g_nCaseCount < 1) {
        m_pHost->ShowMessage(kContinueNoCase, platform::MB_OK | platform::MB_ICONSTOP);
        kept.Restore();
        return;
    }
    if (kept.SameCases()) {
        m_pHost->SetProjectState(3);
        m_pHost->SetCasesFound(1);
        CCommBase* comm = m_pHost->GetComm();
        if (comm && comm->GetProtocol())
            comm->GetProtocol()->SetCommandMode(0);
        SendChannelParams();
        return;
    }
    m_pHost->SetCasesFound(0);
    m_pHost->ShowMessage(kContinueMismatch, platform::MB_OK | platform::MB_ICONSTOP);
    kept.Restore();
}
