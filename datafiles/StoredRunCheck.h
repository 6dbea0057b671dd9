// What the per-case data and status files of an opened project hold: the
// number of whole sample sets that every online case holds in both of its
// files, and a line naming each file that is missing, damaged or holds more
// than that (no line when none of the files exists: nothing was stored).
// Nothing is changed on disk.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CProjectState;

struct StoredRunCheck {
    std::int64_t nWholeSets = 0;
    std::vector<std::string> notes;
};

// The cases are units[0 .. count); their files are named by the project.
StoredRunCheck CheckCaseRunFiles(const CProjectState& project, const int* units, int count);
