// Small value helpers of the main frame: the batch label of a sample, the
// balance check the views ask, the two sample sets it clears, its key-point
// lists and the stop command's trace file.
#pragma once

#include <cstdint>
#include <map>
#include <string>

struct CaseSampleBlock;

// modes 0 and 3 "label_n" (n = index + 1); mode 1 "label-counter" with auto
// numbering (the counter then grows), else the label; mode 2 the label.
std::string MakeBatchLabel(const std::string& label, int sampleMode, int index, bool autoNumbering,
                           std::int32_t& counter);

// FALSE only while balance results are in use and the channel is not balanced.
bool IsChannelBalanced(int channel, bool balanceResultsInUse);

// All 512 blocks empty (unit -1).
void ClearZeroSampleSet(CaseSampleBlock* blocks);
// Emptied, then the blocks of the online units' slots carry the no-value marker.
void ClearSampleSet(CaseSampleBlock* blocks);

// Appends the line to "TimerDebug.txt" in the project folder (GBK, CRLF).
void WriteTimerDebugLog(const std::string& projectFolder, const std::string& text);

// The frame's two key-point lists (channel numbers in order).
using KeyPointList = std::map<int, int>;
class CKeyPointLists {
public:
    KeyPointList* GetKeyPointList1() { return &m_List1; }
    KeyPointList* GetKeyPointList2() { return &m_List2; }
    void SetKeyPointList1(const KeyPointList& list) { Assign(m_List1, list); }
    void SetKeyPointList2(const KeyPointList& list) { Assign(m_List2, list); }

private:
    static void Assign(KeyPointList& target, const KeyPointList& list) {
        if (&target != &list)
            target = list;
    }
    KeyPointList m_List1;
    KeyPointList m_List2;
};
