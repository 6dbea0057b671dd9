// Result file layouts, names and range readers.
#include "datafiles/ResultFiles.h"

#include "datafiles/RawFile.h"
#include "datafiles/ResultColumnNames.h"
#include "model/NumberTexts.h"

#include <algorithm>
#include <cstring>
#include <limits>

std::string ResultKind::GroupText(const ExportContext& context, int group) const {
    if (IsRosette())
        return GetRosetteTypeName(group >= 0 && std::size_t(group) < context.rosetteGroupTypes.size()
                                      ? context.rosetteGroupTypes[std::size_t(group)]
                                      : -1);
    return group >= 0 && std::size_t(group) < context.residualGroupNames.size()
               ? context.residualGroupNames[std::size_t(group)]
               : "";
}

const ResultKind& ResidualStressResults() {
    static const ResultKind kind{
        ".rsd", 76, 9, GetResidualShortColumnName, GetResidualColumnName, {3, 0, 1, 2, 4, 5, 6, 7, 8}};
    return kind;
}

const ResultKind& RosetteResults() {
    static const ResultKind kind{
        ".sfd", 60, 6, GetRosetteShortColumnName, GetRosetteColumnName, {5, 0, 1, 2, 3, 4}};
    return kind;
}

std::string ResultFileName(const ResultKind& kind, const std::string& dataPath, int groupNumber) {
    const std::size_t slash = dataPath.find_last_of('/');
    std::size_t dot = dataPath.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        dot = dataPath.size();
    return dataPath.substr(0, dot) + std::to_string(groupNumber) + kind.extension;
}

int ReadResultRange(const ResultKind& kind, const std::string& path, int first, int end, float* records) {
    if (first < 0 || end < first)
        return 0;
    const std::int64_t size = kind.RecordSize();
    const std::int64_t bytes = (std::int64_t(end) - first) * size;
    std::memset(records, 0, std::size_t(bytes));
    CRawFile file;
    if (!file.Open(path.c_str(), CRawFile::kRead | CRawFile::kShareDenyNone))
        return 0;
    const std::int64_t offset = kind.headerSize + std::int64_t(first) * size;
    const bool whole = file.Length() >= offset + bytes && file.ReadAt(offset, records, bytes) == bytes;
    file.Close();
    if (!whole)
        std::memset(records, 0, std::size_t(bytes));
    return whole ? 1 : 0;
}

int ReadResidualStressRange(const std::string& path, int first, int end, float* records) {
    return ReadResultRange(ResidualStressResults(), path, first, end, records);
}

int ReadRosetteRange(const std::string& path, int first, int end, float* records) {
    return ReadResultRange(RosetteResults(), path, first, end, records);
}

bool ReadResultColumn(const ResultKind& kind, const std::string& dataPath, int group, int first, int count,
                      int column, float* out) {
    if (column < 0 || column >= kind.valueCount || count <= 0 || out == nullptr || first < 0 ||
        count > std::numeric_limits<int>::max() - first)
        return false;
    std::vector<float> records(std::size_t(count) * std::size_t(kind.valueCount));
    if (ReadResultRange(kind, ResultFileName(kind, dataPath, group), first, first + count, records.data()) ==
        0)
        return false;
    for (int k = 0; k < count; ++k)
        out[k] = records[std::size_t(k) * std::size_t(kind.valueCount) + std::size_t(column)];
    return true;
}
