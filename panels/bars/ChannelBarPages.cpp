// Page contents of the channel-parameter bar.
#include "panels/bars/ChannelBarPages.h"

#include <charconv>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <string_view>
#include <utility>

#include "model/CaseTables.h"
#include "model/ChannelNaming.h"
#include "model/ChannelRecords.h"
#include "model/NumberTexts.h"
#include "model/ValueConversion.h"
#include "platform/Text.h"

namespace {

constexpr int MAX_MODULES_PER_CONTROLLER = 8;
constexpr std::size_t MAX_PAGE_COLUMNS = 12; // the strain page's

const char* const DISPLAY_TYPE_NAMES[] = {"应变", "应力"};
const char* const THERMOCOUPLE_NAMES[] = {"K型热电偶", "E型热电偶", "T型热电偶"};
const char* const RTD_NAMES[] = {"Pt100", "Pt10", "PT1000"};
const char* const ALARM_TYPE_NAMES[] = {"超限报警", "低限报警", "窗内报警", "窗外报警"};

template <std::size_t N> std::string NameAt(const char* const (&names)[N], int index) {
    return index >= 0 && index < static_cast<int>(N) ? names[index] : "";
}

std::string FieldText(const char* field, std::size_t size) {
    return platform::GbkToUtf8(std::string_view(field, strnlen(field, size)));
}

std::string Tick(int flag) {
    return flag != 0 ? "√" : "×";
}

// The same text as "%.4f" without the cost of parsing a format for every cell
// of a page. A float's widest such text, with sign, is 45 characters.
std::string Fixed4(float value) {
    char text[64];
    const auto end =
        std::to_chars(text, text + sizeof(text), static_cast<double>(value), std::chars_format::fixed, 4);
    return std::string(text, end.ptr);
}

std::string Fixed4Trimmed(float value) {
    return TrimTrailingZeros(Fixed4(value));
}

bool IsPresent(int channel) {
    return IsValidChannelId(channel) && g_ChannelState[channel].bPresent != 0;
}

int PageOfType(int type) {
    return type >= MEASURE_STRAIN && type <= MEASURE_RESISTANCE ? type + 1 : -1;
}

// Whether a channel of the range belongs on the page.
bool IsListedOnPage(int pageId, int channel) {
    const int type = g_ChannelParams[channel].nMeasureType;
    switch (pageId) {
    case PAGE_OVERVIEW:
        return IsPresent(channel) && type != MEASURE_PASS_THROUGH;
    case PAGE_ALARM:
        return type != MEASURE_PASS_THROUGH;
    case PAGE_STRAIN:
    case PAGE_SPEED:
        return IsPresent(channel) && PageOfType(type) == pageId;
    default:
        return PageOfType(type) == pageId;
    }
}

std::string_view DescriptionKey(int channel) {
    const auto& field = g_ChannelParams[channel].szDescription;
    return {field, strnlen(field, sizeof(field))};
}

// Channels that share a description come first, group after group in the
// order each description first appears, then the channels with a description
// of their own in list order. A group is known by the row that first names
// it, found through one flat open-addressed table, and rows are placed by
// counting. Rows fit in 16 bits, which keeps the working memory of a full
// list near 10 bytes a channel: with more, each listing made the allocator
// grow the heap and hand it back to the system, and 4,096 channels cost
// several times more per channel than 1,024.
std::vector<int> GroupByDescription(const std::vector<int>& channels) {
    using Row = std::int16_t;
    static_assert(MAX_CHANNEL_COUNT <= std::numeric_limits<Row>::max());
    const std::size_t count = channels.size();
    std::size_t slots = 16;
    while (slots < 2 * count) {
        slots *= 2;
    }
    const std::size_t mask = slots - 1;
    std::vector<Row> slotFirstRow(slots, -1);
    std::vector<Row> firstRowOf(count);
    std::vector<Row> groupSize(count, 0); // by the group's first row
    for (std::size_t row = 0; row < count; ++row) {
        const std::string_view key = DescriptionKey(channels[row]);
        const std::size_t hash = std::hash<std::string_view>{}(key);
        std::size_t slot = hash & mask;
        while (slotFirstRow[slot] >= 0 && DescriptionKey(channels[slotFirstRow[slot]]) != key) {
            slot = (slot + 1) & mask;
        }
        if (slotFirstRow[slot] < 0) {
            slotFirstRow[slot] = static_cast<Row>(row);
        }
        firstRowOf[row] = slotFirstRow[slot];
        ++groupSize[firstRowOf[row]];
    }
    slotFirstRow = {};
    // From here on a shared group's entry is where its next member goes, a
    // lone channel's is -1.
    std::vector<Row>& nextPlace = groupSize;
    Row shared = 0;
    for (std::size_t row = 0; row < count; ++row) {
        if (firstRowOf[row] == static_cast<Row>(row)) {
            const Row size = groupSize[row];
            nextPlace[row] = size > 1 ? shared : -1;
            shared = static_cast<Row>(shared + (size > 1 ? size : 0));
        }
    }
    int single = shared;
    std::vector<int> ordered(count);
    for (std::size_t row = 0; row < count; ++row) {
        Row& next = nextPlace[firstRowOf[row]];
        ordered[next >= 0 ? next++ : single++] = channels[row];
    }
    return ordered;
}

std::string CompensationName(int channel) {
    return FormatChannelName(g_ChannelState[channel].nCompChannel);
}

} // namespace

const char* GetPageTabText(int pageId) {
    static const char* const names[] = {"测点参数", "应变应力", "桥式传感器", "热电偶测温", "铂电阻测温",
                                        "转速测量", "电压测量", "电阻测量",   "警戒参数"};
    return pageId >= PAGE_OVERVIEW && pageId <= PAGE_ALARM ? names[pageId] : "";
}

std::string GetPageHeading(int pageId, bool gndInputMode) {
    switch (pageId) {
    case PAGE_OVERVIEW:
        return "^测点号     |^测量内容            |^测点描述            |^测点显示            ";
    case PAGE_STRAIN:
        return "^测点号     |^显示类型 |^桥路类型   |^桥压(V)  |^量程范围(EU)|^工程单位 |^应变计电阻 "
               "|^导线电阻  "
               "|^灵敏度系数 |^泊松比  |^弹性模量[GPa] |^补偿通道    ";
    case PAGE_BRIDGE_SENSOR:
        return "^测点号     |^传感器灵敏度(mV/EU) |^桥压(V)             |^桥路类型            |^量程范围(EU) "
               "   "
               "    |^工程单位(EU)        ";
    case PAGE_THERMOCOUPLE:
        return "^测点号     |^热电偶类型     |^量程范围(EU)   |^补偿通道       |^冷端温度       "
               "|^工程单位(EU)    ";
    case PAGE_RTD:
        return "^测点号     |^铂电阻类型          |^量程范围(EU)        |^工程单位(EU)        ";
    case PAGE_SPEED:
        return "^转速号     |^每转脉冲数          |^转速比              ";
    case PAGE_VOLTAGE:
    case PAGE_RESISTANCE: {
        std::string heading = "^测点号     |^灵敏度(mV/EU)      |^量程范围(EU)        |^工程单位(EU)        ";
        return gndInputMode ? heading + "|^值类型          " : heading;
    }
    case PAGE_ALARM:
        return "^测点号     |^参加警戒        |^报警类型        |^警戒上限(EU)        |^警戒下限(EU)        ";
    default:
        return "";
    }
}

std::vector<int> BuildTypeTabTable() {
    bool seen[MEASURE_RESISTANCE + 1] = {};
    for (int i = 0; i < g_nChannelCount && i < MAX_CHANNEL_COUNT; ++i) {
        const int channel = g_ChannelList[i];
        if (!IsPresent(channel)) {
            continue;
        }
        const int type = g_ChannelParams[channel].nMeasureType;
        if (type >= MEASURE_STRAIN && type <= MEASURE_RESISTANCE) {
            seen[type] = true;
        }
    }
    std::vector<int> table;
    for (int type = MEASURE_STRAIN; type <= MEASURE_RESISTANCE; ++type) {
        if (seen[type]) {
            table.push_back(type + 1);
        }
    }
    table.push_back(PAGE_ALARM);
    return table;
}

int PageIdOfTab(const std::vector<int>& table, int tabIndex) {
    if (tabIndex == 0) {
        return PAGE_OVERVIEW;
    }
    if (tabIndex >= 1 && tabIndex <= static_cast<int>(table.size())) {
        return table[tabIndex - 1];
    }
    return tabIndex;
}

ChannelRowRange GetDefaultRowRange() {
    return {0, g_nChannelCount - 1};
}

ChannelRowRange GetCasePagingRange(int tab, int channelsPerUnit) {
    if (tab < 0 || tab >= g_nCaseCount || channelsPerUnit <= 0) {
        return GetDefaultRowRange();
    }
    ChannelRowRange range{tab * channelsPerUnit, (tab + 1) * channelsPerUnit - 1};
    return range.last >= g_nChannelCount ? GetDefaultRowRange() : range;
}

ChannelRowRange GetControllerPagingRange(int tab, const std::vector<ControllerRecord>& controllers,
                                         int channelsPerUnit) {
    if (tab < 0 || tab >= static_cast<int>(controllers.size()) || channelsPerUnit <= 0) {
        return GetDefaultRowRange();
    }
    ChannelRowRange range = GetDefaultRowRange();
    int modulesBefore = 0;
    for (int c = 0; c <= tab; ++c) {
        const int modules = std::min(controllers[c].nCases, MAX_MODULES_PER_CONTROLLER);
        if (modules > 0) {
            range.first = modulesBefore * channelsPerUnit;
            range.last = range.first + modules * channelsPerUnit - 1;
        }
        modulesBefore += std::max(modules, 0);
    }
    return range;
}

std::vector<std::string> BuildCaseTabTexts() {
    std::vector<std::string> texts;
    for (int i = 0; i < g_nCaseCount; ++i) {
        texts.push_back(FormatModuleName(g_CaseList[i]) + "号采集箱");
    }
    return texts;
}

std::vector<std::string> BuildControllerTabTexts(const std::vector<ControllerRecord>& controllers) {
    std::vector<std::string> texts;
    for (const ControllerRecord& r : controllers) {
        texts.push_back(std::string(r.szAddress, strnlen(r.szAddress, sizeof(r.szAddress))) +
                        platform::Format("*%d", r.nController + 1));
    }
    return texts;
}

std::vector<int> ListPageChannels(int pageId, ChannelRowRange range) {
    std::vector<int> channels;
    const int first = std::max(range.first, 0);
    const int last = std::min({range.last, g_nChannelCount - 1, MAX_CHANNEL_COUNT - 1});
    channels.reserve(static_cast<std::size_t>(std::max(last - first + 1, 0)));
    for (int i = first; i <= last; ++i) {
        const int channel = g_ChannelList[i];
        if (IsValidChannelId(channel) && IsListedOnPage(pageId, channel)) {
            channels.push_back(channel);
        }
    }
    return pageId == PAGE_OVERVIEW ? GroupByDescription(channels) : channels;
}

std::string FormatRangeText(int channel, float fullScale) {
    const double value = ConvertFullScaleToValue(channel, fullScale);
    return TrimTrailingZeros(platform::Format(GetValueFormatByMagnitude(value), value));
}

std::string FormatBridgeVoltageText(int volts) {
    // Whole volts: three decimals with the trailing zeros removed leave none.
    return std::to_string(volts);
}

unsigned GetModulusCellColor(int channel) {
    return g_ChannelParams[channel].nDisplayType == 0 ? COLOR_MODULUS_GREY : COLOR_WHITE;
}

std::string GetUnitText(int channel) {
    return FieldText(g_ChannelParams[channel].szUnit, sizeof(g_ChannelParams[channel].szUnit));
}

std::string GetDescriptionText(int channel) {
    return FieldText(g_ChannelParams[channel].szDescription, sizeof(g_ChannelParams[channel].szDescription));
}

std::vector<std::string> FormatPageRow(int pageId, int channel, const std::vector<std::string>& bridgeModes,
                                       bool gndInputMode) {
    const ChannelParamRecord& p = g_ChannelParams[channel];
    const ChannelStateRecord& s = g_ChannelState[channel];
    const AlarmRecord& a = g_AlarmTable[channel];
    std::vector<std::string> cells;
    cells.reserve(MAX_PAGE_COLUMNS);
    // Cells are moved in, never copied out of a brace list, and the range is
    // formatted only for the pages that show it.
    const auto add = [&cells](auto&&... texts) {
        (cells.emplace_back(std::forward<decltype(texts)>(texts)), ...);
    };
    const auto range = [&] { return FormatRangeText(channel, s.fFullScale); };
    add(FormatChannelName(channel));
    switch (pageId) {
    case PAGE_OVERVIEW:
        add(GetMeasureTypeName(p.nMeasureType), GetDescriptionText(channel), Tick(p.bShown));
        break;
    case PAGE_STRAIN: {
        const bool known = p.nBridgeType >= 0 && p.nBridgeType < static_cast<int>(bridgeModes.size());
        add(NameAt(DISPLAY_TYPE_NAMES, p.nDisplayType), known ? bridgeModes[p.nBridgeType] : std::string(),
            FormatBridgeVoltageText(p.nBridgeVoltage), range(), GetUnitText(channel),
            Fixed4(p.fGaugeResistance), Fixed4(p.fLeadResistance), Fixed4(p.fGaugeFactor),
            Fixed4(p.fPoissonRatio), Fixed4(p.fElasticModulus), CompensationName(channel));
        break;
    }
    case PAGE_BRIDGE_SENSOR:
        add(Fixed4(p.fSensitivity), FormatBridgeVoltageText(p.nBridgeVoltage),
            std::string(s.nBridgeKind == 1 ? "全桥" : "半桥"), range(), GetUnitText(channel));
        break;
    case PAGE_VOLTAGE:
    case PAGE_RESISTANCE:
        add(Fixed4Trimmed(p.fSensitivity), range(), GetUnitText(channel));
        if (gndInputMode) {
            add(std::string(GetRelAbsModeText(s.nValueType)));
        }
        break;
    case PAGE_THERMOCOUPLE:
        add(NameAt(THERMOCOUPLE_NAMES, s.nSensorType), range(), CompensationName(channel),
            Fixed4Trimmed(s.fColdJunctionTemp), GetUnitText(channel));
        break;
    case PAGE_RTD:
        add(NameAt(RTD_NAMES, s.nSensorType), range(), GetUnitText(channel));
        break;
    case PAGE_SPEED:
        add(platform::Format("%.f", static_cast<double>(s.fPulsesPerRev)),
            platform::Format("%.f", static_cast<double>(s.fSpeedRatio)));
        break;
    case PAGE_ALARM:
        add(Tick(a.bEnabled), NameAt(ALARM_TYPE_NAMES, a.nAlarmType), Fixed4(a.fUpper), Fixed4(a.fLower));
        break;
    default:
        break;
    }
    return cells;
}
