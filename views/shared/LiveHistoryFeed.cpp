// The live history buffer and its compression.
#include "views/shared/LiveHistoryFeed.h"

#include "model/CaseSampleBlock.h"

#include <algorithm>
#include <numeric>

void CLiveHistoryFeed::Reset(int blockSize, int channelCount) {
    std::vector<int> all(static_cast<std::size_t>(std::max(channelCount, 0)));
    std::iota(all.begin(), all.end(), 0);
    Reset(blockSize, channelCount, all);
}

void CLiveHistoryFeed::Reset(int blockSize, int channelCount, const std::vector<int>& kept) {
    m_nBlock = blockSize > 1 ? blockSize : 2;
    m_nKeep = static_cast<int>(m_nBlock * 0.75) - 1;
    if (m_nKeep < 1)
        m_nKeep = 1;
    m_nWindow = m_nBlock - m_nKeep;
    m_Buffers.assign(static_cast<std::size_t>(channelCount > 0 ? channelCount : 0), {});
    m_Pointers.assign(m_Buffers.size(), nullptr);
    m_Kept.clear();
    for (int channel : kept)
        Keep(channel);
}

void CLiveHistoryFeed::Keep(int channel) {
    if (channel < 0 || channel >= GetChannelCount() || !m_Buffers[std::size_t(channel)].empty())
        return;
    // A slot no sample has reached holds no value.
    m_Buffers[std::size_t(channel)].assign(static_cast<std::size_t>(m_nBlock), kNoValue);
    m_Pointers[std::size_t(channel)] = m_Buffers[std::size_t(channel)].data();
    m_Kept.push_back(channel);
}

void CLiveHistoryFeed::Store(int slot, const float* latest) {
    if (slot < 0 || slot >= m_nBlock)
        return;
    for (int c : m_Kept)
        m_Buffers[std::size_t(c)][static_cast<std::size_t>(slot)] = latest[c];
}

void CLiveHistoryFeed::Compress() {
    // Slot k takes slot trunc(k × (1 ÷ 0.75)) in single precision; the source
    // is never below k, so the squeeze runs in place.
    const float step = 1.0f / 0.75f;
    for (int c : m_Kept) {
        std::vector<float>& buffer = m_Buffers[std::size_t(c)];
        for (int k = 0; k < m_nKeep; ++k)
            buffer[static_cast<std::size_t>(k)] =
                buffer[static_cast<std::size_t>(static_cast<float>(k) * step)];
    }
}

CLiveHistoryFeed::Step CLiveHistoryFeed::Feed(int a, int s, const float* latest) {
    Step step;
    if (m_Buffers.empty() || a < 1 || s < 1)
        return step;
    if (s <= m_nBlock) {
        Store((a - 1) % m_nBlock, latest);
        const int j = (s - 1) % m_nBlock;
        step.nAxisEnd = m_nBlock;
        step.nPoints = j + 1;
        step.nDrawFrom = j == 0 ? 0 : j - 1;
        step.nDrawTo = j;
        step.bRepaintErase = j == 0;
        step.nCopyFrom = j == 0 ? 0 : std::min(step.nDrawFrom, (a - 1) % m_nBlock);
        return step;
    }
    const int r = (s - m_nKeep - 1) % m_nWindow;
    const int p = r + m_nKeep;
    if (r == 0) {
        Compress();
        step.bCompressed = true;
        step.bRepaintNoErase = true;
    } else {
        Store(p - 1, latest);
    }
    step.nPoints = p;
    // A squeeze moved every kept point; otherwise only slot p - 1 is new.
    step.nCopyFrom = r == 0 ? 0 : p - 1;
    step.nDrawFrom = 0;
    step.nDrawTo = p - 1;
    step.nAxisEnd = ((s - m_nBlock) / m_nWindow + 1) * m_nWindow + m_nBlock;
    return step;
}
