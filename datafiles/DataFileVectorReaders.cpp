// Chunked vector readers of the per-unit text export, and the continuous
// sampling period the exports number their time column with.
#include "datafiles/DataFileAccess.h"

#include "datafiles/RawFile.h"

#include <algorithm>
#include <vector>

namespace {

constexpr unsigned kReadFlags = CRawFile::kRead | CRawFile::kShareDenyNone;
constexpr int kChunk = CDataFileAccess::kChunkSamples;

// Calls read(chunkFirst, n) for each chunk of count elements from first.
template <class ReadChunk> void ForEachChunk(int first, int count, ReadChunk read) {
    for (int done = 0; done < count; done += kChunk)
        read(std::int64_t(first) + done, std::min(kChunk, count - done));
}

// Reads n records of type T from record chunkFirst; the records the file does
// not hold stay as filled.
template <class T>
void ReadChunkInto(CRawFile& file, std::int64_t chunkFirst, int n, std::vector<T>& buffer, const T& fill) {
    std::fill(buffer.begin(), buffer.begin() + n, fill);
    const std::int64_t got = file.ReadAt(chunkFirst * std::int64_t(sizeof(T)), buffer.data(),
                                         std::int64_t(n) * std::int64_t(sizeof(T)));
    const std::int64_t whole = got / std::int64_t(sizeof(T));
    std::fill(buffer.begin() + whole, buffer.begin() + n, fill);
}

struct DigitalRecord {
    float values[8];
};
static_assert(sizeof(DigitalRecord) == 32);

} // namespace

int ReadCaseBlocks(const std::string& path, const std::vector<int>& units, int first, int count,
                   std::vector<CaseSampleBlock>* blocks) {
    if (units.empty() || first < 0)
        return 0;
    std::vector<CaseSampleBlock> buffer(std::size_t(CDataFileAccess::ChunkLength(count)));
    for (int unit : units) {
        if (unit < 0 || unit >= kMaxUnits)
            continue;
        CRawFile file;
        const bool open = file.Open(MakeCaseDataFileName(path, unit, 0).c_str(), kReadFlags);
        ForEachChunk(first, count, [&](std::int64_t chunkFirst, int n) {
            if (open)
                ReadChunkInto(file, chunkFirst, n, buffer, MakeNoValueBlock(unit));
            else
                std::fill(buffer.begin(), buffer.begin() + n, MakeNoValueBlock(unit));
            blocks[unit].insert(blocks[unit].end(), buffer.begin(), buffer.begin() + n);
        });
        file.Close();
    }
    return 1;
}

int ReadStatusRecordsTo(const OnlineLayout& layout, const std::string& path, int first, int count,
                        std::vector<SampleStatusRecord>& records) {
    CRawFile file;
    if (first < 0 || !file.Open(SelectCaseStatusFile(layout, path).c_str(), kReadFlags))
        return 0;
    std::vector<SampleStatusRecord> buffer(std::size_t(CDataFileAccess::ChunkLength(count)));
    ForEachChunk(first, count, [&](std::int64_t chunkFirst, int n) {
        ReadChunkInto(file, chunkFirst, n, buffer, SampleStatusRecord{});
        records.insert(records.end(), buffer.begin(), buffer.begin() + n);
    });
    file.Close();
    return 1;
}

int ReadDigitalRecords(const OnlineLayout& layout, const std::string& path, int first, int count,
                       std::map<int, std::vector<float>>& values) {
    const int channels = std::min(layout.nDigitalChanCount, 8);
    CRawFile file;
    if (channels <= 0 || first < 0 || !file.Open(path.c_str(), kReadFlags))
        return 0;
    DigitalRecord noValue;
    std::fill(std::begin(noValue.values), std::end(noValue.values), kNoValue);
    std::vector<DigitalRecord> buffer(std::size_t(CDataFileAccess::ChunkLength(count)));
    ForEachChunk(first, count, [&](std::int64_t chunkFirst, int n) {
        ReadChunkInto(file, chunkFirst, n, buffer, noValue);
        for (int i = 0; i < channels; ++i) {
            std::vector<float>& column = values[i];
            for (int k = 0; k < n; ++k)
                column.push_back(buffer[k].values[i]);
        }
    });
    file.Close();
    return 1;
}

int ReadVirtualChannels(const std::string& base, const std::vector<int>& channels, int first, int count,
                        std::vector<float>* values) {
    if (channels.empty() || first < 0)
        return 0;
    std::vector<float> buffer(kChunk);
    for (int channel : channels) {
        if (channel < 4096 || channel > 4095 + 128)
            continue;
        CRawFile file;
        if (!file.Open((base + std::to_string(channel - 4095) + ".vit").c_str(), kReadFlags))
            continue;
        std::vector<float>& column = values[channel - 4096];
        ForEachChunk(first, count, [&](std::int64_t chunkFirst, int n) {
            ReadChunkInto(file, chunkFirst, n, buffer, kNoValue);
            column.insert(column.end(), buffer.begin(), buffer.begin() + n);
        });
        file.Close();
    }
    return 1;
}

int GetContinuousSamplePeriod(int samplingMode, float samplingFrequency, float& seconds) {
    if (samplingMode != 2 || !(samplingFrequency > 0.0f))
        return 0;
    seconds = 1.0f / samplingFrequency;
    return 1;
}
