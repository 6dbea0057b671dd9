// What the result exports need of the rosette (".sfd") and residual-stress
// (".rsd") result files: their record layouts, names and range readers.
#pragma once

#include "datafiles/ExportContext.h"

#include <cstdint>
#include <string>
#include <vector>

// The two kinds of result file, told apart by this description.
struct ResultKind {
    const char* extension; // ".rsd" or ".sfd"
    int headerSize;        // bytes before record 0
    int valueCount;        // float32 values per record
    std::string (*shortName)(int);
    std::string (*longName)(int);
    std::vector<int> textOrder; // value indexes in the order of the text export's columns
    // "%s" of the group heading "组%d(%s)": the group's name or its rosette kind's name.
    std::string GroupText(const ExportContext& context, int group) const;
    int RecordSize() const { return valueCount * 4; }
    bool IsRosette() const { return valueCount == 6; }
};

const ResultKind& ResidualStressResults();
const ResultKind& RosetteResults();

// The run's data path without its extension, the group number and the kind's extension.
std::string ResultFileName(const ResultKind& kind, const std::string& dataPath, int groupNumber);

// Records first..end-1 into records (valueCount floats each). 0 when the
// file is missing or does not hold the whole range; the records it did not
// deliver are zero.
int ReadResultRange(const ResultKind& kind, const std::string& path, int first, int end, float* records);
int ReadResidualStressRange(const std::string& path, int first, int end, float* records);
int ReadRosetteRange(const std::string& path, int first, int end, float* records);

// Value `column` of a group's records first .. first + count - 1, from the
// result file beside the run's data path; false when the column is not one
// of the kind's or the file does not hold the whole range.
bool ReadResultColumn(const ResultKind& kind, const std::string& dataPath, int group, int first, int count,
                      int column, float* out);
