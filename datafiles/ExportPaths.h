// Output names of the exports: the folder a save-as may create, the title
// clean-up of the per-channel layout, and user texts made safe for names.
#pragma once

#include "datafiles/SaveDataOptions.h"

#include <string>

// With make folder set, folder becomes folder/title and is created; 0 when
// it exists already or cannot be made.
int PrepareExportFolder(const SaveDataOptions& options, std::string& folder, const std::string& title);
// A title chosen from an earlier per-channel file ("Run_01-02-03") loses
// that channel suffix, only where the suffix ends the title.
std::string CleanPerChannelTitle(const std::string& title);
// A user text used inside a file name: path separators become '_', so the
// name stays in the chosen folder.
std::string SafeFileNamePart(const std::string& text);
// Clears the read-only state of an existing output file before it is rewritten.
void PrepareOutputFile(const std::string& path);
