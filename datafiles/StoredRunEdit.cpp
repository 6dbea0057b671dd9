// Cursor edits of a stored run.
#include "datafiles/StoredRunEdit.h"

#include "datafiles/DataFileAccess.h"
#include "model/ValueConversion.h"

#include <algorithm>
#include <cmath>

bool StoredRawForValue(int channel, double value, float& raw) {
    if (!std::isfinite(value))
        return false;
    const double reading = std::nearbyint(ConvertValueToRaw(channel, value));
    if (!std::isfinite(reading) || std::fabs(reading) > 2147483647.0)
        return false;
    raw = float(reading);
    return IsSpecialValue(raw) == 0;
}

StoredEditStatus CStoredRunEdit::WriteValue(int channel, int sample, double value) const {
    if (m_layout.SlotOfChannel(channel) < 0)
        return kStoredEditNotOnline;
    float raw = 0.0f;
    if (!StoredRawForValue(channel, value, raw))
        return kStoredEditBadValue;
    const CDataFileAccess access(m_layout, m_channels);
    return access.WriteRunValues(m_strDataPath, {channel}, sample, sample, raw) != 0 ? kStoredEditDone
                                                                                     : kStoredEditFailed;
}

StoredEditStatus CStoredRunEdit::ZeroRange(const std::vector<int>& channels, int first, int last) const {
    for (int channel : channels)
        if (m_layout.SlotOfChannel(channel) < 0)
            return kStoredEditNotOnline;
    const CDataFileAccess access(m_layout, m_channels);
    return access.WriteRunValues(m_strDataPath, channels, first, last, 0.0f) != 0 ? kStoredEditDone
                                                                                  : kStoredEditFailed;
}

std::vector<int> CStoredRunEdit::AllChannels() const {
    std::vector<int> channels;
    for (int unit : m_layout.caseList)
        for (int c = 0; c < 16; ++c)
            channels.push_back(unit * 16 + c);
    return channels;
}

StoredEditStatus CStoredRunEdit::DeleteRange(int first, int last, int& count) const {
    const CDataFileAccess access(m_layout, m_channels);
    return access.DeleteRunRange(m_strDataPath, std::min(first, last), std::max(first, last), count) != 0
               ? kStoredEditDone
               : kStoredEditFailed;
}
