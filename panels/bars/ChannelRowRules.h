// Whole-row operations of the channel-parameter bar: the tick columns, and
// copying one channel's parameters onto the channels of other rows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr const char* MSG_TOO_MANY_ROWS = "所选通道数过多，请重新选择";
constexpr const char* MSG_SELECT_ROW_TO_COPY = "请选择通道后进行复制";
constexpr const char* MSG_PASTE_NEEDS_COPY = "请先选择有效通道后进行复制";

// The text the clicked tick cell turns into ("√" or "×"), or empty when the
// page's column has no tick. Sets the flags of the rows' channels.
std::string ToggleTick(int pageId, int column, const std::string& clickedText,
                       const std::vector<int>& channels);

// Empty when one row is selected, else the refusal to show.
std::string CheckCopySelection(std::size_t selectedRows);

// Copies the source's records onto every target; the alarm record too on
// the alarm page. Returns the changed channels, in target order.
std::vector<std::int32_t> PasteChannelParams(int pageId, int source, const std::vector<int>& targets);
