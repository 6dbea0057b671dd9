// What a committed cell edit of the channel-parameter bar checks and writes
// into the channel tables, for every selected row, and which messages the
// frame gets afterwards.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "panels/bars/ChannelBarContext.h"
#include "platform/Message.h"

constexpr const char* MSG_VALUE_OUT_OF_RANGE = "输入参数超出允许范围!";

struct BarMessage {
    platform::UINT message = 0;
    platform::WPARAM wParam = 0;
    bool bPost = false;
};

struct CellCommit {
    int pageId = 0;
    int column = 0;
    std::string text;
    int listIndex = 0;
    std::vector<int> rowChannels;  // the channels of the selected rows, in row order
    std::vector<int> pageChannels; // the channels the page lists
};

struct CommitResult {
    bool bRefused = false;                     // a run is active: nothing was looked at
    std::vector<std::int32_t> changedChannels; // parameters the cases must be sent
    std::vector<BarMessage> messages;          // in order; 0x8D1 carries the changed list
    std::vector<int> touchedChannels;          // rows whose cells must be redrawn
    bool bRebuildTypeTabs = false;
};

CommitResult CommitCellEdit(const ChannelBarContext& ctx, const CellCommit& commit);

// Sends the result's messages to the frame; 0x8D1 gets a pointer to the
// changed-channel list, valid during the send.
void SendBarMessages(platform::HWND owner, CommitResult& result);

// Writes the channel tables to the program's channel-parameter file and,
// when a project is open (state 1, 2 or 3), to the project's. 1 when every
// write succeeded.
int SaveChannelTables(const std::string& programFile, const std::string& projectFile, int projectState);
