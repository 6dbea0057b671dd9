// The rosette (".sfc") and residual-stress (".rsc") parameter files: INI
// text with one section per group. Readers bound the group count and the
// channel numbers before they use them, and drop groups that do not hold.
#pragma once

#include "datafiles/ChannelTable.h"
#include "model/ResultGroups.h"

#include <string>
#include <vector>

// count receives GroupCount (at most kMaxResultGroups), then the number of
// groups accepted; 0 without a group array.
int LoadStrainFlowerParam(const std::string& path, int* count, RosetteGroupRecord* groups,
                          const IChannelTable& channels);
int SaveStrainFlowerParam(const std::string& path, int count, const RosetteGroupRecord* groups);
int LoadRemainStressParam(const std::string& path, int* count, ResidualStressGroupRecord* groups,
                          const IChannelTable& channels);
int SaveRemainStressParam(const std::string& path, int count, const ResidualStressGroupRecord* groups);

// The groups a file holds that the readers accept; none for a missing file.
std::vector<RosetteGroupRecord> ReadRosetteGroups(const std::string& path, const IChannelTable& channels);
std::vector<ResidualStressGroupRecord> ReadResidualGroups(const std::string& path,
                                                          const IChannelTable& channels);
