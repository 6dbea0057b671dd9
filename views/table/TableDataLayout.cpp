// Headings, row and column counts and column widths of the table view's
// display modes.
#include "views/table/TableData.h"

#include "model/ChannelNaming.h"
#include "model/NumberTexts.h"

#include <algorithm>
#include <cstdio>

namespace {

std::string Printf(const char* format, int value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

void SetHeadings(TableGrid& grid, const std::vector<std::string>& headings) {
    for (std::size_t c = 0; c < headings.size(); ++c)
        grid.SetText(0, int(c), headings[c]);
}

} // namespace

int CTableData::ColumnsPerRow() const {
    return m_nChansPerUnit % 10 != 0 ? 16 : 10;
}

int CTableData::GroupsPerUnit() const {
    return std::max(1, m_nChansPerUnit / ColumnsPerRow());
}

std::vector<int> CTableData::ShownSlots() const {
    std::vector<int> slots;
    const int cases = int(m_world.caseList.size());
    if (m_bPageByUnit) {
        const int slot = m_world.SlotOf(m_nSelCaseID);
        if (slot >= 0)
            slots.push_back(slot);
    } else if (m_bPageByController) {
        int first = 0;
        const int index = std::clamp(m_nControllerIndex, 0, std::max(0, int(m_world.controllers.size()) - 1));
        for (int i = 0; i < index && i < int(m_world.controllers.size()); ++i)
            first += int(m_world.controllers[std::size_t(i)].units.size());
        const int count =
            m_world.controllers.empty() ? 0 : int(m_world.controllers[std::size_t(index)].units.size());
        for (int s = first; s < first + count && s < cases; ++s)
            slots.push_back(s);
    } else {
        for (int s = 0; s < cases; ++s)
            slots.push_back(s);
    }
    return slots;
}

int CTableData::RowGroup(int slot, int channel) const {
    const int columns = ColumnsPerRow();
    if (m_bPageByUnit)
        return channel / columns;
    if (m_bPageByController) {
        const std::vector<int> slots = ShownSlots();
        const int first = slots.empty() ? 0 : slots.front();
        return ((slot - first) % 8) * GroupsPerUnit() + channel / columns;
    }
    return channel / columns + GroupsPerUnit() * slot;
}

int CTableData::ValueRowOfGroup(int group) const {
    if (m_bShowDescrib && m_bShowUnit)
        return 3 * group + 2;
    if (m_bShowDescrib)
        return 2 * group + 2;
    if (m_bShowUnit)
        return 2 * group + 1;
    return group + 1;
}

std::vector<int> CTableData::HistoryChannels() const {
    std::vector<int> channels;
    for (int ch = 0; ch < 16; ++ch) {
        const int channel = m_nSelCaseID * 16 + ch;
        if (m_world.IsShown(channel))
            channels.push_back(channel);
    }
    return channels;
}

void CTableData::ClampSelectedCase() {
    if (!m_world.caseList.empty()) {
        const auto [lo, hi] = std::minmax_element(m_world.caseList.begin(), m_world.caseList.end());
        if (m_world.SlotOf(m_nSelCaseID) < 0)
            m_nSelCaseID = std::clamp(m_nSelCaseID, *lo, *hi);
        if (m_world.SlotOf(m_nSelCaseID) < 0)
            m_nSelCaseID = m_world.caseList.front();
    }
    m_nSelFirstChannel = m_nSelCaseID * 16;
}

void CTableData::RebuildGrid() {
    m_bPageByUnit = m_world.bPageByUnit;
    m_bPageByController = m_world.bPageByController;
    ClampSelectedCase();
    LayoutRows();
    SetColumnWidths();
}

void CTableData::LayoutRows() {
    m_nDigitalRowStart = -1;
    switch (m_nShowDataType) {
    case TABLE_ROSETTE:
        LayoutRosette();
        break;
    case TABLE_RESIDUAL_STRESS:
        LayoutResidual();
        break;
    case TABLE_HISTORY:
        LayoutHistory();
        break;
    case TABLE_DIGITAL_HISTORY:
        LayoutDigitalHistory();
        break;
    case 7:
        m_grid.Reset(1, 1);
        break;
    default: {
        const int columns = ColumnsPerRow();
        const int perGroup = HeadingRows();
        const std::vector<int> slots = ShownSlots();
        const int groups = GroupsPerUnit();
        m_grid.Reset(groups * int(slots.size()) * perGroup + 1, columns + 1);
        std::vector<std::string> headings{" 主从机号"};
        for (int i = 1; i <= columns; ++i)
            headings.push_back(Printf(m_world.nModelType != 0 ? "    测点%d   " : "  测点%d  ", i));
        SetHeadings(m_grid, headings);
        for (std::size_t ordinal = 0; ordinal < slots.size(); ++ordinal)
            for (int g = 0; g < groups; ++g)
                LayoutHeadingColumn(int(ordinal), slots[ordinal], RowGroup(slots[ordinal], g * columns));
        if (m_nShowDataType == TABLE_MEASURED)
            AddDigitalRows();
        break;
    }
    }
    SetColumnWidths();
}

void CTableData::LayoutHeadingColumn(int ordinal, int slot, int group) {
    const int unit = m_world.caseList[std::size_t(slot)];
    const int valueRow = ValueRowOfGroup(group);
    std::string name = FormatModuleName(unit);
    if (GroupsPerUnit() > 1)
        name += "_" + std::to_string((group % GroupsPerUnit()) * ColumnsPerRow());
    m_grid.SetText(valueRow, 0, name);
    if (m_bShowDescrib)
        m_grid.SetText(valueRow - 1, 0, "描述" + std::to_string(ordinal + 1));
    if (m_bShowUnit)
        m_grid.SetText(valueRow + 1, 0, "单位" + std::to_string(ordinal + 1));
}

void CTableData::AddDigitalRows() {
    if (!m_world.bDigitalUsed || m_world.digitalChannels.empty())
        return;
    m_nDigitalRowStart = m_grid.Rows();
    std::vector<std::string> headings;
    if (m_bShowDescrib)
        headings.push_back("描述");
    headings.push_back("数字量");
    if (m_bShowUnit)
        headings.push_back("单位");
    m_grid.Resize(m_grid.Rows() + int(headings.size()), m_grid.Columns());
    for (std::size_t i = 0; i < headings.size(); ++i)
        m_grid.SetText(m_nDigitalRowStart + int(i), 0, headings[i]);
}

void CTableData::LayoutRosette() {
    static const std::vector<std::string> headings{"  组号    ",    " 应变花类型    ", "ε1           ",
                                                   "ε2          ",  "σ1(MPa)      ",   "σ2(MPa)      ",
                                                   "τ_Max(MPa)   ", "ψ(°)         "};
    const int groups = int(m_world.rosetteGroups.size());
    m_grid.Reset(groups + 1, 8, 1, m_world.nMeasChanCount > 0 ? 2 : 1);
    SetHeadings(m_grid, headings);
    for (int g = 0; g < groups; ++g) {
        m_grid.SetText(g + 1, 0, Printf(" %d ", g + 1));
        m_grid.SetText(g + 1, 1, GetRosetteTypeName(m_world.rosetteGroups[std::size_t(g)].type));
    }
}

void CTableData::LayoutResidual() {
    static const std::vector<std::string> headings{
        "  组号    ",       "ε1           ",    "ε2          ",  "ε3          ", "γ(°)        ",
        "σ_max(MPa)      ", "σ_min(MPa)      ", "σx(MPa)      ", "σy(MPa)     ", "σr(MPa)     "};
    const int groups = int(m_world.residualGroups.size());
    m_grid.Reset(groups + 1, 10);
    SetHeadings(m_grid, headings);
    for (int g = 0; g < groups; ++g)
        m_grid.SetText(g + 1, 0, Printf(" %d ", g + 1));
}

void CTableData::LayoutHistory() {
    const std::vector<int> channels = HistoryChannels();
    const int columns = 2 + int(channels.size());
    const int headingRows = HeadingRows();
    const int rows = m_world.bSampling ? headingRows : std::max(m_nRowLimit, headingRows);
    m_grid.Reset(rows, columns, headingRows, columns >= 3 ? 2 : 1);
    m_grid.SetText(0, 0, "  采样时间         ");
    m_grid.SetText(0, 1, " 采样状态    ");
    const int descRow = m_bShowDescrib ? 1 : -1;
    const int unitRow = m_bShowUnit ? (m_bShowDescrib ? 2 : 1) : -1;
    m_grid.SetText(descRow, 0, "测点描述");
    m_grid.SetText(unitRow, 0, "单位");
    for (std::size_t i = 0; i < channels.size(); ++i) {
        const int column = 2 + int(i);
        const TableChannelInfo& info = m_world.Channel(channels[i]);
        m_grid.SetText(
            0, column,
            Printf(m_world.nModelType == 1 ? "     测点%d    " : "  测点%d  ", channels[i] % 16 + 1));
        m_grid.SetText(descRow, column, info.strDescription);
        m_grid.SetText(unitRow, column, info.strUnit);
    }
}

void CTableData::LayoutDigitalHistory() {
    const auto& digital = m_world.digitalChannels;
    const int columns = 1 + std::max<int>(1, int(digital.size()));
    const int headingRows = HeadingRows();
    const int rows = m_world.bSampling ? headingRows : std::max(m_nRowLimit, headingRows);
    m_grid.Reset(rows, columns, headingRows, 1);
    m_grid.SetText(0, 0, "     采样时间         ");
    const int descRow = m_bShowDescrib ? 1 : -1;
    const int unitRow = m_bShowUnit ? (m_bShowDescrib ? 2 : 1) : -1;
    m_grid.SetText(descRow, 0, "描述");
    m_grid.SetText(unitRow, 0, "单位");
    if (digital.empty())
        m_grid.SetText(0, 1, "      数字量      ");
    for (std::size_t i = 0; i < digital.size(); ++i) {
        m_grid.SetText(0, int(i) + 1, "   " + digital[i].strName + "   ");
        m_grid.SetText(descRow, int(i) + 1, digital[i].strDescription);
        m_grid.SetText(unitRow, int(i) + 1, digital[i].strUnit);
    }
}

void CTableData::SetColumnWidths() {
    const int columns = std::max(1, m_grid.Columns());
    if (m_nShowDataType == TABLE_HISTORY) {
        const int width = std::max(500, int(m_nClientWidth * 14.6 / (columns + 1)));
        m_grid.columnWidths.assign(std::size_t(columns), width);
        m_grid.columnWidths[0] = 2 * width;
        return;
    }
    const int width = std::max(500, int(m_nClientWidth * 14.6 / columns));
    m_grid.columnWidths.assign(std::size_t(m_grid.Columns()), width);
}
