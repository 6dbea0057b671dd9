// The live buffer behind the history views during a run: the first B samples
// one by one, then at every W-th sample the run so far is squeezed into the
// first K slots and the axis grows by W, so a view always shows the whole run
// in B points.
#pragma once

#include <cstdint>
#include <vector>

class CLiveHistoryFeed {
public:
    // What the open history views are told for one sample.
    struct Step {
        int nPoints = 0;   // points the views receive
        int nDrawFrom = 0; // first and last point drawn
        int nDrawTo = 0;
        int nAxisEnd = 0;  // the time axis' end (its length while s <= B)
        int nCopyFrom = 0; // first point the views copy: the ones this sample wrote
        bool bRepaintErase = false;
        bool bRepaintNoErase = false; // after a compression
        bool bCompressed = false;
    };

    // B points per channel for this many channels, none holding a value yet.
    void Reset(int blockSize, int channelCount);
    // The same, with buffers only for the kept channels (those the open
    // views show): the others cost neither memory nor a squeeze.
    void Reset(int blockSize, int channelCount, const std::vector<int>& kept);
    // Keeps one more channel from now on; its earlier points were not kept
    // and hold kNoValue, so a view shows a gap there.
    void Keep(int channel);
    // One sample: a is the first announce counter, s the counter of the
    // sampling mode (the third in continuous mode), latest the newest value
    // of every channel (channelCount values).
    Step Feed(int a, int s, const float* latest);

    // Null for a channel not kept.
    const float* GetBuffer(int channel) const {
        return m_Buffers[channel].empty() ? nullptr : m_Buffers[channel].data();
    }
    // Every channel's buffer as GetBuffer gives it, for the views to copy from.
    const float* const* GetBuffers() const { return m_Pointers.data(); }
    // The channels kept, in the order they were taken up.
    const std::vector<int>& GetKept() const { return m_Kept; }
    int GetBlock() const { return m_nBlock; }
    int GetChannelCount() const { return int(m_Buffers.size()); }
    int GetKeep() const { return m_nKeep; }
    int GetWindow() const { return m_nWindow; }

private:
    void Store(int slot, const float* latest);
    void Compress();

    int m_nBlock = 0;
    int m_nKeep = 0;                           // K = trunc(B × 0.75) − 1
    int m_nWindow = 0;                         // W = B − K
    std::vector<std::vector<float>> m_Buffers; // empty for a channel not kept
    std::vector<const float*> m_Pointers;      // their data, null for a channel not kept
    std::vector<int> m_Kept;
};
