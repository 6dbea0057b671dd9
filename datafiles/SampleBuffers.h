// The main frame's buffers of a run: the current sample set (one block per
// frame slot), the frame buffer of the latest raw values, and one buffer of
// analysis-block-size values per channel of the frame (a second set for the
// spectrum). Allocated before a run, freed after it and at shutdown.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "datafiles/SampleFileFormat.h"

struct SampleSettings;

constexpr std::size_t SAMPLE_FRAME_BUFFER_SIZE = 16416;
constexpr int CHANNEL_WORD_TABLE_SIZE = 4096;

class CSampleBuffers {
public:
    // Marks the current sample set unused and allocates what is missing: a
    // table of per-channel buffers that already exists is kept as it is. 0
    // (with everything freed) when memory runs out.
    int Alloc(const SampleSettings& settings, int channelCount, bool spectrumOption);
    void Free();

    std::array<CaseSampleBlock, kMaxCaseBlocks>& CurrentSet() { return m_currentSet; }
    std::vector<std::uint8_t>& FrameBuffer() { return m_frameBuffer; }
    std::vector<std::vector<float>>& ChannelBuffers() { return m_channelBuffers; }
    std::vector<std::vector<float>>& SpectrumBuffers() { return m_spectrumBuffers; }
    std::array<std::int32_t, CHANNEL_WORD_TABLE_SIZE>& ChannelWords() { return m_channelWords; }

private:
    std::array<CaseSampleBlock, kMaxCaseBlocks> m_currentSet{};
    std::vector<std::uint8_t> m_frameBuffer;
    std::vector<std::vector<float>> m_channelBuffers;
    std::vector<std::vector<float>> m_spectrumBuffers;
    std::array<std::int32_t, CHANNEL_WORD_TABLE_SIZE> m_channelWords{};
};
