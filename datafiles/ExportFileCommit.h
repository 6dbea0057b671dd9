// Output files of the exports are written under a temporary name beside
// their target and renamed over it only once complete, so that a full disk
// or a write error never leaves an empty or cut-short file (and never spoils
// an older file of that name). A failure is reported by the target's name.
#pragma once

#include <string>

// Creates a fresh, empty file beside target ("folder/.name.<pid>.<n>.tmp")
// and returns its name; "" when none could be created.
std::string ClaimExportTempPath(const std::string& target);
// Renames temp over target; false (temp removed) when that fails.
bool CommitExportFile(const std::string& temp, const std::string& target);
// "文件…写入失败…" naming target, under the given caption.
void ReportExportWriteFailure(const std::string& target, const std::string& caption);
