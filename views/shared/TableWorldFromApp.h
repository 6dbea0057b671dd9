// Fills a table view's inputs from the program's process-wide tables: the
// online units and channels, the channel, state and alarm records, the run
// flags and the instrument settings. The frame's own tables (balance, check
// values, result groups, digital channels, paging) it sets itself.
#pragma once

#include "views/shared/TableWorld.h"

void FillTableWorldFromAppTables(TableWorld& world);

// The digital channels in use, in table order; none when digital channels are off.
std::vector<TableDigitalChannel> DigitalChannelsFromAppTables();
