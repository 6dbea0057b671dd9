// The hand-over of a continuous run's processed sample sets from the thread
// that processes them to the windows. The views may fall behind: of the sets
// they have not drawn yet the newest are kept, up to a limit. The spectrum
// blocks, which are saved when the run stores, are all kept.
#pragma once

#include "acquisition/LiveViewDemand.h"
#include "platform/Message.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <vector>

// One processed set as the views take it.
struct LiveShownSet {
    platform::UINT nMessage = 0; // the frame's announcement of the set
    std::array<std::int32_t, 3> counters{};
    std::vector<float> values;           // the set's value buffer, or its places below
    CLiveViewDemand::Places places;      // null for a whole set
    std::map<int, float> virtualResults; // its live virtual channels
    bool bMarkRows = false;              // the last set of a batch: the curve rows it touched
    int nRowFrom = 0;
    int nRowTo = 0;
};

// One analysis block of every online channel for the spectrum windows.
struct LiveSpectrumBlock {
    int nBlockSize = 0;
    std::vector<std::vector<float>> buffers;
    bool bSave = false;
};

class CLiveSetQueue {
public:
    // As many sets as a case link holds for the processing.
    static constexpr std::size_t kShownLimit = 1000;

    // Storage of a set the views have taken, to be filled again (empty when none).
    std::vector<float> TakeSpareValues();
    // Appends the sets in their order; the oldest waiting sets give way
    // when the views are more than the limit behind.
    void PushSets(std::vector<LiveShownSet>& sets);
    void PushSpectrum(LiveSpectrumBlock block);
    // The oldest waiting set; the storage out held goes back to the spares.
    bool PopSet(LiveShownSet& out);
    bool PopSpectrum(LiveSpectrumBlock& out);
    // True for the first hand-over since the windows last began to take the
    // sets: only then is the frame told.
    bool RequestShow();
    void BeginShow();
    void Clear();

private:
    std::mutex m_mutex; // guards every member below
    std::deque<LiveShownSet> m_sets;
    std::deque<LiveSpectrumBlock> m_spectrum;
    std::vector<std::vector<float>> m_spare;
    bool m_bShowPending = false;
};
