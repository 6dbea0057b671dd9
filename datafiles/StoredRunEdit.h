// Edits of a stored run at the cursors of the curve and history views: one
// value, zeroing a range of one or all channels, deleting a range of whole
// samples. Each edit goes through the data-file accessor in the run's
// arrangement and leaves the run all changed or unchanged.
#pragma once

#include "datafiles/ChannelTable.h"
#include "datafiles/OnlineLayout.h"

#include <string>
#include <vector>

enum StoredEditStatus {
    kStoredEditDone = 1,
    kStoredEditBadValue = 2,  // the value cannot be stored as a reading
    kStoredEditNotOnline = 3, // the channel has no unit in the run
    kStoredEditFailed = 0,    // a file could not be rewritten; every file unchanged
};

// The reading the files hold for an engineering value of a channel, rounded
// to a whole raw step; false when it is not finite, does not fit a 32-bit
// reading or would read back as a marker.
bool StoredRawForValue(int channel, double value, float& raw);

class CStoredRunEdit {
public:
    CStoredRunEdit(const OnlineLayout& layout, const IChannelTable& channels, std::string dataPath)
        : m_layout(layout), m_channels(channels), m_strDataPath(std::move(dataPath)) {}

    // Sample `sample` of the channel takes the value.
    StoredEditStatus WriteValue(int channel, int sample, double value) const;
    // Samples first..last (either order) of the channels become 0.
    StoredEditStatus ZeroRange(const std::vector<int>& channels, int first, int last) const;
    // Every channel of every online unit.
    std::vector<int> AllChannels() const;
    // Removes samples first..last (either order) with their status records;
    // count is then the run's sample count.
    StoredEditStatus DeleteRange(int first, int last, int& count) const;

private:
    const OnlineLayout& m_layout;
    const IChannelTable& m_channels;
    std::string m_strDataPath;
};
