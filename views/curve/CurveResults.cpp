// The stored rosette and residual-strain results of the curve views.
#include "views/curve/CurveResults.h"

#include "datafiles/ResultFiles.h"
#include "model/CaseSampleBlock.h"
#include "views/curve/CurveWorld.h"

#include <algorithm>

namespace {

constexpr int kRosetteKind = 2;
constexpr int kResidualKind = 4;

const ResultKind& ResultsOf(int lineType) {
    return lineType == kRosetteKind ? RosetteResults() : ResidualStressResults();
}

bool HasGroup(const CurveWorld& world, int lineType, int group) {
    const std::vector<std::string>& names =
        lineType == kRosetteKind ? world.rosetteGroupNames : world.residualGroupNames;
    return IsResultCurveKind(lineType) && group >= 1 && group <= int(names.size());
}

} // namespace

bool IsResultCurveKind(int lineType) {
    return lineType == kRosetteKind || lineType == kResidualKind;
}

bool ReadResultCurve(const CurveWorld& world, int lineType, int group, int column, int first, int count,
                     float* out) {
    if (count <= 0)
        return true;
    if (HasGroup(world, lineType, group) &&
        ReadResultColumn(ResultsOf(lineType), world.dataPath, group, first, count, column, out))
        return true;
    std::fill_n(out, count, kNoValue);
    return false;
}

std::string ResultGroupName(const CurveWorld& world, int lineType, int group) {
    if (!HasGroup(world, lineType, group))
        return {};
    return (lineType == kRosetteKind ? world.rosetteGroupNames
                                     : world.residualGroupNames)[std::size_t(group - 1)];
}

std::string ResultCurveUnit(int lineType, int column) {
    return IsResultCurveKind(lineType) ? ResultsOf(lineType).shortName(column) : std::string();
}
