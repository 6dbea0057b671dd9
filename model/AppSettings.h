// The program's identity texts and the process-wide system settings read at
// start-up from section "System" of the main settings file, with the case
// table of slave types. Every subsystem reads these globals.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/CaseTables.h"
#include "model/RunFlags.h"

// Caption of the application's message boxes and the main window title.
extern const char* const g_strAppTitle;
// Name of the single-instance lock.
extern const char* const g_strMutexName;
// Registry profile key of the application.
extern const char* const g_strRegistryKey;
// Main settings file name in the program folder.
constexpr const char* MAIN_SETTINGS_FILE = "QV7416.INI";
constexpr const char* SYSTEM_SECTION = "System";

extern std::int32_t g_nADLinearity;
extern float g_fFullValue;
extern std::int32_t g_nDelayBufferCount;
extern std::int32_t g_nDelayChanInfo;
extern std::int32_t g_nDelayDataGet;
extern std::int32_t g_nLeadRCells;
extern bool g_bSoftwareDebug;
extern bool g_bSoftwareMAC;
extern bool g_bOutDebugInfo;
extern bool g_bInterface485;
extern std::int32_t g_nInterface485RLead;
extern std::int32_t g_nInterface485Check;
extern std::int32_t g_nAverageCount;
extern bool g_bNetworkMonitor;
extern bool g_bProgrammedStrain;
extern bool g_bSoftwareSpectrum;
extern bool g_bClkSyncMode;
extern std::int32_t g_nAutoDetectCaseOutTime;
// Read by the main frame at creation from the instrument description file.
extern bool g_bDigitalUsed;
extern bool g_bSingleMonitor;
// Instrument model type; the frame sets it to its device type at creation.
extern std::int32_t g_nModelType;

// Slave type of each case number, from the keys "SlaveCase%d".
extern std::int32_t g_SlaveCaseTable[MAX_CASE_COUNT];

// The main settings file of a program folder.
std::string MainSettingsPath(const std::string& programFolder);
// Reads the keys of section "System" in their fixed order; a missing file or
// key gives the default. Counts and waits are bounded to what the program
// can use (an absurd value takes the nearest bound).
void LoadSystemSettings(const std::string& path);
// The bounded keys of section "System" whose value lies outside its bounds,
// as "[System] key=value" texts.
std::vector<std::string> FindSystemSettingsOutOfRange(const std::string& path);
// Reads "SlaveCase0".."SlaveCase511" as text and converts each with the
// decimal text-to-integer rule, so a non-numeric text gives 0.
void ReadSlaveCaseSettings(const std::string& path);
// The run-state presets set before the settings are read.
void SetRunStatePresets();

namespace platform {
class CRegistryProfile;
}
// The application's registry profile (operator rights, recent files, the
// frame's settings), under the key g_strRegistryKey.
platform::CRegistryProfile& AppRegistryProfile();
