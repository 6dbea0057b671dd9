// The table view's tab strips, status strip, tab choices and Ctrl+click marks.
#include "views/table/TableData.h"

#include "datafiles/DataFileAccess.h"
#include "model/ChannelNaming.h"

#include <algorithm>

void CTableData::RebuildTabs() {
    m_topTabs.clear();
    m_bottomTabs.clear();
    m_nTopTabSelected = m_nBottomTabSelected = -1;
    std::vector<std::string> units;
    for (int unit : m_world.caseList)
        units.push_back(FormatModuleName(unit));
    if (m_nShowDataType == TABLE_HISTORY) {
        m_bShowStatusStrip = false;
        m_bShowBottomTabs = false;
        m_bShowTopTabs = true;
        m_topTabs = units;
        m_nTopTabSelected = m_world.SlotOf(m_nSelCaseID);
        return;
    }
    m_bShowTopTabs = false;
    m_bShowStatusStrip = true;
    m_bShowBottomTabs = m_bPageByUnit || m_bPageByController;
    if (m_bPageByUnit) {
        m_bottomTabs = units;
        m_nBottomTabSelected = m_world.SlotOf(m_nSelCaseID);
    } else if (m_bPageByController) {
        for (const TableController& controller : m_world.controllers)
            m_bottomTabs.push_back(controller.strAddress + "*" + std::to_string(controller.nIndex + 1));
        m_nBottomTabSelected = m_nControllerIndex;
    }
}

std::string CTableData::CurrentStoredTime(std::string& status) const {
    status.clear();
    if (m_world.channelTable == nullptr || m_world.nStoredCount <= 0 || m_nPosition < 0 ||
        m_nPosition >= m_world.nStoredCount)
        return "";
    std::string time;
    CDataFileAccess(m_world.layout, *m_world.channelTable)
        .ReadSampleTimeTexts(m_world.statusPath, m_nPosition, m_nPosition + 1, &time, &status);
    return time;
}

void CTableData::UpdateStatusText(const std::string& timeText, const std::string& statusText) {
    RebuildTabs();
    switch (m_nShowDataType) {
    case TABLE_BALANCE_STATE:
    case TABLE_BALANCE_VALUES:
        m_strStatus = "平衡时间: " + (m_world.bBalanceResults ? m_world.strBalanceTime : std::string());
        break;
    case TABLE_HISTORY: {
        m_strHistTime = timeText;
        m_strHistStatus = statusText;
        m_strStatus = "机箱号 : " + FormatModuleName(m_nSelCaseID);
        break;
    }
    case TABLE_DIGITAL_HISTORY:
        m_strHistTime = timeText;
        m_strHistStatus = statusText;
        m_strStatus.clear();
        break;
    case TABLE_CHECK_RESULTS:
        m_strStatus = "自检时间: " + m_world.strSelfTestTime;
        break;
    case TABLE_MEASURED:
    case TABLE_ROSETTE:
    case TABLE_RESIDUAL_STRESS:
        if (m_world.bSampling) {
            m_strStatus = "采样时间: " + timeText + "    采样状态: " + statusText;
        } else {
            std::string status;
            const std::string time = CurrentStoredTime(status);
            m_strStatus = "采样时间: " + time + "   采样状态: " + status;
        }
        break;
    default:
        m_strStatus.clear();
        break;
    }
}

void CTableData::OnTabSelected(bool top, int index) {
    if (index < 0)
        return;
    if (top || m_bPageByUnit) {
        if (index >= int(m_world.caseList.size()))
            return;
        m_nSelCaseID = m_world.caseList[std::size_t(index)];
    } else if (m_bPageByController) {
        if (index >= int(m_world.controllers.size()))
            return;
        m_nControllerIndex = index;
        const auto& units = m_world.controllers[std::size_t(index)].units;
        if (!units.empty())
            m_nSelCaseID = units.front();
    } else {
        return;
    }
    m_nSelFirstChannel = m_nSelCaseID * 16;
    Refresh();
}

void CTableData::OnGridClick(int row, int column) {
    // Column 0 stands for the row's first channel (column 1), not for the
    // last channel of the row above.
    const int index = std::max(column, 1) + ColumnsPerRow() * (row - 1) - 1;
    if (index < 0 || index >= int(m_world.channelList.size()))
        return;
    if (!m_bCtrlDown || !IsMarkMode())
        return;
    const int channel = m_world.channelList[std::size_t(index)];
    if (column == 0) {
        const int first = channel / 16 * 16;
        const auto it = m_SelectedChannels.find(first);
        const bool mark = it == m_SelectedChannels.end() || !it->second;
        for (int ch = first; ch < first + 16; ++ch)
            m_SelectedChannels[ch] = mark;
    } else {
        const auto it = m_SelectedChannels.find(channel);
        m_SelectedChannels[channel] = it == m_SelectedChannels.end() || !it->second;
    }
    PublishSelection();
    FillOrMarks(true);
}

void CTableData::PublishSelection() {
    if (m_pSelectionOut == nullptr)
        return;
    m_pSelectionOut->clear();
    for (const auto& [channel, marked] : m_SelectedChannels)
        if (marked)
            m_pSelectionOut->push_back(channel);
}

void CTableData::ClearCellSelection() {
    m_SelectedChannels.clear();
    PublishSelection();
    if (IsMarkMode())
        FillOrMarks(true);
}
