// The per-case files of a stored run checked before their sets are counted.
// A file of noise, a sparse file far longer than the run, or the longer
// cases of a run cut short by a crash must not set the project's count.
#include "datafiles/StoredRunCheck.h"

#include "datafiles/SampleFileFormat.h"
#include "model/ProjectState.h"
#include "platform/Files.h"
#include "platform/Text.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>

namespace {

template <class Record> bool ReadFirstRecord(const std::string& path, Record& record) {
    std::ifstream file(path, std::ios::binary);
    return static_cast<bool>(file.read(reinterpret_cast<char*>(&record), sizeof record));
}

// A stored block carries the case's unit number, its module slot (with a
// sample counter below it), or -1 for a set the case missed.
bool IsBlockOfUnit(const CaseSampleBlock& block, int unit) {
    const std::int32_t header = block.nHeader;
    return header == -1 || header == unit || (header >= 0 && (header >> 24) == unit % 8);
}

// A time as a date of the years 1900 to 9999, a known status word and a
// terminated label.
bool IsStatusRecord(const SampleStatusRecord& record) {
    return std::isfinite(record.dtTime) && record.dtTime > 0.0 && record.dtTime < 2958466.0 &&
           record.nStatus >= 0 && record.nStatus <= 2 &&
           std::memchr(record.szLabel, '\0', sizeof record.szLabel) != nullptr;
}

struct UnitFile {
    std::string path;
    std::int64_t records = 0; // whole records; 0 when missing or damaged
};

template <class Record, class Check>
UnitFile Inspect(const std::string& path, Check isSound, std::vector<std::string>& notes) {
    UnitFile file{path, 0};
    const std::int64_t size = platform::FileSize(path);
    if (size < 0) {
        notes.push_back(platform::Format("文件%s不存在。", path.c_str()));
        return file;
    }
    Record first{};
    if (size >= std::int64_t(sizeof(Record)) && (!ReadFirstRecord(path, first) || !isSound(first))) {
        notes.push_back(platform::Format("文件%s已损坏，其中的数据未使用。", path.c_str()));
        return file;
    }
    file.records = size / std::int64_t(sizeof(Record));
    return file;
}

} // namespace

StoredRunCheck CheckCaseRunFiles(const CProjectState& project, const int* units, int count) {
    StoredRunCheck check;
    std::vector<UnitFile> files;
    for (int i = 0; i < count; ++i) {
        const int unit = units[i];
        files.push_back(Inspect<CaseSampleBlock>(
            project.GetCaseFilePath(unit, ".dat"),
            [unit](const CaseSampleBlock& block) { return IsBlockOfUnit(block, unit); }, check.notes));
        files.push_back(
            Inspect<SampleStatusRecord>(project.GetCaseFilePath(unit, ".stu"), IsStatusRecord, check.notes));
    }
    // A project that never stored a set has none of its files: nothing is amiss.
    if (std::all_of(files.begin(), files.end(),
                    [](const UnitFile& f) { return !platform::FileExists(f.path); })) {
        check.notes.clear();
        return check;
    }
    check.nWholeSets = std::min_element(files.begin(), files.end(), [](const UnitFile& a, const UnitFile& b) {
                           return a.records < b.records;
                       })->records;
    for (const UnitFile& file : files) {
        if (file.records > check.nWholeSets)
            check.notes.push_back(platform::Format(
                "文件%s中有%lld组数据，多于各机箱都完整保存的%lld组，多出的数据未使用。", file.path.c_str(),
                static_cast<long long>(file.records), static_cast<long long>(check.nWholeSets)));
    }
    return check;
}
