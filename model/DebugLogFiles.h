// Debug and trace log files in the program folder, written only while the
// debug-output setting is on, and two small file helpers.
#pragma once

#include <string>

struct LOGFONT;

// The "OutDebugInfo" system setting (defined with the other system settings,
// read once at start-up before any thread logs).
extern bool g_bOutDebugInfo;

// Appends the line to "Debug.txt" (or name + ".txt") in the program folder;
// with bRecreate the file starts afresh. Failures are ignored.
void WriteDebugLog(const std::string& strLine, bool bRecreate = false);
void WriteLogFile(const std::string& strName, const std::string& strLine, bool bRecreate = false);

// Clears the read-only attribute of an existing file.
void ClearReadOnlyAttribute(const std::string& strPath);
// Deletes every file of the folder (subfolders stay); 0 when it lists nothing.
int DeleteFolderFiles(const std::string& strFolder);

// Arial, 13 by 7, normal weight; returns 1.
int InitDefaultLogFont(LOGFONT& font);
