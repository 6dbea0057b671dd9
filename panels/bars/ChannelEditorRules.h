// Which in-place editor a clicked cell of the channel-parameter bar gets,
// with its text or its choices and the selected choice, and the choice lists
// the commit rules share (full-scale levels, bridge voltages, types).
#pragma once

#include <string>
#include <vector>

#include "panels/bars/ChannelBarContext.h"

enum class CellEditorKind { None, Text, List };

struct CellEditor {
    CellEditorKind kind = CellEditorKind::None;
    std::string text;                 // text editor
    std::vector<std::string> choices; // list editor
    int nSelected = 0;
    std::vector<int> pictures; // picture ids per choice (bridge modes only)
};

struct CellEditRequest {
    int pageId = 0;
    int column = 0;
    int channel = -1;
    std::string cellText;
    bool bSeveralRows = false;
    std::vector<int> pageChannels; // the channels the page lists
};

CellEditor GetCellEditor(const ChannelBarContext& ctx, const CellEditRequest& request);

// The full-scale levels a channel is offered: each item's level in the
// description file and its raw value.
struct FullScaleChoices {
    std::vector<int> levels;
    std::vector<float> values;
};
FullScaleChoices GetFullScaleChoices(const ChannelBarContext& ctx, int channel);
// Raw value of a level for a channel's measurement type (type section, else
// the general list); number of levels.
float GetFullScaleLevelValue(const ChannelBarContext& ctx, int channel, int level);
int GetFullScaleLevelCount(const ChannelBarContext& ctx, int channel);
std::vector<std::string> GetFullScaleTexts(const ChannelBarContext& ctx, int channel,
                                           const FullScaleChoices& choices);

std::vector<std::string> GetBridgeVoltageTexts(const ChannelBarContext& ctx, int channel);
std::vector<int> GetAllowedMeasureTypes(const ChannelBarContext& ctx, int channel);
// Measurement type of a type name; 0 for an unknown text.
int MeasureTypeOfName(const std::string& name);

// Whether the channel is the compensation channel of a strain channel of the list.
bool IsCompensationOfListedStrain(int channel, const std::vector<int>& pageChannels);
