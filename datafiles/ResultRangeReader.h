// Reads the result records of several groups chunk by chunk, with the
// status records of the same samples, so that result exports of any length
// run in bounded memory.
#pragma once

#include "datafiles/ExportContext.h"
#include "datafiles/ResultFiles.h"
#include "datafiles/SampleFileFormat.h"

#include <cstdint>
#include <string>
#include <vector>

class CResultRangeReader {
public:
    CResultRangeReader(const ExportContext& context, const ResultKind& kind, std::vector<std::string> paths,
                       std::string statusPath);
    // Samples per chunk for this many groups.
    int ChunkSize() const { return m_nChunk; }
    // Records [first, first + count) of every group and their status
    // records; false when a result file does not hold them.
    bool Read(std::int64_t first, int count);
    const float* Record(std::size_t group, int k) const {
        return m_records[group].data() + std::size_t(k) * std::size_t(m_kind.valueCount);
    }
    const SampleStatusRecord& Status(int k) const { return m_status[std::size_t(k)]; }

private:
    const ExportContext& m_context;
    const ResultKind& m_kind;
    std::vector<std::string> m_paths;
    std::string m_statusPath;
    int m_nChunk;
    std::vector<std::vector<float>> m_records;
    std::vector<SampleStatusRecord> m_status;
};

// Whether the result file holds records [0, end).
bool ResultFileCovers(const ResultKind& kind, const std::string& path, std::int64_t end);
