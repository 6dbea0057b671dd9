// Sensor matching tables and their settings file.
#include "model/SensorMatch.h"

#include "model/NumberTexts.h"
#include "platform/Files.h"
#include "platform/Profile.h"
#include "platform/Text.h"

#include <cstdlib>
#include <set>

SensorMapList g_SensorMapSel = [] {
    SensorMapList list;
    list.fill(-1);
    return list;
}();
SensorMapList g_SensorMapId = g_SensorMapSel;
SensorCoefficientTable g_SensorCoefficients{};

namespace {
constexpr const char* kCoefficient = "Coefficient";
constexpr const char* kMap = "Map";

std::string CoefficientKey(int sensor, int column) {
    return platform::Format("coe%d%d", sensor + 1, column + 1);
}
} // namespace

const char* SensorMatchName(int sensor) {
    static const char* const names[SENSOR_MATCH_COUNT] = {"Ⅰ循进", "Ⅰ循出", "Ⅱ循进", "Ⅱ循出",
                                                          "Ⅰ加进", "Ⅰ加出", "Ⅱ加进", "Ⅱ加出"};
    return sensor >= 0 && sensor < SENSOR_MATCH_COUNT ? names[sensor] : "";
}

SensorMatchTables LoadSensorMatch(const std::string& path) {
    SensorMatchTables tables;
    if (!platform::FileExists(path))
        return tables;
    for (int s = 0; s < SENSOR_MATCH_COUNT; ++s) {
        for (int c = 0; c < 3; ++c)
            tables.coef[s][c] = std::atof(
                platform::GetPrivateProfileString(kCoefficient, CoefficientKey(s, c), "", path).c_str());
        tables.sel[s] = std::atoi(
            platform::GetPrivateProfileString(kMap, platform::Format("MapSel%d", s + 1), "-1", path).c_str());
        tables.id[s] = std::atoi(
            platform::GetPrivateProfileString(kMap, platform::Format("MapID%d", s + 1), "-1", path).c_str());
    }
    return tables;
}

bool SaveSensorMatch(const std::string& path, const SensorMatchTables& tables) {
    bool ok = true;
    for (int s = 0; s < SENSOR_MATCH_COUNT; ++s)
        for (int c = 0; c < 3; ++c)
            ok = platform::WritePrivateProfileString(kCoefficient, CoefficientKey(s, c),
                                                     platform::Format("%f", tables.coef[s][c]), path) &&
                 ok;
    for (int s = 0; s < SENSOR_MATCH_COUNT; ++s) {
        ok = platform::WritePrivateProfileString(kMap, platform::Format("MapSel%d", s + 1),
                                                 platform::Format("%d", tables.sel[s]), path) &&
             ok;
        ok = platform::WritePrivateProfileString(kMap, platform::Format("MapID%d", s + 1),
                                                 platform::Format("%d", tables.id[s]), path) &&
             ok;
    }
    return ok;
}

SensorMatchTables CurrentSensorMatch() {
    SensorMatchTables tables;
    tables.sel = g_SensorMapSel;
    tables.id = g_SensorMapId;
    tables.coef = g_SensorCoefficients;
    return tables;
}

void SetCurrentSensorMatch(const SensorMatchTables& tables) {
    g_SensorMapSel = tables.sel;
    g_SensorMapId = tables.id;
    g_SensorCoefficients = tables.coef;
}

SensorSelectionCheck CheckSensorSelections(const SensorMapList& selections) {
    std::set<int> seen;
    for (int selection : selections)
        if (selection < 0)
            return SensorSelectionCheck::Incomplete;
    for (int selection : selections)
        if (!seen.insert(selection).second)
            return SensorSelectionCheck::Duplicate;
    return SensorSelectionCheck::Ok;
}

std::vector<int> SensorMatchChannels(const std::vector<int>& measured,
                                     const std::function<bool(int)>& accept) {
    std::vector<int> channels;
    for (int channel : measured)
        if (accept(channel))
            channels.push_back(channel);
    return channels;
}

std::string SensorCoefficientText(double value) {
    return value == 0.0 ? std::string() : TrimTrailingZeros(platform::Format("%f", value));
}

double LeadingNumber(const std::string& text) {
    return std::atof(text.c_str());
}

std::string SettingsFileForWriting(const std::string& projectFolder, const std::string& programFolder,
                                   const std::string& name) {
    return platform::JoinPath(projectFolder.empty() ? programFolder : projectFolder, name);
}

std::string SettingsFileForReading(const std::string& projectFolder, const std::string& programFolder,
                                   const std::string& name) {
    const std::string written = SettingsFileForWriting(projectFolder, programFolder, name);
    return platform::FileExists(written) ? written : platform::JoinPath(programFolder, name);
}
