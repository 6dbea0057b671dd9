// Cell texts and colours of the table view's display modes.
#include "views/table/TableData.h"

#include "datafiles/DataFileAccess.h"
#include "datafiles/ExportTextWriter.h"
#include "model/ValueConversion.h"
#include "views/shared/TableAlarm.h"

#include <algorithm>

namespace {

std::string MarkerOrNumber(float value, const std::string& number) {
    std::string text;
    if (IsSpecialValue(value) && FormatSpecialValue(0, value, text))
        return text;
    return number;
}

} // namespace

int CTableData::DecimalsOf(int channel) const {
    const auto it = m_PrecisionByType.find(m_world.Channel(channel).nMeasureType);
    return it == m_PrecisionByType.end() ? m_nDataPrecision : it->second;
}

std::string CTableData::FormatValue(float value, int channel) const {
    return FixedText(double(value), DecimalsOf(channel));
}

std::string CTableData::FormatDefault(float value) const {
    return FixedText(double(value), m_nDataPrecision);
}

float CTableData::BufferValue(int slot, int ch) const {
    const std::size_t index = std::size_t(slot) * 16 + std::size_t(ch);
    return index < m_pValues.size() ? m_pValues[index] : 0.0f;
}

bool CTableData::IsMarkMode() const {
    return m_nShowDataType == TABLE_BALANCE_STATE || m_nShowDataType == TABLE_BALANCE_VALUES ||
           m_nShowDataType == TABLE_MEASURED;
}

void CTableData::UpdateTable() {
    if (m_bCtrlDown)
        return;
    FillOrMarks(false);
}

void CTableData::FillOrMarks(bool marksOnly) {
    bool alarm = false;
    switch (m_nShowDataType) {
    case TABLE_BALANCE_STATE:
    case TABLE_BALANCE_VALUES:
    case TABLE_MEASURED:
    case TABLE_CHECK_RESULTS:
        alarm = FillChannels();
        if (m_nShowDataType == TABLE_MEASURED)
            FillDigitalRows();
        break;
    case TABLE_ROSETTE:
        alarm = FillRosette();
        break;
    case TABLE_RESIDUAL_STRESS:
        FillResidual();
        break;
    case TABLE_HISTORY:
        alarm = m_world.bSampling ? FillHistoryLive() : FillHistoryStored();
        break;
    case TABLE_DIGITAL_HISTORY:
        if (m_world.bSampling)
            FillDigitalHistoryLive();
        else
            FillDigitalHistoryStored();
        break;
    default:
        break;
    }
    if (alarm && !marksOnly && onAlarm)
        onAlarm();
}

bool CTableData::FillChannels() {
    bool alarm = false;
    for (int slot : ShownSlots())
        for (int ch = 0; ch < m_nChansPerUnit && ch < 16; ++ch)
            FillChannelCell(slot, ch, alarm);
    return alarm;
}

void CTableData::FillChannelCell(int slot, int ch, bool& alarm) {
    const int unit = m_world.caseList[std::size_t(slot)];
    const int channel = unit * 16 + ch;
    const int valueRow = ValueRowOfGroup(RowGroup(slot, ch));
    const int column = ch % ColumnsPerRow() + 1;
    const int descRow = m_bShowDescrib ? valueRow - 1 : -1;
    const int unitRow = m_bShowUnit ? valueRow + 1 : -1;
    const TableChannelInfo& info = m_world.Channel(channel);
    if (!m_world.IsShown(channel)) {
        for (int row : {valueRow, descRow, unitRow}) {
            m_grid.SetText(row, column, "");
            m_grid.SetBackground(row, column, kTableWhite);
        }
        return;
    }
    m_grid.SetText(descRow, column, info.strDescription);
    m_grid.SetText(unitRow, column, info.strUnit);
    const bool marked = m_SelectedChannels.count(channel) && m_SelectedChannels.at(channel);
    const bool notBalanced = info.nZero == kNotBalancedZero;
    std::string text;
    std::uint32_t foreground = kTableBlack;
    bool inAlarm = false;
    switch (m_nShowDataType) {
    case TABLE_BALANCE_STATE:
        if (m_world.bBalanceResults)
            text = notBalanced ? "未平衡" : "平衡";
        break;
    case TABLE_BALANCE_VALUES:
        // A unit without a zero value shows none.
        if (m_world.bBalanceResults && notBalanced)
            text = "未平衡";
        else if (m_world.bBalanceResults && std::size_t(slot) < m_world.zeroSet.size())
            text = FormatDefault(m_world.zeroSet[std::size_t(slot)].fValues[ch]);
        break;
    case TABLE_CHECK_RESULTS: {
        const std::size_t index = std::size_t(slot) * 16 + std::size_t(ch);
        const float check = index < m_world.checkValues.size() ? m_world.checkValues[index] : -1.0f;
        if (check == 1.0f) {
            text = "开路";
            foreground = kTableAlarmRed;
        } else if (check == 2.0f) {
            text = "短路";
            foreground = kTableShortColour;
        } else if (check != -1.0f) {
            text = FormatDefault(check);
        }
        break;
    }
    default: {
        const float value = BufferValue(slot, ch);
        if (m_world.IsLiveOrStoredShown(m_bStoredData)) {
            text = MeasuredText(slot, ch, value);
            inAlarm = !m_pValues.empty() && IsChannelInAlarm(info, value);
        }
        break;
    }
    }
    m_grid.SetText(valueRow, column, text);
    m_grid.SetForeground(valueRow, column, foreground);
    if (IsMarkMode())
        m_grid.SetBackground(valueRow, column,
                             inAlarm  ? kTableAlarmRed
                             : marked ? kTableMarkGreen
                                      : kTableWhite);
    alarm = alarm || inAlarm;
}

std::string CTableData::MeasuredText(int slot, int ch, float value) const {
    const int channel = m_world.caseList[std::size_t(slot)] * 16 + ch;
    const TableChannelInfo& info = m_world.Channel(channel);
    if (info.nMeasureType == 2 || info.nMeasureType == 3)
        return channel % 16 == m_world.nRefChanOffset ? "基准点" : FormatValue(value, channel);
    if (info.nMeasureType == 20)
        return IsPassThroughBridgeMode(info.nBridgeType) || IsBridgeMode9(info.nBridgeType)
                   ? FormatValue(value, channel)
                   : "";
    if (info.nZero == kNotBalancedZero)
        return "未平衡";
    if (std::size_t(slot) < m_emptyUnits.size() && m_emptyUnits[std::size_t(slot)])
        return "------";
    return MarkerOrNumber(value, FormatValue(value, channel));
}

void CTableData::FillDigitalRows() {
    if (m_nDigitalRowStart < 0)
        return;
    const bool shown = m_world.IsLiveOrStoredShown(m_bStoredData);
    int row = m_nDigitalRowStart;
    const int descRow = m_bShowDescrib ? row++ : -1;
    const int valueRow = row++;
    const int unitRow = m_bShowUnit ? row : -1;
    const auto& digital = m_world.digitalChannels;
    for (std::size_t i = 0; i < digital.size() && i < 8; ++i) {
        const int column = int(i) + 1;
        m_grid.SetText(valueRow, column, shown ? FormatDefault(m_DigitalValues[i]) : "");
        m_grid.SetText(descRow, column,
                       digital[i].strDescription.empty() ? digital[i].strName : digital[i].strDescription);
        m_grid.SetText(unitRow, column, digital[i].strUnit);
    }
}

bool CTableData::FillRosette() {
    if (m_world.nStoredCount < 1)
        return false;
    bool alarm = false;
    for (std::size_t g = 0; g < m_world.rosetteGroups.size() && (g + 1) * 6 <= m_pValues.size(); ++g) {
        for (int k = 0; k < 6; ++k) {
            const float value = m_pValues[g * 6 + std::size_t(k)];
            const std::string text = value == kNoResult ? "--" : FormatDefault(value);
            const bool inAlarm = IsRosetteResultInAlarm(m_world.rosetteGroups[g], k, text);
            m_grid.SetText(int(g) + 1, k + 2, text);
            m_grid.SetBackground(int(g) + 1, k + 2, inAlarm ? kTableAlarmRed : kTableWhite);
            alarm = alarm || inAlarm;
        }
    }
    return alarm;
}

void CTableData::FillResidual() {
    if (m_world.nStoredCount < 1)
        return;
    for (std::size_t g = 0; g < m_world.residualGroups.size() && (g + 1) * 9 <= m_pValues.size(); ++g) {
        for (int k = 0; k < 9; ++k) {
            const float value = m_pValues[g * 9 + std::size_t(k)];
            m_grid.SetText(int(g) + 1, k + 1, value == kNoResult ? "--" : FormatDefault(value));
            m_grid.SetBackground(int(g) + 1, k + 1, kTableWhite);
        }
    }
}

bool CTableData::HistoryValueCell(int row, int column, int channel, float value) {
    const TableChannelInfo& info = m_world.Channel(channel);
    std::string text;
    if (info.nDisplayType == 1)
        text = FormatDefault(value);
    else if (info.nZero == kNotBalancedZero)
        text = "未平衡";
    else
        text = MarkerOrNumber(value, FormatDefault(value));
    const bool inAlarm = IsChannelInAlarm(info, value);
    m_grid.SetText(row, column, text);
    m_grid.SetBackground(row, column, inAlarm ? kTableAlarmRed : kTableWhite);
    return inAlarm;
}

void CTableData::ClearRowsFrom(int row) {
    for (int r = row; r < m_grid.Rows(); ++r)
        for (int c = 0; c < m_grid.Columns(); ++c) {
            m_grid.SetText(r, c, "");
            if (c >= 2)
                m_grid.SetBackground(r, c, kTableWhite);
        }
}

bool CTableData::FillHistoryStored() {
    const int headingRows = HeadingRows();
    const int stored = m_world.nStoredCount;
    const int n = std::min(m_nRowLimit, stored);
    if (n < 1 || m_world.channelTable == nullptr) {
        m_grid.Resize(headingRows, m_grid.Columns());
        return false;
    }
    int first = std::max(0, m_nPosition);
    if (first + n > stored)
        first = stored - m_nRowLimit;
    if (m_nRowLimit >= stored)
        first = 0;
    CDataFileAccess access(m_world.layout, *m_world.channelTable);
    std::vector<std::array<float, 16>> values(static_cast<std::size_t>(n));
    std::vector<float*> rows(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        rows[std::size_t(i)] = values[std::size_t(i)].data();
    std::vector<std::string> times(static_cast<std::size_t>(n)), labels(static_cast<std::size_t>(n));
    if (!access.ReadCaseChannels(m_world.dataPath, m_nSelCaseID, first, n, 0, rows.data()) ||
        !access.ReadSampleTimeTexts(m_world.statusPath, first, first + n, times.data(), labels.data())) {
        m_grid.Resize(headingRows, m_grid.Columns());
        return false;
    }
    // Every sample gets a row, even when the headings take some of the rows.
    if (m_grid.Rows() < headingRows + n)
        m_grid.Resize(headingRows + n, m_grid.Columns());
    const std::vector<int> channels = HistoryChannels();
    bool alarm = false;
    int row = headingRows;
    for (int i = 0; i < n; ++i) {
        if (times[std::size_t(i)].empty())
            continue;
        m_grid.SetText(row, 0, times[std::size_t(i)]);
        m_grid.SetText(row, 1, labels[std::size_t(i)]);
        for (std::size_t c = 0; c < channels.size(); ++c)
            alarm =
                HistoryValueCell(row, 2 + int(c), channels[c], values[std::size_t(i)][channels[c] % 16]) ||
                alarm;
        ++row;
    }
    ClearRowsFrom(row);
    return alarm;
}

bool CTableData::FillHistoryLive() {
    const int headingRows = HeadingRows();
    if (m_grid.Rows() > m_nRowLimit)
        m_grid.RemoveRow(m_nRowLimit);
    m_grid.InsertRow(headingRows);
    m_grid.SetText(headingRows, 0, m_strHistTime);
    m_grid.SetText(headingRows, 1, m_strHistStatus);
    const int slot = m_world.SlotOf(m_nSelCaseID);
    bool alarm = false;
    const std::vector<int> channels = HistoryChannels();
    for (std::size_t c = 0; c < channels.size() && slot >= 0; ++c) {
        const int column = 2 + int(c);
        const float value = BufferValue(slot, channels[c] % 16);
        const TableChannelInfo& info = m_world.Channel(channels[c]);
        const std::string text =
            info.nZero == kNotBalancedZero ? "未平衡" : MarkerOrNumber(value, FormatDefault(value));
        const bool inAlarm = IsChannelInAlarm(info, value);
        m_grid.SetText(headingRows, column, text);
        m_grid.SetBackground(headingRows, column, inAlarm ? kTableAlarmRed : kTableWhite);
        alarm = alarm || inAlarm;
    }
    return alarm;
}

void CTableData::FillDigitalHistoryStored() {
    const int headingRows = HeadingRows();
    const int n = std::min(m_nRowLimit, m_world.nStoredCount - m_nPosition);
    std::map<int, std::vector<float>> digital;
    std::vector<std::string> times(std::size_t(std::max(n, 0)));
    const bool read =
        n >= 1 && m_world.channelTable != nullptr &&
        ReadDigitalRecords(m_world.layout, m_world.digitalPath, m_nPosition, n, digital) &&
        CDataFileAccess(m_world.layout, *m_world.channelTable)
            .ReadSampleTimeTexts(m_world.statusPath, m_nPosition, m_nPosition + n, times.data(), nullptr);
    if (!read) {
        m_grid.Resize(headingRows, m_grid.Columns());
        return;
    }
    if (m_grid.Rows() < headingRows + n)
        m_grid.Resize(headingRows + n, m_grid.Columns());
    int row = headingRows;
    for (int i = 0; i < n; ++i) {
        if (times[std::size_t(i)].empty())
            continue;
        m_grid.SetText(row, 0, times[std::size_t(i)]);
        for (std::size_t d = 0; d < m_world.digitalChannels.size() && d < 8; ++d) {
            const std::vector<float>& column = digital[int(d)];
            if (std::size_t(i) < column.size())
                m_grid.SetText(row, int(d) + 1, FormatDefault(column[std::size_t(i)]));
        }
        ++row;
    }
    ClearRowsFrom(row);
}

void CTableData::FillDigitalHistoryLive() {
    const int headingRows = HeadingRows();
    if (m_grid.Rows() > m_nRowLimit)
        m_grid.RemoveRow(m_nRowLimit);
    m_grid.InsertRow(headingRows);
    m_grid.SetText(headingRows, 0, m_strHistTime);
    for (std::size_t d = 0; d < m_world.digitalChannels.size() && d < 8 && d < m_pValues.size(); ++d)
        m_grid.SetText(headingRows, int(d) + 1, FormatDefault(m_pValues[d]));
}
