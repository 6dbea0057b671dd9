// Cuts a range of fixed-size records out of one or several files, all of
// them or none: the kept records of each file are written to a staged copy
// (file name + ".bak") and the copies are renamed into place only when every
// one was written; a rename that fails puts back the files already replaced.
// A job with patches keeps every record and instead overwrites four-byte
// fields of records first..last.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct RangeCut {
    struct Job {
        std::string path;
        std::int64_t recordSize = 0;
        std::int64_t first = 0; // records first..last are removed
        std::int64_t last = 0;
        // Byte offset in the record and the value written there.
        std::vector<std::pair<std::int64_t, float>> patches;
    };

    std::vector<Job> jobs;

    // Records in the file (its length / recordSize), -1 when it cannot be read.
    static std::int64_t RecordCount(const std::string& path, std::int64_t recordSize);
    // Adds a cut of first..last after checking it against the file: false
    // (and nothing added) when the file cannot be read or first is outside
    // it; last is brought back to the file's last record.
    bool Add(const std::string& path, std::int64_t recordSize, std::int64_t first, std::int64_t last);
    // Adds a patch of records first..last, checked as Add checks a cut.
    bool AddPatch(const std::string& path, std::int64_t recordSize, std::int64_t first, std::int64_t last,
                  std::vector<std::pair<std::int64_t, float>> patches);
    // Applies every cut; false when any failed, every file then unchanged.
    bool Apply() const;
};
