// The project file (".dap"): an INI-format file holding the sampling
// settings, the stored-sample count, the case table, the balance state and
// the importance channels of a project. An empty path stands for the
// program folder's project file, which keeps the settings between runs.
#pragma once

#include <string>

#include "model/ProjectState.h"

// Always 1 (profile writes are not checked).
int WriteProjectFile(const CProjectState& state, const std::string& path);
// 1, or 0 when the file's case and channel list cannot be used. Only a
// given path reads the stored-sample count, the case tables and the balance
// state; the program folder's file never changes them.
int ReadProjectFile(CProjectState& state, const std::string& path);

void WriteDeviceType(const CProjectState& state, const std::string& path);
// DeviceType of the file, 0 when missing.
int ReadDeviceType(const std::string& path);
// The file holds the keys every project file written by a run holds (its
// device type and case table); false for a missing or cut-short file.
bool IsProjectFileComplete(const std::string& path);

// The project file that an empty path stands for.
std::string ResolveProjectFilePath(const CProjectState& state, const std::string& path);
