// The second conversion stage of a whole sample set, planned once for a
// batch of sets: each listed channel's place in the value buffer and, for
// the channels whose value is the scaled and corrected reading (the common
// case), their divisor and correction. Those channels then convert with
// three operations and no look-up in the channel records, a unit's run of
// them at a time; every other channel goes through ConvertBlockChannelValue
// as before. The results are the same, bit for bit.
#pragma once

#include "model/CaseSampleBlock.h"

#include <vector>

class CSetConversionPlan {
public:
    // Reads the channel list, the case slots and the channel records. The
    // plan holds until any of them changes.
    void Build();
    // Converts set (indexed by unit) into buffer at each channel's place
    // and then copies each place to values[channel id]; a reading that is
    // not a finite number gives 0.
    void Convert(const CaseSampleBlock* set, float* buffer, float* values) const;
    // The same for sample `index` of a batch as the case driver delivers it
    // (perUnit[unit] points at the unit's blocks), read where it lies; a
    // unit the batch lacks is read from `missing` (indexed by unit). Without
    // values (null) only buffer is written.
    void Convert(const CaseSampleBlock* const* perUnit, int index, const CaseSampleBlock* missing,
                 float* buffer, float* values) const;

private:
    struct Entry {
        int id;
        int unit;
        int position;
        bool linear;
        float divisor;
        float slope;
        float offset;
        // Equal to the bit: a plan of equal entries converts the same.
        bool operator==(const Entry& other) const;
    };
    // Listed channels of one unit in a row: either one channel of its own
    // conversion or consecutive scaled-and-corrected channels, whose
    // coefficients start at m_Factor[first] and so on. m_Factor holds the
    // divisors, or in a run of divisors that are powers of two their
    // reciprocals times 0.001, by which the readings are multiplied: the very
    // same results. A run of channels without correction skips it.
    struct Run {
        int unit;
        int channel;
        int count;
        int position;
        int id;
        int first;
        bool linear;
        bool reciprocal;
        bool corrected;
    };
    void BuildRuns();
    // blockOf(unit) gives the unit's block of the set.
    template <typename BlockOf> void ConvertEntries(BlockOf blockOf, float* buffer, float* values) const;
    template <typename BlockOf> void ConvertRuns(BlockOf blockOf, float* buffer, float* values) const;

    std::vector<Entry> m_Entries;
    std::vector<Entry> m_NextEntries; // the entries a build reads, before they are taken
    std::vector<Run> m_Runs;
    std::vector<double> m_Factor;
    std::vector<float> m_Slope;
    std::vector<float> m_Offset;
    // Two listed channels share a place (a damaged slot table): both then
    // show what the place holds after the whole set, entry by entry.
    bool m_bSharedPlaces = false;
};
