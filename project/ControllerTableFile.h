// The controller table of a project ("Module.ifo"): the connected
// controllers' records, 56 bytes each, written and read back with the project.
#pragma once

#include "model/CaseTables.h"

#include <string>
#include <vector>

static_assert(sizeof(ControllerRecord) == 56, "a controller record is 56 bytes in the project's file");

// Writes the records to a file created new; 1 on success, 0 otherwise.
int SaveControllerTable(const std::string& path, const std::vector<ControllerRecord>& table);
// Reads count records when the file exists; 0 (table untouched) for a
// missing file, a file too short for the count, or a count outside 0..32.
int LoadControllerTable(const std::string& path, int count, std::vector<ControllerRecord>& table);
// False for a file that is no controller table: a size that is not whole
// records (or more than 32), an address that is not an address text, or a
// case count outside 0..8. A missing file is sound (no controllers).
bool IsControllerTableFileSound(const std::string& path);
