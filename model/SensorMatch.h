// The eight temperature sensors of a two-loop heat-exchanger test: which
// measuring channel each one is, its quadratic correction a·x² + b·x + c,
// and the settings file "coe.ini" that keeps both.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

constexpr int SENSOR_MATCH_COUNT = 8;

using SensorMapList = std::array<std::int32_t, SENSOR_MATCH_COUNT>;
using SensorCoefficientTable = std::array<std::array<double, 3>, SENSOR_MATCH_COUNT>;

// The process-wide tables: the chosen entry of the dialog's channel list for
// each sensor (-1 none), each sensor's channel (-1 none), and a, b, c per sensor.
extern SensorMapList g_SensorMapSel;
extern SensorMapList g_SensorMapId;
extern SensorCoefficientTable g_SensorCoefficients;

// "Ⅰ循进" ... "Ⅱ加出", in sensor order.
const char* SensorMatchName(int sensor);

struct SensorMatchTables {
    SensorMapList sel;
    SensorMapList id;
    SensorCoefficientTable coef{};
    SensorMatchTables() {
        sel.fill(-1);
        id.fill(-1);
    }
};

// Defaults first, then the file's values; a missing file leaves the defaults.
SensorMatchTables LoadSensorMatch(const std::string& path);
// Coefficient keys "coe11".."coe83" first, then "MapSel%d"/"MapID%d" per sensor.
bool SaveSensorMatch(const std::string& path, const SensorMatchTables& tables);

// The process-wide tables as one record, and back.
SensorMatchTables CurrentSensorMatch();
void SetCurrentSensorMatch(const SensorMatchTables& tables);

enum class SensorSelectionCheck { Ok, Incomplete, Duplicate };
// Every sensor must have a selection (>= 0) and no two the same one.
SensorSelectionCheck CheckSensorSelections(const SensorMapList& selections);

// The channels the dialog offers, in the order of the measured list.
std::vector<int> SensorMatchChannels(const std::vector<int>& measured,
                                     const std::function<bool(int)>& accept);

// "%f" without trailing zeros and point; empty for exactly 0.
std::string SensorCoefficientText(double value);

// The leading numeric part of a text as atof reads it; none gives 0.
double LeadingNumber(const std::string& text);

// The file "name" where the program writes it: the open project's folder,
// else the program folder. Reading falls back to the program folder's file
// while the project has none of its own.
std::string SettingsFileForWriting(const std::string& projectFolder, const std::string& programFolder,
                                   const std::string& name);
std::string SettingsFileForReading(const std::string& projectFolder, const std::string& programFolder,
                                   const std::string& name);
