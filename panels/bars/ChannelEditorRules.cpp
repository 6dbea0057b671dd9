// Editors and choice lists of the channel-parameter bar's cells.
#include "panels/bars/ChannelEditorRules.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "model/CaseTables.h"
#include "model/ChannelNaming.h"
#include "model/ChannelRecords.h"
#include "model/ChannelTypeSource.h"
#include "model/NumberTexts.h"
#include "model/ValueConversion.h"
#include "panels/bars/ChannelBarPages.h"
#include "platform/Text.h"

namespace {

constexpr int PROJECT_HOLDING_DATA = 2;
constexpr double VOLTAGE_MATCH = 1e-15;
const int BRIDGE_MODE_PICTURES[] = {225, 225, 226, 227, 228, 229, 230};
constexpr int OTHER_BRIDGE_MODE_PICTURE = 200;

struct ChannelType {
    int typeId;
    bool applies; // the type section matches the module's sub-version
};

ChannelType GetChannelType(const ChannelBarContext& ctx, int channel) {
    IChannelTypeSource& source = GetChannelTypeSource();
    const int typeId = source.GetAcqChannelTypeID(channel);
    return {typeId, ctx.ini.MatchesSubVersion(typeId, source.GetChannelSubVersion(channel))};
}

CellEditor Text(std::string text) {
    CellEditor e;
    e.kind = CellEditorKind::Text;
    e.text = std::move(text);
    return e;
}

CellEditor List(std::vector<std::string> choices, int selected) {
    CellEditor e;
    if (choices.empty()) {
        return e;
    }
    e.kind = CellEditorKind::List;
    e.choices = std::move(choices);
    e.nSelected = selected >= 0 && selected < static_cast<int>(e.choices.size()) ? selected : 0;
    return e;
}

std::string Fixed4(float value) {
    return platform::Format("%.4f", static_cast<double>(value));
}

CellEditor TypeList(const ChannelBarContext& ctx, int channel) {
    std::vector<std::string> names;
    int selected = 0;
    for (int code : GetAllowedMeasureTypes(ctx, channel)) {
        if (code == g_ChannelParams[channel].nMeasureType) {
            selected = static_cast<int>(names.size());
        }
        names.emplace_back(code >= MEASURE_STRAIN && code <= MEASURE_RESISTANCE ? GetMeasureTypeName(code)
                                                                                : GetMeasureTypeName(0));
    }
    return List(names, selected);
}

CellEditor BridgeVoltageList(const ChannelBarContext& ctx, int channel) {
    const std::vector<std::string> texts = GetBridgeVoltageTexts(ctx, channel);
    int selected = 0;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (std::fabs(std::atof(texts[i].c_str()) - g_ChannelParams[channel].nBridgeVoltage) <
            VOLTAGE_MATCH) {
            selected = static_cast<int>(i);
        }
    }
    return List(texts, selected);
}

CellEditor RangeList(const ChannelBarContext& ctx, int channel) {
    const FullScaleChoices choices = GetFullScaleChoices(ctx, channel);
    if (choices.values.size() < 2) {
        return {};
    }
    int selected = 0;
    for (std::size_t i = 0; i < choices.levels.size(); ++i) {
        if (choices.levels[i] == g_ChannelState[channel].nFullScaleLevel) {
            selected = static_cast<int>(i);
            break;
        }
    }
    return List(GetFullScaleTexts(ctx, channel, choices), selected);
}

CellEditor UnitList(const ChannelBarContext& ctx, int channel) {
    const std::string unit = GetUnitText(channel);
    int selected = 0;
    for (std::size_t i = 0; i < ctx.units.size(); ++i) {
        if (ctx.units[i].rfind(unit, 0) == 0) {
            selected = static_cast<int>(i);
            break;
        }
    }
    return List(ctx.units, selected);
}

CellEditor BridgeModeList(const ChannelBarContext& ctx, int channel) {
    CellEditor e = List(ctx.bridgeModes, g_ChannelParams[channel].nBridgeType);
    for (std::size_t i = 0; i < e.choices.size(); ++i) {
        e.pictures.push_back(i < std::size(BRIDGE_MODE_PICTURES) ? BRIDGE_MODE_PICTURES[i]
                                                                 : OTHER_BRIDGE_MODE_PICTURE);
    }
    return e;
}

CellEditor NamedChannelList(std::vector<int> candidates, int current) {
    std::vector<std::string> names{"无"};
    int selected = 0;
    for (int c : candidates) {
        if (c == current) {
            selected = static_cast<int>(names.size());
        }
        names.push_back(FormatChannelName(c));
    }
    return List(names, selected);
}

CellEditor StrainCompensationList(const ChannelBarContext& ctx, const CellEditRequest& r) {
    const int controller = FindControllerOfChannel(ctx.controllers, r.channel, ctx.nChannelsPerUnit);
    if (controller < 0) {
        return {};
    }
    const ControllerRecord& rec = ctx.controllers[controller];
    std::vector<int> candidates;
    for (int m = 0; m < rec.nCases && m < 8; ++m) {
        const int unit = rec.nController * 8 + rec.nCaseNo[m];
        for (int k = 0; k < ctx.nChannelsPerUnit; ++k) {
            const int c = unit * ctx.nChannelsPerUnit + k;
            if (IsValidChannelId(c) && g_ChannelParams[c].nMeasureType == MEASURE_STRAIN &&
                !(c == r.channel && !r.bSeveralRows)) {
                candidates.push_back(c);
            }
        }
    }
    if (candidates.empty()) {
        return {};
    }
    return NamedChannelList(candidates, g_ChannelState[r.channel].nCompChannel);
}

CellEditor RtdCompensationList(int channel) {
    std::vector<int> candidates;
    for (int i = 0; i < g_nChannelCount && i < MAX_CHANNEL_COUNT; ++i) {
        const int c = g_ChannelList[i];
        if (c != channel && IsValidChannelId(c) && g_ChannelParams[c].nMeasureType == MEASURE_RTD) {
            candidates.push_back(c);
        }
    }
    return NamedChannelList(candidates, g_ChannelState[channel].nCompChannel);
}

CellEditor FixedList(std::vector<std::string> choices, int selected) {
    return List(std::move(choices), selected);
}

CellEditor StrainEditor(const ChannelBarContext& ctx, const CellEditRequest& r, bool rangeSwitch) {
    const ChannelParamRecord& p = g_ChannelParams[r.channel];
    const bool stress = p.nDisplayType == 1;
    switch (r.column) {
    case 1:
        return FixedList({"应变", "应力"}, p.nDisplayType);
    case 2:
        return BridgeModeList(ctx, r.channel);
    case 3:
        return rangeSwitch ? BridgeVoltageList(ctx, r.channel) : CellEditor{};
    case 4:
        return rangeSwitch ? RangeList(ctx, r.channel) : CellEditor{};
    case 5:
        return stress ? CellEditor{} : UnitList(ctx, r.channel);
    case 6:
        return Text(Fixed4(p.fGaugeResistance));
    case 7:
        return Text(Fixed4(p.fLeadResistance));
    case 8:
        return Text(Fixed4(p.fGaugeFactor));
    case 9:
        return Text(Fixed4(p.fPoissonRatio));
    case 10:
        return stress ? Text(Fixed4(p.fElasticModulus)) : CellEditor{};
    case 11:
        if (stress || IsCompensationOfListedStrain(r.channel, r.pageChannels)) {
            return {};
        }
        return StrainCompensationList(ctx, r);
    default:
        return {};
    }
}

CellEditor BridgeSensorEditor(const ChannelBarContext& ctx, const CellEditRequest& r, bool rangeSwitch) {
    switch (r.column) {
    case 1:
        return Text(Fixed4(g_ChannelParams[r.channel].fSensitivity));
    case 2:
        return BridgeVoltageList(ctx, r.channel);
    case 3:
        return rangeSwitch ? FixedList({"半桥", "全桥"}, g_ChannelState[r.channel].nBridgeKind)
                           : CellEditor{};
    case 4:
        return rangeSwitch ? RangeList(ctx, r.channel) : CellEditor{};
    case 5:
        return UnitList(ctx, r.channel);
    default:
        return {};
    }
}

CellEditor VoltageEditor(const ChannelBarContext& ctx, const CellEditRequest& r, bool rangeSwitch) {
    switch (r.column) {
    case 1:
        return Text(Fixed4(g_ChannelParams[r.channel].fSensitivity));
    case 2:
        return rangeSwitch ? RangeList(ctx, r.channel) : CellEditor{};
    case 3:
        return UnitList(ctx, r.channel);
    case 4:
        return FixedList({"相对量", "绝对量"}, g_ChannelState[r.channel].nValueType);
    default:
        return {};
    }
}

CellEditor ThermocoupleEditor(const ChannelBarContext& ctx, const CellEditRequest& r, bool rangeSwitch) {
    switch (r.column) {
    case 1:
        return rangeSwitch
                   ? FixedList({"K型热电偶", "E型热电偶", "T型热电偶"}, g_ChannelState[r.channel].nSensorType)
                   : CellEditor{};
    case 2:
        return rangeSwitch ? RangeList(ctx, r.channel) : CellEditor{};
    case 3:
        return RtdCompensationList(r.channel);
    case 4:
        return Text(r.cellText);
    case 5:
        return UnitList(ctx, r.channel);
    default:
        return {};
    }
}

CellEditor RtdEditor(const ChannelBarContext& ctx, const CellEditRequest& r, bool rangeSwitch) {
    switch (r.column) {
    case 1:
        return rangeSwitch ? FixedList({"Pt100", "Pt10", "PT1000"}, g_ChannelState[r.channel].nSensorType)
                           : CellEditor{};
    case 2:
        return rangeSwitch ? RangeList(ctx, r.channel) : CellEditor{};
    case 3:
        return UnitList(ctx, r.channel);
    default:
        return {};
    }
}

CellEditor SpeedEditor(const CellEditRequest& r) {
    const ChannelStateRecord& s = g_ChannelState[r.channel];
    switch (r.column) {
    case 1:
        return Text(platform::Format("%.f", static_cast<double>(s.fPulsesPerRev)));
    case 2:
        return Text(platform::Format("%.f", static_cast<double>(s.fSpeedRatio)));
    default:
        return {};
    }
}

CellEditor AlarmEditor(const CellEditRequest& r) {
    switch (r.column) {
    case 2:
        return FixedList({"上限", "下限", "窗内", "窗外"}, g_AlarmTable[r.channel].nAlarmType);
    case 3:
    case 4:
        return Text(r.cellText);
    default:
        return {};
    }
}

} // namespace

CellEditor GetCellEditor(const ChannelBarContext& ctx, const CellEditRequest& r) {
    if (!IsValidChannelId(r.channel)) {
        return {};
    }
    const bool rangeSwitch = ctx.nProjectState != PROJECT_HOLDING_DATA;
    switch (r.pageId) {
    case PAGE_OVERVIEW:
        if (r.column == 1) {
            return TypeList(ctx, r.channel);
        }
        return r.column == 2 ? Text(r.cellText) : CellEditor{};
    case PAGE_STRAIN:
        return StrainEditor(ctx, r, rangeSwitch);
    case PAGE_BRIDGE_SENSOR:
        return BridgeSensorEditor(ctx, r, rangeSwitch);
    case PAGE_VOLTAGE:
    case PAGE_RESISTANCE:
        return VoltageEditor(ctx, r, rangeSwitch);
    case PAGE_THERMOCOUPLE:
        return ThermocoupleEditor(ctx, r, rangeSwitch);
    case PAGE_RTD:
        return RtdEditor(ctx, r, rangeSwitch);
    case PAGE_SPEED:
        return SpeedEditor(r);
    case PAGE_ALARM:
        return AlarmEditor(r);
    default:
        return {};
    }
}

int GetFullScaleLevelCount(const ChannelBarContext& ctx, int channel) {
    const ChannelType t = GetChannelType(ctx, channel);
    const int measure = g_ChannelParams[channel].nMeasureType;
    const int count = t.applies ? ctx.ini.GetTypeFullValueCount(t.typeId, measure) : 0;
    return count > 0 ? count : ctx.ini.GetFullValueCount();
}

float GetFullScaleLevelValue(const ChannelBarContext& ctx, int channel, int level) {
    const ChannelType t = GetChannelType(ctx, channel);
    const int measure = g_ChannelParams[channel].nMeasureType;
    if (t.applies && ctx.ini.GetTypeFullValueCount(t.typeId, measure) > 0) {
        return ctx.ini.GetTypeFullValue(t.typeId, level, measure);
    }
    return ctx.ini.GetFullValue(level);
}

FullScaleChoices GetFullScaleChoices(const ChannelBarContext& ctx, int channel) {
    FullScaleChoices choices;
    const ChannelType t = GetChannelType(ctx, channel);
    const int measure = g_ChannelParams[channel].nMeasureType;
    const int typeCount = t.applies ? ctx.ini.GetTypeFullValueCount(t.typeId, measure) : 0;
    if (typeCount > 0) {
        for (int i = 0; i < typeCount; ++i) {
            choices.levels.push_back(i);
            choices.values.push_back(ctx.ini.GetTypeFullValue(t.typeId, i, measure));
        }
        return choices;
    }
    const int count = ctx.ini.GetFullValueCount();
    int first = 0;
    int last = count - 1;
    if (ctx.nModelType == MODEL_TYPE_MAIN && measure == MEASURE_STRAIN) {
        first = count - 1;
    } else if (ctx.nModelType == MODEL_TYPE_MAIN && measure == MEASURE_VOLTAGE) {
        last = count - 2;
    }
    for (int i = std::max(first, 0); i <= last; ++i) {
        choices.levels.push_back(i);
        choices.values.push_back(ctx.ini.GetFullValue(i));
    }
    return choices;
}

std::vector<std::string> GetFullScaleTexts(const ChannelBarContext& /*ctx*/, int channel,
                                           const FullScaleChoices& choices) {
    const int measure = g_ChannelParams[channel].nMeasureType;
    const bool temperature = measure == MEASURE_THERMOCOUPLE || measure == MEASURE_RTD;
    std::vector<std::string> texts;
    for (float raw : choices.values) {
        std::string text = FormatRangeText(channel, raw);
        if (temperature) {
            text =
                platform::Format("%s%s[%smV]", text.c_str(), GetUnitText(channel).c_str(),
                                 TrimTrailingZeros(platform::Format("%f", static_cast<double>(raw))).c_str());
        }
        texts.push_back(text);
    }
    return texts;
}

std::vector<std::string> GetBridgeVoltageTexts(const ChannelBarContext& ctx, int channel) {
    const ChannelType t = GetChannelType(ctx, channel);
    const int measure = g_ChannelParams[channel].nMeasureType;
    std::vector<std::string> texts;
    const int typeCount = t.applies ? ctx.ini.GetTypeBridgeVoltageCount(t.typeId, measure) : 0;
    const int count = typeCount > 0 ? typeCount : ctx.ini.GetBridgeVoltageCount();
    for (int i = 0; i < count; ++i) {
        std::string text;
        if (typeCount > 0) {
            ctx.ini.GetTypeBridgeVoltageText(t.typeId, i, measure, text);
        } else {
            ctx.ini.GetBridgeVoltageText(i, text);
        }
        texts.push_back(text);
    }
    return texts;
}

std::vector<int> GetAllowedMeasureTypes(const ChannelBarContext& ctx, int channel) {
    const ChannelType t = GetChannelType(ctx, channel);
    std::vector<int> codes;
    const int typeCount = ctx.ini.GetTypeMeasureSelCount(t.typeId);
    if (typeCount > 0 && t.applies) {
        for (int i = 0; i < typeCount; ++i) {
            codes.push_back(ctx.ini.GetTypeMeasureSel(t.typeId, i));
        }
        return codes;
    }
    const int count = ctx.ini.GetMeasureSelCount();
    for (int i = 0; i < count; ++i) {
        codes.push_back(ctx.ini.GetMeasureSel(i));
    }
    if (codes.empty()) {
        for (int code = MEASURE_STRAIN; code <= MEASURE_RESISTANCE; ++code) {
            codes.push_back(code);
        }
    }
    return codes;
}

int MeasureTypeOfName(const std::string& name) {
    for (int code = MEASURE_STRAIN; code <= MEASURE_RESISTANCE; ++code) {
        if (name == GetMeasureTypeName(code)) {
            return code;
        }
    }
    return MEASURE_STRAIN;
}

bool IsCompensationOfListedStrain(int channel, const std::vector<int>& pageChannels) {
    for (int c : pageChannels) {
        if (IsValidChannelId(c) && g_ChannelParams[c].nMeasureType == MEASURE_STRAIN &&
            g_ChannelState[c].nCompChannel == channel) {
            return true;
        }
    }
    return false;
}
