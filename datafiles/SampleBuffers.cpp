// Allocating and freeing the buffers of a run.
#include "datafiles/SampleBuffers.h"

#include <algorithm>
#include <new>

#include "model/SampleSettings.h"

namespace {

void AllocTable(std::vector<std::vector<float>>& table, int channelCount, int blockSize) {
    if (table.empty()) {
        table.assign(static_cast<std::size_t>(channelCount),
                     std::vector<float>(static_cast<std::size_t>(blockSize)));
    }
}

} // namespace

int CSampleBuffers::Alloc(const SampleSettings& settings, int channelCount, bool spectrumOption) {
    m_currentSet.fill(MakeEmptyBlock());
    const int channels = std::clamp(channelCount, 0, kAnalogChannels);
    const int blockSize = std::clamp<int>(settings.nAnalysisBlockSize, 1, MAX_ANALYSIS_BLOCK_SIZE);
    try {
        if (m_frameBuffer.empty()) {
            m_frameBuffer.assign(SAMPLE_FRAME_BUFFER_SIZE, 0);
        }
        AllocTable(m_channelBuffers, channels, blockSize);
        if (spectrumOption) {
            AllocTable(m_spectrumBuffers, channels, blockSize);
        }
    } catch (const std::bad_alloc&) {
        Free();
        return 0;
    }
    m_channelWords.fill(0);
    return 1;
}

void CSampleBuffers::Free() {
    std::vector<std::uint8_t>().swap(m_frameBuffer);
    std::vector<std::vector<float>>().swap(m_channelBuffers);
    std::vector<std::vector<float>>().swap(m_spectrumBuffers);
}
