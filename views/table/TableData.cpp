// The table view's buffers, live and stored feeding, display modes, command
// states and layout-file keys.
#include "views/table/TableData.h"

#include "datafiles/DataFileAccess.h"
#include "datafiles/ResultFiles.h"
#include "datafiles/RosetteCalc.h"
#include "model/ResidualStressFormula.h"
#include "platform/Profile.h"

#include <algorithm>
#include <cstring>

int TableModeOfCommand(int id) {
    switch (id) {
    case ID_TABLE_SHOW_BALANCE_STATE:
        return TABLE_BALANCE_STATE;
    case ID_TABLE_SHOW_BALANCE_VALUES:
        return TABLE_BALANCE_VALUES;
    case ID_TABLE_SHOW_MEASURED:
        return TABLE_MEASURED;
    case ID_TABLE_SHOW_ROSETTE:
        return TABLE_ROSETTE;
    case ID_TABLE_SHOW_HISTORY:
        return TABLE_HISTORY;
    case ID_TABLE_SHOW_DIGITAL_HISTORY:
        return TABLE_DIGITAL_HISTORY;
    case ID_TABLE_SHOW_RESIDUAL_STRESS:
        return TABLE_RESIDUAL_STRESS;
    default:
        return -1;
    }
}

namespace {

// Takes the data lock when there is one.
class OptionalLock {
public:
    explicit OptionalLock(std::mutex* mutex) : m_mutex(mutex) {
        if (m_mutex)
            m_mutex->lock();
    }
    ~OptionalLock() {
        if (m_mutex)
            m_mutex->unlock();
    }
    OptionalLock(const OptionalLock&) = delete;
    OptionalLock& operator=(const OptionalLock&) = delete;

private:
    std::mutex* m_mutex;
};

bool IsDataMode(int mode) {
    return mode == TABLE_MEASURED || mode == TABLE_ROSETTE || mode == TABLE_HISTORY ||
           mode == TABLE_DIGITAL_HISTORY || mode == TABLE_RESIDUAL_STRESS;
}

} // namespace

CTableData::CTableData(const TableWorld& world) : m_world(world) {}

void CTableData::AllocDataBuffer() {
    FreeDataBuffer();
    OptionalLock lock(m_pDataLock);
    m_DigitalValues.fill(0.0f);
    const int cases = int(m_world.caseList.size());
    m_emptyUnits.assign(std::size_t(cases), false);
    if (cases == 0)
        return;
    std::size_t size = 0;
    switch (m_nShowDataType) {
    case TABLE_ROSETTE:
        size = m_world.rosetteGroups.size() * 6;
        break;
    case TABLE_DIGITAL_HISTORY:
        size = 8;
        break;
    case TABLE_RESIDUAL_STRESS:
        size = m_world.residualGroups.size() * 9;
        break;
    case 7:
        break;
    default:
        size = std::size_t(cases) * 16;
        break;
    }
    m_pValues.assign(size, 0.0f);
}

void CTableData::FreeDataBuffer() {
    {
        OptionalLock lock(m_pDataLock);
        m_pValues.clear();
        m_pValues.shrink_to_fit();
    }
    m_SelectedChannels.clear();
}

void CTableData::ReceiveData(int kind, const CaseSampleBlock* sampleSet, const float* values) {
    if (kind != 1 || values == nullptr)
        return;
    OptionalLock lock(m_pDataLock);
    const int cases = std::min<int>(int(m_world.caseList.size()), kMaxCaseBlocks);
    switch (m_nShowDataType) {
    case TABLE_MEASURED:
    case TABLE_HISTORY:
        if (m_pValues.size() < std::size_t(cases) * 16)
            break;
        m_emptyUnits.assign(std::size_t(cases), false);
        for (int slot = 0; slot < cases; ++slot) {
            // The sample set holds a block per unit number, not per slot.
            const int unit = m_world.caseList[std::size_t(slot)];
            const CaseSampleBlock* block =
                sampleSet && unit >= 0 && unit < kMaxCaseBlocks ? &sampleSet[unit] : nullptr;
            m_emptyUnits[std::size_t(slot)] = block && block->nHeader == -1;
            for (int ch = 0; ch < m_nChansPerUnit && ch < 16; ++ch) {
                // A marker reading keeps its meaning; its converted value has none.
                const float raw = block ? block->fValues[ch] : 0.0f;
                m_pValues[std::size_t(slot * 16 + ch)] =
                    block && IsSpecialValue(raw) ? raw : values[slot * 16 + ch];
            }
        }
        if (m_world.bDigitalUsed)
            std::copy(values + kAnalogChannels, values + kAnalogChannels + 8, m_DigitalValues.begin());
        break;
    case TABLE_ROSETTE:
        if (sampleSet == nullptr)
            break;
        for (std::size_t g = 0; g < m_world.rosetteGroups.size() && (g + 1) * 6 <= m_pValues.size(); ++g) {
            const RosetteGroupRecord& group = m_world.rosetteGroups[g];
            RosetteInput input{};
            GetRosetteGaugeStrains(input, group.type, group.Channel, sampleSet);
            CalcRosetteResult(input, &m_pValues[g * 6]);
        }
        break;
    case TABLE_RESIDUAL_STRESS:
        if (sampleSet == nullptr)
            break;
        for (std::size_t g = 0; g < m_world.residualGroups.size() && (g + 1) * 9 <= m_pValues.size(); ++g) {
            const ResidualStressGroupRecord& group = m_world.residualGroups[g];
            ResidualStressInput input{};
            GetResidualStressGaugeStrains(input, group.ParamA, group.ParamB, group.ParamE0, group.Channel,
                                          sampleSet);
            ResidualStressResult result{};
            CalcResidualStress(input, result);
            std::memcpy(&m_pValues[g * 9], &result, sizeof result);
        }
        break;
    case TABLE_DIGITAL_HISTORY:
        if (m_pValues.size() >= 8)
            std::copy(values + kAnalogChannels, values + kAnalogChannels + 8, m_pValues.begin());
        break;
    default:
        break;
    }
}

void CTableData::LoadBatchData() {
    if (m_world.channelTable == nullptr || m_world.nStoredCount <= 0)
        return;
    const int position = std::clamp(m_nPosition, 0, m_world.nStoredCount - 1);
    CDataFileAccess access(m_world.layout, *m_world.channelTable);
    OptionalLock lock(m_pDataLock);
    auto readDigital = [&](float* out) {
        std::map<int, std::vector<float>> digital;
        if (!ReadDigitalRecords(m_world.layout, m_world.digitalPath, position, 1, digital))
            return;
        for (const auto& [index, column] : digital)
            if (index >= 0 && index < 8 && !column.empty())
                out[index] = column[0];
    };
    switch (m_nShowDataType) {
    case TABLE_MEASURED: {
        m_emptyUnits.assign(m_world.caseList.size(), false);
        for (std::size_t slot = 0; slot < m_world.caseList.size() && (slot + 1) * 16 <= m_pValues.size();
             ++slot) {
            float* row = &m_pValues[slot * 16];
            access.ReadCaseChannels(m_world.dataPath, m_world.caseList[slot], position, 1, 0, &row);
        }
        if (m_world.bDigitalUsed)
            readDigital(m_DigitalValues.data());
        break;
    }
    case TABLE_ROSETTE:
        for (std::size_t g = 0; g < m_world.rosetteGroups.size() && (g + 1) * 6 <= m_pValues.size(); ++g)
            ReadRosetteRange(ResultFileName(RosetteResults(), m_world.dataPath, int(g) + 1), position,
                             position + 1, &m_pValues[g * 6]);
        break;
    case TABLE_RESIDUAL_STRESS:
        for (std::size_t g = 0; g < m_world.residualGroups.size() && (g + 1) * 9 <= m_pValues.size(); ++g)
            ReadResidualStressRange(ResultFileName(ResidualStressResults(), m_world.dataPath, int(g) + 1),
                                    position, position + 1, &m_pValues[g * 9]);
        break;
    case TABLE_DIGITAL_HISTORY:
        if (m_pValues.size() >= 8)
            readDigital(m_pValues.data());
        break;
    default:
        break;
    }
}

void CTableData::InitialUpdate() {
    m_PrecisionByType = m_world.precisionByType;
    AllocDataBuffer();
    RebuildGrid();
    if (m_nShowDataType == 7 || m_world.bSampling)
        return;
    if ((m_world.nProjectState == 2 || m_world.nProjectState == 3) && m_world.nStoredCount > 0)
        LoadBatchData();
    UpdateTable();
    UpdateStatusText("", "");
}

void CTableData::Refresh() {
    if (m_nShowDataType == TABLE_HISTORY || m_nShowDataType == TABLE_DIGITAL_HISTORY) {
        RebuildGrid();
        if (!m_world.bSampling) {
            UpdateTable();
            UpdateStatusText("", "");
        }
        return;
    }
    LayoutRows();
    UpdateTable();
}

bool CTableData::SetShowDataType(int mode) {
    if (mode == m_nShowDataType)
        return false;
    m_nShowDataType = mode;
    RebuildGrid();
    FreeDataBuffer();
    AllocDataBuffer();
    if (!m_world.bSampling)
        LoadBatchData();
    UpdateTable();
    UpdateStatusText("", "");
    return true;
}

bool CTableData::IsCommandEnabled(int id) const {
    switch (id) {
    case ID_TABLE_SAVE_TEXT:
    case ID_TABLE_SAVE_EXCEL:
    case ID_TABLE_SAVE_MATLAB:
        return !m_world.bSampling && IsDataMode(m_nShowDataType);
    case 32800:
    case 32801:
    case 32802:
    case 32803:
        return IsDataMode(m_nShowDataType);
    case 32853:
        return m_nShowDataType == TABLE_MEASURED;
    default:
        return true;
    }
}

bool CTableData::IsCommandChecked(int id) const {
    const int mode = TableModeOfCommand(id);
    return mode >= 0 && mode == m_nShowDataType;
}

void CTableData::LoadSettings(const std::string& layoutFile, int index) {
    const std::string section = "TableView" + std::to_string(index);
    const int mode = platform::GetPrivateProfileInt(section, "m_nShowDataType", TABLE_MEASURED, layoutFile);
    // A damaged file must not select a mode the view has no layout for.
    m_nShowDataType = mode >= 0 && mode <= 8 ? mode : TABLE_MEASURED;
    m_nDataPrecision =
        std::clamp(platform::GetPrivateProfileInt(section, "m_nDataPrecision", 0, layoutFile), 0, 15);
    m_bShowDescrib = platform::GetPrivateProfileInt(section, "m_bShowDescrib", 0, layoutFile) != 0;
    m_nSelCaseID = platform::GetPrivateProfileInt(section, "m_nSelCaseID", 0, layoutFile);
    m_nSelFirstChannel = m_nSelCaseID * 16;
    m_bShowUnit = platform::GetPrivateProfileInt(section, "m_bShowUnit", 0, layoutFile) != 0;
}

void CTableData::SaveSettings(const std::string& layoutFile, int index) const {
    const std::string section = "TableView" + std::to_string(index);
    auto write = [&](const char* key, int value) {
        platform::WritePrivateProfileString(section, key, std::to_string(value), layoutFile);
    };
    write("m_nShowDataType", m_nShowDataType);
    write("m_nDataPrecision", m_nDataPrecision);
    write("m_bShowDescrib", m_bShowDescrib ? 1 : 0);
    write("m_nSelCaseID", m_nSelCaseID);
    write("m_bShowUnit", m_bShowUnit ? 1 : 0);
}
