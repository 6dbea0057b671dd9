// Markers, per-unit file names and the status-file choice of stored runs.
#include "datafiles/SampleFileFormat.h"

#include "datafiles/OnlineLayout.h"

#include <cmath>
#include <cstring>
#include <sys/stat.h>

namespace {

bool Near(float value, float marker) {
    return std::fabs(double(value) - double(marker)) <= 1e-15;
}

// -1 when the file does not exist.
std::int64_t FileLength(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0)
        return -1;
    return st.st_size;
}

} // namespace

CaseSampleBlock MakeEmptyBlock() {
    CaseSampleBlock block{};
    block.nHeader = -1;
    return block;
}

CaseSampleBlock MakeNoValueBlock(int unit) {
    CaseSampleBlock block{};
    block.nHeader = unit;
    for (float& v : block.fValues)
        v = kNoValue;
    return block;
}

int FormatSpecialValue(int noOverflowText, float value, std::string& text) {
    if (Near(value, kNoValue)) {
        text = "------";
        return 1;
    }
    if (Near(value, kNotBalanced)) {
        text = "未平衡";
        return 1;
    }
    if (!noOverflowText && std::fabs(value) > kOverflowLimit) {
        text = "溢出";
        return 1;
    }
    return 0;
}

std::string MakeCaseDataFileName(const std::string& path, int unit, int status) {
    const std::size_t slash = path.find_last_of('/');
    const std::string dir = slash == std::string::npos ? std::string() : path.substr(0, slash);
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || dot < nameStart)
        dot = path.size();
    const std::string name = path.substr(nameStart, dot - nameStart);
    return dir + "/" + name + "_" + std::to_string(unit) + (status ? ".stu" : ".dat");
}

std::string MakeCaseStatusFileName(const OnlineLayout& layout, const std::string& path, int unit) {
    return layout.bPerCaseFiles ? MakeCaseDataFileName(path, unit, 1) : path;
}

std::string SelectCaseStatusFile(const OnlineLayout& layout, const std::string& path) {
    if (!layout.bPerCaseFiles)
        return path;
    std::string chosen;
    std::int64_t longest = -1;
    for (int unit : layout.caseList) {
        const std::string name = MakeCaseDataFileName(path, unit, 1);
        const std::int64_t length = FileLength(name);
        if (length > longest) {
            longest = length;
            chosen = name;
        }
    }
    if (chosen.empty() && layout.caseList.size() == 1)
        chosen = MakeCaseDataFileName(path, layout.caseList[0], 1);
    return chosen.empty() ? path : chosen;
}

std::string StatusLabel(const SampleStatusRecord& record) {
    return std::string(record.szLabel, strnlen(record.szLabel, sizeof record.szLabel));
}
