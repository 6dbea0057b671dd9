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

// Records a column reader reads at a time: 256 KB of them, which stay in the
// cache while every channel is taken from them whether a record is one
// unit's block or a frame of 256 units, and never more than the request.
int ColumnChunkLength(int count, std::int64_t recordSize) {
    constexpr std::int64_t kChunkBytes = std::int64_t(1) << 18;
    const std::int64_t records = kChunkBytes / std::max<std::int64_t>(recordSize, 1);
    return int(std::max<std::int64_t>(1, std::min<std::int64_t>(records, count)));
}

// Reads up to count records of size bytes from record first; returns the
// number of whole records read.
int ReadRecords(CRawFile& file, std::int64_t first, int count, std::int64_t size, void* buffer) {
    const std::int64_t got = file.ReadAt(first * size, buffer, std::int64_t(count) * size);
    return int(got / size);
}

} // namespace

int CDataFileAccess::ReadColumnsSingle(const std::string& path, const std::vector<int>& channels,
                                       std::int64_t first, int count, const ColumnTarget& target) const {
    CRawFile file;
    if (!file.Open(path.c_str(), kReadFlags))
        return 0;
    const std::int64_t frameSize = m_layout.FrameSize();
    const int cases = m_layout.nCaseCount;
    const int chunkFrames = ColumnChunkLength(count, frameSize);
    std::vector<CaseSampleBlock> chunk(std::size_t(std::max(cases, 1)) * std::size_t(chunkFrames));
    std::vector<float> scratch(target.out ? 0 : std::size_t(chunkFrames));
    for (int done = 0; done < count;) {
        const int n = std::min(chunkFrames, count - done);
        const int got = frameSize > 0 ? ReadRecords(file, first + done, n, frameSize, chunk.data()) : 0;
        for (std::size_t i = 0; i < channels.size(); ++i) {
            const int slot = m_layout.SlotOfChannel(channels[i]);
            float* column = target.out ? target.out[i] + done : scratch.data();
            const int converted = slot >= 0 ? got : 0;
            m_channels.ConvertBlockReadings(channels[i], chunk.data() + std::max(slot, 0), std::size_t(cases),
                                            channels[i] % 16, converted, column);
            FillNoValue(column + converted, n - converted);
            if (!target.out)
                (*target.take)(i, done, column, n);
        }
        done += n;
    }
    file.Close();
    return 1;
}

void CDataFileAccess::ReadColumnsPerCase(const std::string& path, const std::vector<int>& channels,
                                         std::int64_t first, int count, const ColumnTarget& target) const {
    const int chunkLength = ColumnChunkLength(count, sizeof(CaseSampleBlock));
    std::vector<float> scratch(target.out ? 0 : std::size_t(chunkLength));
    // A channel of no unit is never read: its column holds no value.
    const auto noValues = [&](std::size_t i) {
        for (int done = 0; done < count; done += chunkLength) {
            const int n = std::min(chunkLength, count - done);
            float* column = target.out ? target.out[i] + done : scratch.data();
            FillNoValue(column, n);
            if (!target.out)
                (*target.take)(i, done, column, n);
        }
    };
    std::map<int, std::vector<std::size_t>> byUnit;
    for (std::size_t i = 0; i < channels.size(); ++i) {
        if (channels[i] >= 0 && channels[i] < kAnalogChannels)
            byUnit[channels[i] / 16].push_back(i);
        else
            noValues(i);
    }
    std::vector<CaseSampleBlock> chunk(static_cast<std::size_t>(chunkLength));
    for (const auto& [unit, indexes] : byUnit) {
        CRawFile file;
        const bool open = file.Open(MakeCaseDataFileName(path, unit, 0).c_str(), kReadFlags);
        for (int done = 0; done < count;) {
            const int n = std::min(chunkLength, count - done);
            const int got =
                open ? ReadRecords(file, first + done, n, sizeof(CaseSampleBlock), chunk.data()) : 0;
            for (std::size_t i : indexes) {
                const int channel = channels[i];
                const int pos =
                    m_layout.channelPos.size() > std::size_t(channel) && m_layout.channelPos[channel] >= 0
                        ? m_layout.channelPos[channel] % 16
                        : channel % 16;
                float* column = target.out ? target.out[i] + done : scratch.data();
                m_channels.ConvertBlockReadings(channel, chunk.data(), 1, pos, got, column);
                FillNoValue(column + got, n - got);
                if (!target.out)
                    (*target.take)(i, done, column, n);
            }
            done += n;
        }
        file.Close();
    }
}

int CDataFileAccess::ReadColumns(const std::string& path, const std::vector<int>& channels,
                                 std::int64_t first, int count, const ColumnTarget& target) const {
    if (first < 0 || count < 0)
        return 0;
    if (m_layout.bPerCaseFiles) {
        ReadColumnsPerCase(path, channels, first, count, target);
        return 1;
    }
    return ReadColumnsSingle(path, channels, first, count, target);
}

int CDataFileAccess::ReadChannelColumns(const std::string& path, const std::vector<int>& channels,
                                        std::int64_t first, int count, float* const* out) const {
    return ReadColumns(path, channels, first, count, ColumnTarget{out, nullptr});
}

int CDataFileAccess::ReadChannelChunks(const std::string& path, const std::vector<int>& channels,
                                       std::int64_t first, int count, const ColumnChunkSink& take) const {
    return ReadColumns(path, channels, first, count, ColumnTarget{nullptr, &take});
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
