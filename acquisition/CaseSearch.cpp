// The case search command: the stop check, the search through the
// communication object, the report of the found units, the channel
// information read and the set-up of the channel tables that follows.
#include "acquisition/CaseSearch.h"

#include "acquisition/CaseLink.h"
#include "acquisition/ChanInfoWrapper.h"
#include "acquisition/CommBase.h"
#include "acquisition/NetCaseDriver.h"
#include "model/AppSettings.h"
#include "model/CaseTables.h"
#include "model/DebugLogFiles.h"
#include "model/RunFlags.h"
#include "model/ValueConversion.h"
#include "platform/DebugLog.h"
#include "platform/MessageBox.h"
#include "platform/Time.h"

#include <cstdio>

int StopCaseAcquisition(CCommBase* comm) {
    const int result = comm ? comm->StopSampling() : 0;
    g_bLinkBusy = 0;
    return result;
}

// ---- Texts ---------------------------------------------------------------------

std::string NotFoundCasesText() {
    return std::string(
               "\n未找到机箱 ! \n\n请确定:\n     1. 当前接口类型是否正确，若不对请进行\"端口设置\"; \n     "
               "2. 连线是否正确可靠?") +
           "\n     3. 以太网参数是否正确，若不对请进行\"网络设置\";" +
           "\n     4. 设备IP在网络中是否有冲突，若有请重新设置。";
}

std::string FoundCasesText(const std::int32_t* units, int count) {
    std::string text;
    int previousCase = -1;
    for (int i = 0; i < count; ++i) {
        const int caseNo = units[i] / 8 + 1;
        if (caseNo != previousCase)
            text += "\n";
        previousCase = caseNo;
        char unit[32];
        std::snprintf(unit, sizeof unit, "%02d-%02d  ", caseNo, units[i] % 8 + 1);
        text += unit;
    }
    return text;
}

bool IsOnlineStrainChannel(int channel) {
    if (!IsValidChannelId(channel) || !g_ChannelState[channel].bPresent ||
        g_ChannelParams[channel].nMeasureType != MEASURE_STRAIN)
        return false;
    for (int i = 0; i < g_nChannelCount; ++i) {
        if (g_ChannelList[i] == channel)
            return true;
    }
    return false;
}

std::vector<std::uint8_t> CaseListPayload(const std::int32_t* units, int count) {
    std::vector<std::uint8_t> payload;
    const auto put = [&payload](std::int32_t value) {
        const auto bits = static_cast<std::uint32_t>(value);
        for (int shift = 0; shift < 32; shift += 8)
            payload.push_back(static_cast<std::uint8_t>(bits >> shift));
    };
    put(count);
    for (int i = 0; i < count; ++i)
        put(units[i]);
    return payload;
}

// ---- The command -----------------------------------------------------------------

void CCaseSearch::OnDetectCase() {
    // A search rebuilds the case and channel tables that a run is using.
    if (IsRunActive())
        return;
    const int state = m_pHost->GetProjectState();
    if (state == 2 || state == 3) {
        if (!m_pHost->IsRemoteRequest() &&
            m_pHost->ShowMessage(kCloseProjectQuestion, platform::MB_OKCANCEL | platform::MB_ICONQUESTION) ==
                platform::IDCANCEL)
            return;
        m_pHost->CloseProject();
    }
    const std::string now = platform::FormatLogTimeStamp();
    m_pHost->Log("Sample", "");
    m_pHost->Log("Sample", "<检测机箱> " + now);
    m_pHost->Log("Detect", "启动检测机箱 " + now);
    if (!CheckNetworkModule())
        return;
    FindCase(1);
    m_pHost->NotifyCalibratorCasesChanged();
    if (g_nCaseCount < 1) {
        m_pHost->SetCasesFound(0);
        return;
    }
    ApplyFoundCases(false);
    m_pHost->Log("Detect", "查找机箱完成 " + platform::FormatLogTimeStamp());
}

int CCaseSearch::CheckNetworkModule() {
    if (!m_pHost->StopAcquisition()) {
        m_pHost->ShowMessage(kNetworkModuleError, platform::MB_OK | platform::MB_ICONWARNING);
        return 0;
    }
    m_pHost->Sleep(200);
    return 1;
}

void CCaseSearch::FindCase(int flag) {
    RunSearch(false);
}

void CCaseSearch::FindCaseQuiet(int flag) {
    RunSearch(true);
}

void CCaseSearch::RunSearch(bool quiet) {
    const bool remote = m_pHost->IsRemoteRequest();
    m_pHost->BeginWaitCursor();
    m_pHost->SetStatusText("正在查找机箱...");
    m_pHost->ClearAppendingFlag();
    CCommBase* comm = m_pHost->GetComm();
    int found = 0;
    if (comm) {
        comm->ResetDevice();
        found = comm->FindCases();
    }
    // The transport rebuilt the tables when it found units; otherwise no
    // unit is online, whatever an earlier search left in them.
    if (found <= 0) {
        g_nCaseCount = 0;
        g_nChannelCount = 0;
    }
    SetChannelsPerModule(m_pHost->GetCaseVersion());
    if (g_nCaseCount < 1) {
        const std::string text = NotFoundCasesText();
        if (!quiet && !g_bCaseNumberConflict.load() && !remote)
            m_pHost->ShowMessage(text, platform::MB_OK | platform::MB_ICONWARNING);
        m_pHost->SetStatusText("查找机箱结束!");
        m_pHost->EndWaitCursor();
        return;
    }
    const std::string now = platform::FormatLogTimeStamp();
    m_pHost->Log("Detect", "读取通道信息 " + now);
    m_pHost->Log("Sample", "<读取通道信息> " + now);
    ReadChannelInfo();
    const std::string list = FoundCasesText(g_CaseList, g_nCaseCount);
    if (quiet) {
        m_bSendParamsAfterSearch = 0;
    } else if (!remote) {
        const int answer =
            m_pHost->ShowMessage(kFoundCasesTitle + list, platform::MB_YESNO | platform::MB_ICONINFORMATION);
        m_bSendParamsAfterSearch = answer == platform::IDNO ? 0 : 1;
        if (m_bSendParamsAfterSearch)
            m_pHost->RepaintFrame();
    }
    m_pHost->SetStatusText("查找机箱结束!");
    m_pHost->EndWaitCursor();
    m_pHost->CheckStrainReference();
    m_pHost->RefreshTestGrids();
    if (comm)
        m_pHost->RefreshLinkedCaseIps(comm->GetLinkedCaseIps());
    m_pHost->Log("Detect", "检测机箱结束 " + platform::FormatLogTimeStamp());
}

void CCaseSearch::ReadChannelInfo() {
    g_bLinkBusy = 1;
    g_bLinkWatchEnabled = 0;
    m_pHost->SetReadingChannelInfo(true);
    m_pHost->SetStatusText("正在读取通道信息...");
    m_pHost->BeginWaitCursor();
    CCommBase* comm = m_pHost->GetComm();
    if (comm) {
        comm->ReadChannelInfo();
        if (CCaseProtocol3* encoder = comm->GetProtocol()) {
            for (int slot = 0; slot < g_nCaseCount; ++slot) {
                for (int channel = 0; channel < CHANNELS_PER_MODULE; ++channel)
                    encoder->ComputeChannelCoefs(g_CaseList[slot] * CHANNELS_PER_MODULE + channel);
            }
        }
    }
    m_pHost->EndWaitCursor();
    m_pHost->SetStatusText("读取通道信息完成！");
    m_pHost->SetReadingChannelInfo(false);
    g_bLinkBusy = 0;
    g_bLinkWatchEnabled = 1;
}

int CCaseSearch::ApplyChannelKinds() {
    int count = 0;
    for (int i = 0; i < g_nChannelCount; ++i) {
        const int channel = g_ChannelList[i];
        if (!IsValidChannelId(channel))
            continue;
        ChannelParamRecord& param = g_ChannelParams[channel];
        ChannelStateRecord& state = g_ChannelState[channel];
        if (m_pHost->GetAcqChannelTypeID(channel) == 5) {
            param.nMeasureType = MEASURE_PASS_THROUGH;
            state.nCompChannel = -1;
            ++count;
        } else if (param.nMeasureType == MEASURE_PASS_THROUGH) {
            param.nMeasureType = MEASURE_STRAIN;
            state.nCompChannel = -1;
        }
    }
    return count;
}

void CCaseSearch::SendChannelParams() {
    if (m_bSendParamsAfterSearch)
        SendChannelParamsOfType(-1);
}

int CCaseSearch::SendChannelParamsOfType(int type) {
    std::vector<int> channels;
    for (int i = 0; i < g_nChannelCount; ++i) {
        const int channel = g_ChannelList[i];
        if (!IsValidChannelId(channel) || !g_ChannelState[channel].bPresent)
            continue;
        const int measureType = g_ChannelParams[channel].nMeasureType;
        if (measureType != MEASURE_PASS_THROUGH && (type == -1 || measureType == type))
            channels.push_back(channel);
    }
    if (channels.empty())
        return 0;
    return m_pHost->DownloadChannelParams(channels);
}

void CCaseSearch::ApplyFoundCases(bool detection) {
    m_pHost->BeginWaitCursor();
    if (detection) {
        m_bCaseSearched = 1;
    } else {
        m_pHost->SetCasesFound(1);
        m_pHost->SetBalanceValid(0);
        ApplyChannelKinds();
    }
    m_pHost->CorrectAllChannels();
    g_nStrainChanCount = CountChannelsOfType(MEASURE_STRAIN);
    m_pHost->RefreshChannelParamBar();
    m_pHost->ResetAllViews();
    m_pHost->RecreateSampleParamBar();
    if (!detection) {
        if (g_bDigitalUsed)
            m_pHost->ShowEventSamplingOption();
        const std::string now = platform::FormatLogTimeStamp();
        m_pHost->Log("Detect", "查找完成设置 " + now);
        m_pHost->Log("Sample", "<设置通道信息> " + now);
    }
    CCommBase* comm = m_pHost->GetComm();
    if (comm && comm->GetProtocol())
        comm->GetProtocol()->SetCommandMode(0);
    SendChannelParams();
    m_bSendParamsAfterSearch = 1;
    for (int channel = 0; channel < MAX_CHANNEL_COUNT; ++channel)
        UpdateChannelScale(channel);
    m_pHost->PassParamsToGraphInterface(detection);
    if (!detection)
        m_pHost->UpdateLeadTestOffer();
    m_pHost->EndWaitCursor();
    ReportCaseList();
}

void CCaseSearch::ReportCaseList() {
    if (!m_pHost->IsForwardingOn() || !m_pHost->IsRemoteRequest())
        return;
    m_pHost->BroadcastPacket(kCaseListPacketType, CaseListPayload(g_CaseList, g_nCaseCount));
    m_pHost->SetRemoteRequest(false);
}
