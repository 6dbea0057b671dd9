// Reads a workbook back through openpyxl (an independent reader), cell by
// cell, for the spreadsheet libraries' tests.
#pragma once

#include <map>
#include <string>
#include <vector>

struct ReadCell {
    char kind = 0; // 'n' number, 's' text, 'b' boolean
    double number = 0;
    std::string text;
    std::string format;
};

struct ReadSheet {
    std::string name;
    std::map<std::string, ReadCell> cells; // by cell name ("B3")
};

struct ReadWorkbook {
    bool ok = false;
    std::string error;
    std::string active;
    std::vector<ReadSheet> sheets;

    const ReadSheet* Sheet(const std::string& name) const;
};

ReadWorkbook ReadBack(const std::string& path);

// The file's bytes (empty when it cannot be read).
std::string FileBytes(const std::string& path);
// The names in a folder, sorted.
std::vector<std::string> FolderNames(const std::string& folder);
