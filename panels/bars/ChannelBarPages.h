// The pages of the channel-parameter bar: which tabs it shows, which channels
// each page lists and in what order, and the text of every cell, read from
// the process-wide channel tables.
#pragma once

#include <string>
#include <vector>

#include "acquisition/NetComm.h"

constexpr int PAGE_OVERVIEW = 0;
constexpr int PAGE_STRAIN = 1;
constexpr int PAGE_BRIDGE_SENSOR = 2;
constexpr int PAGE_THERMOCOUPLE = 3;
constexpr int PAGE_RTD = 4;
constexpr int PAGE_SPEED = 5;
constexpr int PAGE_VOLTAGE = 6;
constexpr int PAGE_RESISTANCE = 7;
constexpr int PAGE_ALARM = 8;

// Columns the rules refer to by number.
constexpr int COL_STRAIN_RANGE = 4;
constexpr int COL_STRAIN_UNIT = 5;
constexpr int COL_STRAIN_MODULUS = 10;

constexpr unsigned COLOR_MODULUS_GREY = 0x808080;
constexpr unsigned COLOR_WHITE = 0xFFFFFF;

// Tab text of a page ("测点参数" for the overview).
const char* GetPageTabText(int pageId);
// The grid's format string of a page ("^" centred headings, "|" between).
std::string GetPageHeading(int pageId, bool gndInputMode);

// Page ids of type tabs 1..n: the types of the present channels, ascending,
// then the alarm page.
std::vector<int> BuildTypeTabTable();
// Tab index 0 is the overview, 1..n come from the table, any other index is
// taken as a page id.
int PageIdOfTab(const std::vector<int>& table, int tabIndex);

// Positions first..last of the frame's channel list that a page lists.
struct ChannelRowRange {
    int first = 0;
    int last = -1;
};
ChannelRowRange GetDefaultRowRange();
ChannelRowRange GetCasePagingRange(int tab, int channelsPerUnit);
ChannelRowRange GetControllerPagingRange(int tab, const std::vector<ControllerRecord>& controllers,
                                         int channelsPerUnit);
std::vector<std::string> BuildCaseTabTexts();
std::vector<std::string> BuildControllerTabTexts(const std::vector<ControllerRecord>& controllers);

// The channels of a page's rows in order (the overview grouped by description).
std::vector<int> ListPageChannels(int pageId, ChannelRowRange range);

// Cell texts of a channel's row (column 0 is the channel name).
std::vector<std::string> FormatPageRow(int pageId, int channel, const std::vector<std::string>& bridgeModes,
                                       bool gndInputMode);
// The full-scale value in engineering units, as the range column shows it.
std::string FormatRangeText(int channel, float fullScale);
// Whole volts with at most 3 decimals, trailing zeros removed.
std::string FormatBridgeVoltageText(int volts);
// Background of the strain page's elastic-modulus cell.
unsigned GetModulusCellColor(int channel);

// Record texts (GBK in the records, UTF-8 in the grid).
std::string GetUnitText(int channel);
std::string GetDescriptionText(int channel);
