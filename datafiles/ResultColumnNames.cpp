// Column names of the derived results.
#include "datafiles/ResultColumnNames.h"

#include <iterator>

namespace {

const char* const kUndefined = "未 定 义";
const char* const kRosetteShort[] = {"ε1", "ε2", "σ1", "σ2", "τ_Max", "ψ"};
const char* const kRosetteLong[] = {"主应变", "次应变", "主应力", "次应力", "最大剪切力", "方向角"};
const char* const kResidualShort[] = {"ε1", "ε2", "ε3", "γ", "σmax", "σmin", "σx", "σy", "σr"};
const char* const kResidualLong[] = {"应变1",    "应变2",  "应变3",   "方向角",      "最大应力",
                                     "最小应力", "0°应力", "90°应力", "综合残余应力"};

template <std::size_t N> std::string Pick(const char* const (&names)[N], int index) {
    return index >= 0 && std::size_t(index) < N ? names[index] : kUndefined;
}

} // namespace

std::string GetRosetteShortColumnName(int index) {
    return Pick(kRosetteShort, index);
}
std::string GetRosetteColumnName(int index) {
    return Pick(kRosetteLong, index);
}
std::string GetResidualShortColumnName(int index) {
    return Pick(kResidualShort, index);
}
std::string GetResidualColumnName(int index) {
    return Pick(kResidualLong, index);
}
