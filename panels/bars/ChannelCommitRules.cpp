// Commit rules of the channel-parameter bar, page by page.
#include "panels/bars/ChannelCommitRules.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <unordered_set>

#include "model/AppSettings.h"
#include "model/CaseTables.h"
#include "model/ChannelDefaults.h"
#include "model/ChannelNaming.h"
#include "model/GbkTextCut.h"
#include "model/NumberTexts.h"
#include "model/RunFlags.h"
#include "model/ValueConversion.h"
#include "panels/bars/BarMessages.h"
#include "panels/bars/ChannelBarPages.h"
#include "panels/bars/ChannelEditorRules.h"
#include "platform/MessageBox.h"
#include "project/ChannelParamFile.h"

namespace {

constexpr int CHANNELS_PER_BRIDGE_GROUP = 4;
constexpr int MODEL_TYPE_NETWORK_B = 4;
constexpr int MAIN_MODEL_STRAIN_LEVEL = 2;
constexpr int MAIN_MODEL_VOLTAGE_LEVEL_LIMIT = 2;
constexpr double MIN_POSITIVE = 1e-12;
constexpr double MAX_VALUE = 1e12;
constexpr double MIN_DIVISOR = 1e-18;
constexpr double MIN_SPEED_VALUE = 1e-9;

// One commit's working state.
class CommitRun {
public:
    CommitRun(const ChannelBarContext& ctx, const CellCommit& c, CommitResult& r)
        : m_ctx(ctx), m_c(c), m_r(r) {
        m_value = std::atof(c.text.c_str());
    }

    void Run();

private:
    void Overview();
    void ChangeType(int channel, int type);
    void ReselectFullScale(int channel);
    bool StrainRow(int channel);
    bool BridgeSensorRow(int channel);
    bool VoltageRow(int channel);
    bool ThermocoupleRow(int channel);
    bool RtdRow(int channel);
    bool SpeedRow(int channel);
    bool AlarmRow(int channel);
    void StrainCompensation(int channel);

    bool CheckValueRange();
    // A number text holds a digit or a point somewhere (a sign is allowed).
    bool IsNumber() const { return m_c.text.find_first_of("0123456789.") != std::string::npos; }
    void Changed(int channel);
    void Touch(int channel) { m_r.touchedChannels.push_back(channel); }
    void SetFullScale(int channel);
    void PostResetZero(int channel) {
        m_r.messages.push_back({WM_BAR_RESET_ZERO, platform::WPARAM(channel), true});
    }
    void SetBridgeVoltage(int channel);
    void SetUnit(int channel);
    CHardwareParamCorrect& Corrector();
    void Send(platform::UINT message) { m_r.messages.push_back({message, 0, false}); }

    const ChannelBarContext& m_ctx;
    const CellCommit& m_c;
    CommitResult& m_r;
    double m_value = 0.0;
    std::unordered_set<int> m_changed;
    std::unique_ptr<CHardwareParamCorrect> m_ownCorrector;
};

void RecomputeExcitation(int channel) {
    const ChannelParamRecord& p = g_ChannelParams[channel];
    ChannelStateRecord& s = g_ChannelState[channel];
    const double ratio = p.fGaugeResistance != 0.0f ? p.fLeadResistance / p.fGaugeResistance : 0.0;
    const double divisor = (1.0 + ratio) * (s.fBridgeGain != 0.0f ? s.fBridgeGain : 1.0);
    s.fBridgeVoltage = static_cast<float>(divisor != 0.0 ? p.nBridgeVoltage / divisor : p.nBridgeVoltage);
}

int WholeVolts(double value) {
    return value > -2147483648.0 && value < 2147483648.0 ? static_cast<int>(value) : 0;
}

CHardwareParamCorrect& CommitRun::Corrector() {
    if (m_ctx.pCorrector != nullptr) {
        return *m_ctx.pCorrector;
    }
    if (!m_ownCorrector) {
        m_ownCorrector = std::make_unique<CHardwareParamCorrect>(g_ChannelParams, g_ChannelState,
                                                                 m_ctx.ini.GetFilePath(), m_ctx.nModelType);
    }
    return *m_ownCorrector;
}

void CommitRun::Changed(int channel) {
    if (m_changed.insert(channel).second) {
        m_r.changedChannels.push_back(channel);
    }
}

bool CommitRun::CheckValueRange() {
    bool ok = true;
    const double v = m_value;
    switch (m_c.pageId) {
    case PAGE_STRAIN:
        if (m_c.column == 6 || m_c.column == 9 || m_c.column == 10) {
            ok = v >= MIN_POSITIVE && v <= MAX_VALUE;
        } else if (m_c.column == 8) {
            ok = std::fabs(v) >= MIN_DIVISOR;
        } else if (m_c.column == 7) {
            // The lead resistance divides the excitation: a negative one can make it zero.
            ok = v >= 0.0 && v <= MAX_VALUE;
        }
        break;
    case PAGE_BRIDGE_SENSOR:
    case PAGE_VOLTAGE:
    case PAGE_RESISTANCE:
        // The sensitivity divides every reading of the channel.
        ok = m_c.column != 1 || std::fabs(v) >= MIN_DIVISOR;
        break;
    default:
        break;
    }
    if (!ok) {
        platform::MessageBox(MSG_VALUE_OUT_OF_RANGE, g_strAppTitle, platform::MB_ICONSTOP);
    }
    return ok;
}

void CommitRun::SetFullScale(int channel) {
    const FullScaleChoices choices = GetFullScaleChoices(m_ctx, channel);
    if (m_c.listIndex < 0 || m_c.listIndex >= static_cast<int>(choices.levels.size())) {
        return;
    }
    g_ChannelState[channel].nFullScaleLevel = choices.levels[m_c.listIndex];
    g_ChannelState[channel].fFullScale = choices.values[m_c.listIndex];
    Changed(channel);
}

void CommitRun::SetUnit(int channel) {
    StoreGbkField(g_ChannelParams[channel].szUnit, sizeof(g_ChannelParams[channel].szUnit), m_c.text);
}

void CommitRun::SetBridgeVoltage(int channel) {
    const int volts = WholeVolts(m_value);
    g_ChannelParams[channel].nBridgeVoltage = volts;
    RecomputeExcitation(channel);
    Changed(channel);
    if (IsChannelSubVersion3(channel)) {
        return;
    }
    const int first = channel / CHANNELS_PER_BRIDGE_GROUP * CHANNELS_PER_BRIDGE_GROUP;
    for (int c = first; c < first + CHANNELS_PER_BRIDGE_GROUP; ++c) {
        if (c == channel) {
            continue;
        }
        g_ChannelParams[c].nBridgeVoltage = volts;
        RecomputeExcitation(c);
        UpdateChannelScale(c);
        Changed(c);
        Touch(c);
    }
}

void CommitRun::ReselectFullScale(int channel) {
    ChannelStateRecord& s = g_ChannelState[channel];
    const int type = g_ChannelParams[channel].nMeasureType;
    if (s.nFullScaleLevel < 0 || s.nFullScaleLevel >= GetFullScaleLevelCount(m_ctx, channel)) {
        s.nFullScaleLevel = 0;
    }
    s.fFullScale = GetFullScaleLevelValue(m_ctx, channel, s.nFullScaleLevel);
    if (m_ctx.nModelType != MODEL_TYPE_MAIN) {
        return;
    }
    if (type == MEASURE_STRAIN) {
        s.nFullScaleLevel = MAIN_MODEL_STRAIN_LEVEL;
        s.fFullScale = m_ctx.ini.GetFullValue(s.nFullScaleLevel);
    } else if (type == MEASURE_VOLTAGE && s.nFullScaleLevel >= MAIN_MODEL_VOLTAGE_LEVEL_LIMIT) {
        s.nFullScaleLevel = 0;
        s.fFullScale = m_ctx.ini.GetFullValue(0);
    }
}

void CommitRun::ChangeType(int channel, int type) {
    ChannelParamRecord& p = g_ChannelParams[channel];
    const int oldType = p.nMeasureType;
    p.nMeasureType = type;
    Corrector().SetDefaultUnit(channel);
    ApplyMeasureTypeDefaults(type, channel);
    ReselectFullScale(channel);
    if (oldType == MEASURE_STRAIN && type == MEASURE_BRIDGE_SENSOR) {
        g_ChannelState[channel].nBridgeKind = p.nBridgeType >= 5 && p.nBridgeType <= 6 ? 1 : 0;
    }
    if (m_ctx.nModelType == MODEL_TYPE_MAIN || m_ctx.nModelType == MODEL_TYPE_NETWORK_B) {
        Changed(channel);
    }
    UpdateChannelScale(channel);
}

void CommitRun::Overview() {
    if (m_c.column == 1) {
        const int type = MeasureTypeOfName(m_c.text);
        std::unordered_set<int> leftRtd;
        for (int channel : m_c.rowChannels) {
            if (g_ChannelParams[channel].nMeasureType == type) {
                continue;
            }
            if (g_ChannelParams[channel].nMeasureType == MEASURE_RTD) {
                leftRtd.insert(channel);
            }
            ChangeType(channel, type);
            Touch(channel);
        }
        if (!leftRtd.empty()) {
            // A channel that is no longer an RTD cannot serve a thermocouple.
            for (int c = 0; c < MAX_CHANNEL_COUNT; ++c) {
                if (g_ChannelParams[c].nMeasureType == MEASURE_THERMOCOUPLE &&
                    leftRtd.count(g_ChannelState[c].nCompChannel) != 0) {
                    g_ChannelState[c].nCompChannel = -1;
                }
            }
        }
        m_r.bRebuildTypeTabs = true;
        g_nStrainChanCount = CountChannelsOfType(MEASURE_STRAIN);
        m_r.messages.push_back({WM_BAR_SAMPLE_MODE_CHANGED, 0, false});
    } else if (m_c.column == 2) {
        for (int channel : m_c.rowChannels) {
            StoreGbkField(g_ChannelParams[channel].szDescription,
                          sizeof(g_ChannelParams[channel].szDescription), m_c.text);
            Touch(channel);
        }
        Send(WM_BAR_DESCRIPTIONS_CHANGED);
    }
}

void CommitRun::StrainCompensation(int channel) {
    ChannelStateRecord& s = g_ChannelState[channel];
    if (IsCompensationOfListedStrain(channel, m_c.pageChannels)) {
        s.nCompChannel = -1;
        return;
    }
    if (m_c.text == "无") {
        s.nCompChannel = -1;
        return;
    }
    const int named = ParseChannelName(m_c.text);
    const int mine = FindControllerOfChannel(m_ctx.controllers, channel, m_ctx.nChannelsPerUnit);
    if (IsValidChannelId(named) && mine >= 0 &&
        FindControllerOfChannel(m_ctx.controllers, named, m_ctx.nChannelsPerUnit) == mine) {
        s.nCompChannel = named;
    }
}

bool CommitRun::StrainRow(int channel) {
    ChannelParamRecord& p = g_ChannelParams[channel];
    const float value = static_cast<float>(m_value);
    switch (m_c.column) {
    case 1:
        p.nDisplayType = m_c.listIndex;
        Corrector().SetDefaultUnit(channel);
        break;
    case 2:
        p.nBridgeType = m_c.listIndex;
        Changed(channel);
        break;
    case 3:
        SetBridgeVoltage(channel);
        break;
    case 4:
        SetFullScale(channel);
        PostResetZero(channel);
        break;
    case 5:
        SetUnit(channel);
        break;
    case 6:
    case 7:
    case 8:
    case 9:
    case 10: {
        if (!IsNumber()) {
            return false;
        }
        float* fields[] = {&p.fGaugeResistance, &p.fLeadResistance, &p.fGaugeFactor, &p.fPoissonRatio,
                           &p.fElasticModulus};
        *fields[m_c.column - 6] = value;
        if (m_c.column <= 7) {
            RecomputeExcitation(channel);
        }
        break;
    }
    case 11:
        StrainCompensation(channel);
        break;
    default:
        break;
    }
    UpdateChannelScale(channel);
    return true;
}

bool CommitRun::BridgeSensorRow(int channel) {
    switch (m_c.column) {
    case 1:
        if (!IsNumber()) {
            return false;
        }
        g_ChannelParams[channel].fSensitivity = static_cast<float>(m_value);
        break;
    case 2:
        SetBridgeVoltage(channel);
        break;
    case 3:
        g_ChannelState[channel].nBridgeKind = m_c.listIndex;
        Changed(channel);
        break;
    case 4:
        SetFullScale(channel);
        PostResetZero(channel);
        break;
    case 5:
        SetUnit(channel);
        break;
    default:
        break;
    }
    UpdateChannelScale(channel);
    return true;
}

bool CommitRun::VoltageRow(int channel) {
    switch (m_c.column) {
    case 1:
        if (!IsNumber()) {
            return false;
        }
        g_ChannelParams[channel].fSensitivity = static_cast<float>(m_value);
        break;
    case 2:
        SetFullScale(channel);
        PostResetZero(channel);
        break;
    case 3:
        SetUnit(channel);
        break;
    case 4:
        g_ChannelState[channel].nValueType = m_c.listIndex;
        Changed(channel);
        break;
    default:
        break;
    }
    UpdateChannelScale(channel);
    return true;
}

bool CommitRun::ThermocoupleRow(int channel) {
    ChannelStateRecord& s = g_ChannelState[channel];
    switch (m_c.column) {
    case 1:
        s.nSensorType = m_c.listIndex;
        Changed(channel);
        break;
    case 2:
        SetFullScale(channel);
        break;
    case 3:
        s.nCompChannel = m_c.text == "无" ? -1 : ParseChannelName(m_c.text);
        if (!IsValidChannelId(s.nCompChannel)) {
            s.nCompChannel = -1;
        }
        break;
    case 4:
        if (!IsNumber()) {
            return false;
        }
        s.fColdJunctionTemp = static_cast<float>(m_value);
        break;
    case 5:
        SetUnit(channel);
        break;
    default:
        break;
    }
    return true;
}

bool CommitRun::RtdRow(int channel) {
    switch (m_c.column) {
    case 1:
        g_ChannelState[channel].nSensorType = m_c.listIndex;
        Changed(channel);
        break;
    case 2:
        SetFullScale(channel);
        break;
    case 3:
        SetUnit(channel);
        break;
    default:
        break;
    }
    return true;
}

bool CommitRun::SpeedRow(int channel) {
    if (m_c.column != 1 && m_c.column != 2) {
        return true;
    }
    if (m_c.text.empty() || !IsValidNumberText(2, m_c.text) || !(m_value > MIN_SPEED_VALUE)) {
        return false;
    }
    float& field =
        m_c.column == 1 ? g_ChannelState[channel].fPulsesPerRev : g_ChannelState[channel].fSpeedRatio;
    field = static_cast<float>(m_value);
    return true;
}

bool CommitRun::AlarmRow(int channel) {
    AlarmRecord& a = g_AlarmTable[channel];
    const bool window = a.nAlarmType == 2 || a.nAlarmType == 3;
    const float value = static_cast<float>(m_value);
    switch (m_c.column) {
    case 2:
        a.nAlarmType = m_c.listIndex;
        if ((a.nAlarmType == 2 || a.nAlarmType == 3) && a.fUpper < a.fLower) {
            std::swap(a.fUpper, a.fLower);
        }
        break;
    case 3:
        if (!IsNumber()) {
            return false;
        }
        if (window && value < a.fLower) {
            a.fUpper = a.fLower;
            a.fLower = value;
        } else {
            a.fUpper = value;
        }
        break;
    case 4:
        if (!IsNumber()) {
            return false;
        }
        if (window && value > a.fUpper) {
            a.fLower = a.fUpper;
            a.fUpper = value;
        } else {
            a.fLower = value;
        }
        break;
    default:
        break;
    }
    return true;
}

void CommitRun::Run() {
    if (m_c.pageId == PAGE_OVERVIEW) {
        Overview();
        return;
    }
    if (!CheckValueRange()) {
        return;
    }
    for (int channel : m_c.rowChannels) {
        if (!IsValidChannelId(channel)) {
            continue;
        }
        bool ok = true;
        switch (m_c.pageId) {
        case PAGE_STRAIN:
            ok = StrainRow(channel);
            break;
        case PAGE_BRIDGE_SENSOR:
            ok = BridgeSensorRow(channel);
            break;
        case PAGE_VOLTAGE:
        case PAGE_RESISTANCE:
            ok = VoltageRow(channel);
            break;
        case PAGE_THERMOCOUPLE:
            ok = ThermocoupleRow(channel);
            break;
        case PAGE_RTD:
            ok = RtdRow(channel);
            break;
        case PAGE_SPEED:
            ok = SpeedRow(channel);
            break;
        case PAGE_ALARM:
            ok = AlarmRow(channel);
            break;
        default:
            break;
        }
        if (!ok) {
            break;
        }
        Touch(channel);
    }
}

bool SendsMonitorRedraw(int pageId) {
    return pageId != PAGE_OVERVIEW && pageId != PAGE_SPEED && pageId != PAGE_ALARM;
}

} // namespace

CommitResult CommitCellEdit(const ChannelBarContext& ctx, const CellCommit& commit) {
    CommitResult result;
    if (IsRunActive()) {
        result.bRefused = true;
        return result;
    }
    std::vector<int> rows;
    for (int channel : commit.rowChannels) {
        if (IsValidChannelId(channel)) {
            rows.push_back(channel);
        }
    }
    CellCommit valid = commit;
    valid.rowChannels = rows;
    CommitRun(ctx, valid, result).Run();
    if (!result.changedChannels.empty()) {
        result.messages.push_back({WM_BAR_SEND_CHANNEL_PARAMS, 0, false});
        if (SendsMonitorRedraw(commit.pageId)) {
            result.messages.push_back({WM_BAR_REDRAW_MONITORS, 0, false});
        }
    }
    return result;
}

void SendBarMessages(platform::HWND owner, CommitResult& result) {
    for (const BarMessage& m : result.messages) {
        const platform::WPARAM wParam = m.message == WM_BAR_SEND_CHANNEL_PARAMS
                                            ? reinterpret_cast<platform::WPARAM>(&result.changedChannels)
                                            : m.wParam;
        if (m.bPost) {
            platform::PostMessage(owner, m.message, wParam, 0);
        } else {
            platform::SendMessage(owner, m.message, wParam, 0);
        }
    }
}

int SaveChannelTables(const std::string& programFile, const std::string& projectFile, int projectState) {
    int ok = programFile.empty() ? 1 : SaveChannelParamFile(programFile);
    if (projectState >= 1 && projectState <= 3 && !projectFile.empty()) {
        ok = SaveChannelParamFile(projectFile) != 0 && ok != 0 ? 1 : 0;
    }
    return ok;
}
