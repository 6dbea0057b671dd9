// Sample readers of the data-file accessor, in both storage arrangements.
#include "datafiles/DataFileAccess.h"

#include "datafiles/RawFile.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace {

constexpr unsigned kReadFlags = CRawFile::kRead | CRawFile::kShareDenyNone;

void FillNoValue(float* out, int count) {
    std::fill(out, out + std::max(count, 0), kNoValue);
}

// Reads up to count records of size bytes from record first; returns the
// number of whole records read.
int ReadRecords(CRawFile& file, std::int64_t first, int count, std::int64_t size, void* buffer) {
    const std::int64_t got = file.ReadAt(first * size, buffer, std::int64_t(count) * size);
    return int(got / size);
}

} // namespace

float CDataFileAccess::BlockValue(int channel, const CaseSampleBlock& block, int place) const {
    const float raw = block.fValues[place];
    if (IsSpecialValue(raw))
        return raw;
    return float(m_channels.ConvertBlockChannelValue(channel, block));
}

int CDataFileAccess::ReadColumnsSingle(const std::string& path, const std::vector<int>& channels,
                                       std::int64_t first, int count, float* const* out) const {
    CRawFile file;
    if (!file.Open(path.c_str(), kReadFlags))
        return 0;
    const std::int64_t frameSize = m_layout.FrameSize();
    const int cases = m_layout.nCaseCount;
    // One chunk of frames, no larger than the request (a frame may hold 256 units).
    const int chunkFrames = ChunkLength(count);
    std::vector<CaseSampleBlock> chunk(std::size_t(std::max(cases, 1)) * std::size_t(chunkFrames));
    for (int done = 0; done < count;) {
        const int n = std::min(chunkFrames, count - done);
        const int got = frameSize > 0 ? ReadRecords(file, first + done, n, frameSize, chunk.data()) : 0;
        for (std::size_t i = 0; i < channels.size(); ++i) {
            const int slot = m_layout.SlotOfChannel(channels[i]);
            float* column = out[i] + done;
            for (int k = 0; k < n; ++k) {
                column[k] =
                    slot >= 0 && k < got
                        ? BlockValue(channels[i], chunk[std::size_t(k) * cases + slot], channels[i] % 16)
                        : kNoValue;
            }
        }
        done += n;
    }
    file.Close();
    return 1;
}

void CDataFileAccess::ReadColumnsPerCase(const std::string& path, const std::vector<int>& channels,
                                         std::int64_t first, int count, float* const* out) const {
    std::map<int, std::vector<std::size_t>> byUnit;
    for (std::size_t i = 0; i < channels.size(); ++i) {
        if (channels[i] >= 0 && channels[i] < kAnalogChannels)
            byUnit[channels[i] / 16].push_back(i);
        else
            FillNoValue(out[i], count);
    }
    std::vector<CaseSampleBlock> chunk(std::size_t(ChunkLength(count)));
    for (const auto& [unit, indexes] : byUnit) {
        CRawFile file;
        const bool open = file.Open(MakeCaseDataFileName(path, unit, 0).c_str(), kReadFlags);
        for (int done = 0; done < count;) {
            const int n = std::min(kChunkSamples, count - done);
            const int got =
                open ? ReadRecords(file, first + done, n, sizeof(CaseSampleBlock), chunk.data()) : 0;
            for (std::size_t i : indexes) {
                const int channel = channels[i];
                const int pos =
                    m_layout.channelPos.size() > std::size_t(channel) && m_layout.channelPos[channel] >= 0
                        ? m_layout.channelPos[channel] % 16
                        : channel % 16;
                float* column = out[i] + done;
                for (int k = 0; k < n; ++k)
                    column[k] = k < got ? BlockValue(channel, chunk[k], pos) : kNoValue;
            }
            done += n;
        }
        file.Close();
    }
}

int CDataFileAccess::ReadChannelColumns(const std::string& path, const std::vector<int>& channels,
                                        std::int64_t first, int count, float* const* out) const {
    if (first < 0 || count < 0)
        return 0;
    if (m_layout.bPerCaseFiles) {
        ReadColumnsPerCase(path, channels, first, count, out);
        return 1;
    }
    return ReadColumnsSingle(path, channels, first, count, out);
}

int CDataFileAccess::ReadChannelRange(const std::string& path, int channel, int first, int last,
                                      float* out) const {
    const int count = last >= first ? last - first + 1 : 0;
    float* columns[1] = {out};
    return ReadChannelColumns(path, {channel}, first, count, columns);
}

int CDataFileAccess::ReadFrame(const std::string& path, int sample, void* frame) const {
    const int cases = m_layout.nCaseCount;
    std::vector<CaseSampleBlock> blocks(std::size_t(std::max(cases, 0)), MakeEmptyBlock());
    if (!m_layout.bPerCaseFiles) {
        CRawFile file;
        if (!file.Open(path.c_str(), kReadFlags))
            return 0;
        const int got = sample >= 0 ? ReadRecords(file, sample, 1, m_layout.FrameSize(), blocks.data()) : 0;
        file.Close();
        if (got == 0) {
            for (int i = 0; i < cases; ++i)
                blocks[i] = MakeNoValueBlock(m_layout.caseList[i]);
        }
    } else {
        for (int i = 0; i < cases; ++i) {
            CRawFile file;
            if (sample < 0 ||
                !file.Open(MakeCaseDataFileName(path, m_layout.caseList[i], 0).c_str(), kReadFlags)) {
                blocks[i] = MakeNoValueBlock(-1);
                continue;
            }
            if (ReadRecords(file, sample, 1, sizeof(CaseSampleBlock), &blocks[i]) == 0)
                blocks[i] = MakeNoValueBlock(m_layout.caseList[i]);
            file.Close();
        }
    }
    std::memcpy(frame, blocks.data(), blocks.size() * sizeof(CaseSampleBlock));
    return 1;
}

int CDataFileAccess::ReadCaseChannels(const std::string& path, int unit, int first, int count, int,
                                      float** out) const {
    if (count <= 0)
        return 1;
    std::vector<int> channels(16);
    std::vector<std::vector<float>> columns(16, std::vector<float>(std::size_t(count)));
    std::vector<float*> columnPtrs(16);
    for (int j = 0; j < 16; ++j) {
        channels[j] = unit * 16 + j;
        columnPtrs[j] = columns[j].data();
    }
    if (unit < 0 || unit >= kMaxUnits || !ReadChannelColumns(path, channels, first, count, columnPtrs.data()))
        return 0;
    for (int k = 0; k < count; ++k)
        for (int j = 0; j < 16; ++j)
            out[k][j] = columns[j][k];
    return 1;
}
