// The second conversion stage of a whole sample set, planned once for a
// batch of sets: each listed channel's place in the value buffer and, for
// the channels whose value is the scaled and corrected reading (the common
// case), their divisor and correction. Those channels then convert with
// three operations and no look-up in the channel records; every other
// channel goes through ConvertBlockChannelValue as before. The results are
// the same, bit for bit.
#pragma once

#include "acquisition/CaseSampleBlock.h"

#include <vector>

class CSetConversionPlan {
public:
    // Reads the channel list, the case slots and the channel records. The
    // plan holds until any of them changes: build it again for each batch.
    void Build();
    // Converts set (indexed by unit) into buffer at each channel's place
    // and then copies each place to values[channel id]; a reading that is
    // not a finite number gives 0.
    void Convert(const CaseSampleBlock* set, float* buffer, float* values) const;

private:
    struct Entry {
        int id;
        int unit;
        int position;
        bool linear;
        float divisor;
        float slope;
        float offset;
    };
    std::vector<Entry> m_Entries;
};
