// Chunked reading of result records and their status records.
#include "datafiles/ResultRangeReader.h"

#include "datafiles/DataFileAccess.h"
#include "platform/Files.h"

#include <algorithm>

namespace {

// Records held at once over all groups.
constexpr std::int64_t kRecordsAtOnce = 1 << 20;

} // namespace

CResultRangeReader::CResultRangeReader(const ExportContext& context, const ResultKind& kind,
                                       std::vector<std::string> paths, std::string statusPath)
    : m_context(context), m_kind(kind), m_paths(std::move(paths)), m_statusPath(std::move(statusPath)) {
    const std::int64_t groups = std::max<std::int64_t>(1, std::int64_t(m_paths.size()));
    m_nChunk = int(std::clamp<std::int64_t>(kRecordsAtOnce / groups, 1, 4096));
    m_records.resize(m_paths.size());
}

bool CResultRangeReader::Read(std::int64_t first, int count) {
    bool whole = true;
    for (std::size_t g = 0; g < m_paths.size(); ++g) {
        m_records[g].resize(std::size_t(count) * std::size_t(m_kind.valueCount));
        whole =
            ReadResultRange(m_kind, m_paths[g], int(first), int(first + count), m_records[g].data()) && whole;
    }
    m_status.clear();
    if (!ReadStatusRecordsTo(m_context.layout, m_statusPath, int(first), count, m_status))
        m_status.assign(std::size_t(count), SampleStatusRecord{});
    return whole;
}

bool ResultFileCovers(const ResultKind& kind, const std::string& path, std::int64_t end) {
    return platform::FileExists(path) &&
           platform::FileSize(path) >= kind.headerSize + end * kind.RecordSize();
}
