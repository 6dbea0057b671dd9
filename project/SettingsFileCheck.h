// Checks of the settings files the program reads at start-up. A file of
// noise reads as an empty profile, which would quietly give every default
// and be overwritten by the first write: the program reports it instead and
// keeps the user's file.
#pragma once

#include <string>

// True when the file is missing, empty, or text with at least one
// "[section]" line and no zero byte; false for anything else (noise, a
// binary file under the settings file's name).
bool IsProfileTextFile(const std::string& path);

// Renames the file to path + ".bad" (or ".bad1", ".bad2", ... when taken);
// the new name, or "" when it could not be moved.
std::string KeepFileAside(const std::string& path);
