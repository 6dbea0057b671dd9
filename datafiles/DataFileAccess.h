// The one place where stored runs are read back, edited in place and cut.
// Built on the stack around one or two calls; it holds only the online list
// and the channel conversions it was given, and opens and closes its files
// within each call. Every operation that exists in both storage arrangements
// follows the layout's arrangement.
#pragma once

#include "datafiles/ChannelTable.h"
#include "datafiles/OnlineLayout.h"
#include "datafiles/SampleFileFormat.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

struct RangeCut;

class CDataFileAccess {
public:
    // Samples read by the bulk readers at a time.
    static constexpr int kChunkSamples = 1024;
    // Records of a chunk buffer for a read of count samples: a short read (one table
    // row, a cursor's value) gets a buffer of its own size, not a whole chunk.
    static constexpr int ChunkLength(int count) {
        return count < 1 ? 1 : count < kChunkSamples ? count : kChunkSamples;
    }

    CDataFileAccess(const OnlineLayout& layout, const IChannelTable& channels)
        : m_layout(layout), m_channels(channels) {}

    // --- samples ---
    // Engineering values of one channel, out[k - first] for k = first..last.
    // Markers stay markers; samples past the end read as the no-value marker.
    int ReadChannelRange(const std::string& path, int channel, int first, int last, float* out) const;
    // Engineering values of several channels for count samples from first:
    // out[i][k] is channels[i] at sample first + k. Each chunk of frames or
    // blocks is read once for all channels.
    int ReadChannelColumns(const std::string& path, const std::vector<int>& channels, std::int64_t first,
                           int count, float* const* out) const;
    // Receives n values of channels[index] for the samples from first + offset on.
    using ColumnChunkSink = std::function<void(std::size_t index, int offset, const float* values, int n)>;
    // The same values handed over a chunk of each channel at a time, as they
    // are read: a caller streaming a long range keeps no columns of its own.
    // The values are the sink's to copy before it returns.
    int ReadChannelChunks(const std::string& path, const std::vector<int>& channels, std::int64_t first,
                          int count, const ColumnChunkSink& take) const;
    // One raw frame (nCaseCount blocks) into the caller's buffer.
    int ReadFrame(const std::string& path, int sample, void* frame) const;
    // All sixteen channels of one unit: out[k][j] for sample first + k.
    int ReadCaseChannels(const std::string& path, int unit, int first, int count, int reserved,
                         float** out) const;

    // --- status records ---
    static int ReadStatusRecords(const std::string& path, int first, int count, SampleStatusRecord** records);
    static int ReadStatusField(const std::string& path, int word, int first, int last, std::int32_t* out);
    static int ReadStatusRecord(const std::string& path, int index, void* record);
    int ReadSampleStatus(const std::string& path, int index, SampleStatusRecord* record) const;
    int ReadSampleTimeText(const std::string& path, int index, std::string& text) const;
    // Records first..end-1; either output may be null.
    int ReadSampleTimeTexts(const std::string& path, int first, int end, std::string* times,
                            std::string* labels) const;

    // --- edits ---
    static int ClearReadOnly(const std::string& path);
    // Copies source to destination and opens the copy for reading; the
    // descriptor, or -1 when the copy or the open fails.
    static int CopyAndOpenFile(const std::string& destination, const std::string& source);
    static int WriteChannelValue(const std::string& path, int first, int last, int caseCount, int slot,
                                 int channel, int value);
    int WriteCaseChannelValue(const std::string& path, int channel, int first, int last, float value) const;
    // Writes raw to the listed channels at samples first..last in the run's
    // arrangement, every file or none: 0 when a channel is not online, the
    // range lies outside the run or a file cannot be rewritten (each file is
    // then unchanged). Samples past a file's end are left alone.
    int WriteRunValues(const std::string& dataPath, const std::vector<int>& channels, int first, int last,
                       float raw) const;

    // Range deletion: removes samples first..last inclusive. Every form
    // checks the range against the samples stored, writes the kept samples
    // to new files and renames them into place only when all were written,
    // so that a failure leaves every file as it was.
    static int DeleteSampleRange(const std::string& path, int caseCount, int first, int last,
                                 int& sampleCount);
    static int DeleteStatusRange(const std::string& path, int first, int last, int& recordCount);
    int DeleteCaseSampleRange(const std::string& path, int first, int last) const;
    int DeleteCaseStatusRange(const std::string& path, int first, int last) const;
    // The samples and their status records of the whole run, in the run's
    // arrangement, all together or not at all; sampleCount is the new count.
    int DeleteRunRange(const std::string& dataPath, int first, int last, int& sampleCount) const;

private:
    // Where the column readers put their values: the caller's columns, or a
    // sink handed each chunk.
    struct ColumnTarget {
        float* const* out;
        const ColumnChunkSink* take;
    };
    int ReadColumns(const std::string& path, const std::vector<int>& channels, std::int64_t first, int count,
                    const ColumnTarget& target) const;
    int ReadColumnsSingle(const std::string& path, const std::vector<int>& channels, std::int64_t first,
                          int count, const ColumnTarget& target) const;
    void ReadColumnsPerCase(const std::string& path, const std::vector<int>& channels, std::int64_t first,
                            int count, const ColumnTarget& target) const;
    int CollectCaseDeletion(const std::string& path, bool status, int first, int last, RangeCut& cut) const;

    const OnlineLayout& m_layout;
    const IChannelTable& m_channels;
};

// Vector range readers of the per-unit text export.
int ReadCaseBlocks(const std::string& path, const std::vector<int>& units, int first, int count,
                   std::vector<CaseSampleBlock>* blocks);
int ReadStatusRecordsTo(const OnlineLayout& layout, const std::string& path, int first, int count,
                        std::vector<SampleStatusRecord>& records);
int ReadDigitalRecords(const OnlineLayout& layout, const std::string& path, int first, int count,
                       std::map<int, std::vector<float>>& values);
int ReadVirtualChannels(const std::string& base, const std::vector<int>& channels, int first, int count,
                        std::vector<float>* values);

// Seconds per sample of a continuous run (sampling mode 2); 0 and seconds
// untouched for the other modes.
int GetContinuousSamplePeriod(int samplingMode, float samplingFrequency, float& seconds);

// "%d-%d-%d %02d:%02d:%02d" of a status record's time; empty for a time
// whose status word is not 0 or that is not a date.
std::string FormatStatusTime(double date, std::int32_t status);
