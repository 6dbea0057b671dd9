// Chunked readers of the sampled-data exports: a run is exported chunk by
// chunk in its own arrangement, so an export of any length runs in bounded
// memory. Samples the run does not hold come back as no-value blocks,
// zeroed status records and unread digital records, never as stale ones.
#pragma once

#include "datafiles/DataFileAccess.h"
#include "datafiles/ExportContext.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class CRawFile;

struct ExportChunk {
    std::int64_t first = 0;
    int count = 0;
    std::vector<std::vector<CaseSampleBlock>> blocks; // by position in the unit list, then sample
    std::vector<SampleStatusRecord> records;
    std::vector<std::array<float, 8>> digital;     // one ".dst" record per sample
    int digitalHeld = 0;                           // records of the chunk the ".dst" file holds
    std::vector<std::vector<float>> virtualValues; // by position in the virtual list
};

class CExportChunkReader {
public:
    static constexpr int kChunk = 4096;

    CExportChunkReader(const ExportContext& context, std::vector<int> units, std::vector<int> virtualChannels,
                       bool digital);
    ~CExportChunkReader();
    // False when the single data file of the run does not open.
    bool Open();
    void Read(std::int64_t first, int count, ExportChunk& chunk);
    // Values a virtual channel's file holds.
    std::int64_t VirtualHeld(std::size_t position) const { return m_virtualHeld[position]; }

private:
    void ReadBlocks(ExportChunk& chunk);
    void ReadDigital(ExportChunk& chunk);

    const ExportContext& m_context;
    std::vector<int> m_units;
    std::vector<int> m_virtual;
    bool m_bDigital;
    std::string m_virtualBase;
    std::vector<std::int64_t> m_virtualHeld;
    CRawFile* m_dataFile = nullptr;
    std::vector<CaseSampleBlock> m_frames;
    std::vector<std::vector<CaseSampleBlock>> m_byUnit;
};

// Values of the exported channels, by decimation group: the group's first
// sample or its mean, with the time of its first sample. Reads through a
// window of bounded size.
class CDecimatedValueReader {
public:
    // Reads stay below sample end.
    CDecimatedValueReader(const ExportContext& context, const std::vector<int>& channels, bool average,
                          std::int64_t end);
    // Values of the group [start, start + length) into values (one per
    // channel) and its first sample's status record into record.
    void ReadGroup(std::int64_t start, int length, std::vector<double>& values, SampleStatusRecord& record);

private:
    void Fill(std::int64_t first, int count);
    float Value(std::size_t channel, std::int64_t sample) const;

    const ExportContext& m_context;
    CDataFileAccess m_access;
    std::vector<int> m_channels;
    std::vector<int> m_real;    // measured channels of the list
    std::vector<int> m_virtual; // virtual channels of the list
    std::vector<int> m_column;  // list position -> column in the window (virtual after real)
    bool m_bAverage;
    std::int64_t m_end;
    int m_nWindow;
    std::int64_t m_windowFirst = -1;
    int m_windowCount = 0;
    std::vector<std::vector<float>> m_values;
    std::vector<SampleStatusRecord> m_records;
};

// The base of the run's ".vit" names: the data path without its extension.
std::string VirtualChannelBase(const std::string& dataPath);
// The sample's label as UTF-8.
std::string RecordLabelText(const SampleStatusRecord& record);

// One decimation group: samples [start, start + length).
struct DecimationGroup {
    std::int64_t start;
    int length;
};
// Groups of step samples from first over count samples; the remainder forms
// a last, shorter group when asked.
std::vector<DecimationGroup> DecimationGroups(int first, int count, int step, bool remainder);
// The groups of an export; none after the message "抽点个数为零!".
std::vector<DecimationGroup> ExportDecimationGroups(const ExportContext& context, int first, int count,
                                                    int step, bool remainder);
