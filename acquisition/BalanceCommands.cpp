// The two balance commands: which channels take part, the questions about an
// existing result and stored data, and the start of the balance thread.
#include "acquisition/SamplingControl.h"

#include "model/AppSettings.h"
#include "model/CaseTables.h"
#include "model/RunFlags.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"

#include <algorithm>

void CSamplingControl::BuildBalanceChannelList(std::vector<int>& list) {
    list.clear();
    const std::vector<int> selected = m_pHost->GetSelectedChannels();
    if (!selected.empty()) {
        list = selected;
        return;
    }
    for (int i = 0; i < g_nChannelCount && i < MAX_CHANNEL_COUNT; ++i)
        list.push_back(g_ChannelList[i]);
}

bool CSamplingControl::CanBalance(int onlineCaseCount) const {
    return !IsRunActive() && m_bCasesFound.load() && m_bCanStartSample.load() && onlineCaseCount > 0;
}

bool CSamplingControl::OnBalance() {
    std::vector<int> list;
    BuildBalanceChannelList(list);
    if (static_cast<int>(list.size()) < g_nChannelCount &&
        platform::MessageBox("是否对选取的通道进行平衡操作？", g_strAppTitle,
                             platform::MB_OKCANCEL | platform::MB_ICONWARNING) != platform::IDOK)
        return false;
    return DoBalance(list);
}

void CSamplingControl::OnGndBalance() {
    m_bGndBalanceRequest = 1;
    std::vector<int> list;
    BuildBalanceChannelList(list);
    if (!DoBalance(list))
        m_bGndBalanceRequest = 0;
}

bool CSamplingControl::DoBalance(const std::vector<int>& list) {
    if (IsRunActive() || m_bBalanceRunning.load() || m_bThreadRunning.load())
        return false;
    CProjectState& project = m_pHost->GetProject();
    if (m_bBalanceValid.load() && !m_bRemoteRequest && project.HasProjectPath() &&
        platform::FileExists(project.GetFilePath(".zer")) &&
        platform::MessageBox("\n此平衡操作将覆盖当前工程中的平衡结果，是否需要平衡?\n\n"
                             "(可通过导出平衡结果,保存当前工程的平衡结果后,再进行此操作)",
                             g_strAppTitle,
                             platform::MB_YESNO | platform::MB_ICONWARNING | platform::MB_DEFBUTTON2) !=
            platform::IDYES)
        return false;
    if (project.m_nProjectState == PROJECT_OPENED || project.m_nProjectState == PROJECT_CONFIRMED) {
        const bool clear =
            m_bRemoteRequest ||
            platform::MessageBox(
                " \n当前工程中已采集的数据与平衡结果相关,\n\n平衡后,是否清空当前工程文件中已采集的数据 ? ",
                g_strAppTitle,
                platform::MB_YESNO | platform::MB_ICONQUESTION | platform::MB_DEFBUTTON2) == platform::IDYES;
        if (clear) {
            m_pHost->PrepareProject(project.m_strProjectFile);
            m_pHost->ShowDataCount(0, 0, false);
        }
    }
    std::fill(std::begin(m_BalanceSelect), std::end(m_BalanceSelect), 0);
    for (const int id : list) {
        if (IsValidChannelId(id))
            m_BalanceSelect[id] = 1;
    }
    m_pHost->SetStatusText(0, "正在进行平衡... ...");
    return StartThread(m_bBalanceRunning, &CSamplingControl::BalanceAcquisitionThread);
}
