// The digital parameter file: a signed 32-bit count, then that many 340-byte
// digital channel records. The program folder keeps "Digistal.dsi", each
// project its ".dsi", and the channel tool leaves "digital.pam" to import.
#pragma once

#include "model/DigitalChannelRecord.h"

#include <string>

// The process-wide digital channel table: its count (0 to 8) and records.
// Changed only while no run is active.
extern int g_nDigitalChanCount;
extern DigitalChannelTable g_DigitalChanTable;

constexpr const char* DIGITAL_PROGRAM_FILE = "Digistal.dsi";
constexpr const char* DIGITAL_IMPORT_FILE = "digital.pam";
constexpr const char* DIGITAL_PROJECT_SUFFIX = ".dsi";

// Reads whole records only, at most 8; a negative count gives no channels.
// False (count 0) when the file is missing or shorter than its count word.
bool LoadDigitalParamFile(const std::string& path, int& count, DigitalChannelTable& table);
// Writes the count (0 to 8) and that many records; false when it cannot be written.
bool SaveDigitalParamFile(const std::string& path, int count, const DigitalChannelTable& table);
