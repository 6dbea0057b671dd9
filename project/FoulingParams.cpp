// Fouling-resistance inputs and their settings file.
#include "project/FoulingParams.h"

#include "platform/Profile.h"
#include "platform/Text.h"

#include <cstdlib>

FoulingValues g_FoulingValues;

namespace {
constexpr const char* kSection = "param";

float ReadValue(const char* key, const std::string& path) {
    return static_cast<float>(
        std::atof(platform::GetPrivateProfileString(kSection, key, "-100", path).c_str()));
}
} // namespace

FoulingFileValues LoadFoulingFile(const std::string& path) {
    FoulingFileValues values;
    values.fArea = ReadValue("A", path);
    values.fMassFlow = ReadValue("Mc", path);
    values.fSpecificHeat = ReadValue("Cpc", path);
    values.fFlow = ReadValue("Q", path);
    values.fDensity = ReadValue("P", path);
    return values;
}

bool SaveFoulingFile(const std::string& path, const FoulingFileValues& values) {
    const std::pair<const char*, float> items[] = {{"A", values.fArea},
                                                   {"Mc", values.fMassFlow},
                                                   {"Cpc", values.fSpecificHeat},
                                                   {"Q", values.fFlow},
                                                   {"P", values.fDensity}};
    bool ok = true;
    for (const auto& [key, value] : items)
        ok = platform::WritePrivateProfileString(kSection, key, platform::Format("%f", value), path) && ok;
    return ok;
}

bool ComputeMassFlow(double flow, double density, double& massFlow) {
    if (!(flow > 0.0 && density > 0.0))
        return false;
    massFlow = density * flow * 2.7777777777777776e-7;
    return true;
}

std::string CheckFoulingInputs(double area, double massFlow, double specificHeat) {
    if (!(area > 0.0))
        return "换热面积有误!";
    if (!(massFlow > 0.0))
        return "质量流量有误!";
    if (!(specificHeat > 0.0))
        return "循环冷却水定压比热容有误!";
    return "";
}

std::string FoulingFieldText(float value) {
    return value > 0.0f ? platform::Format("%f", value) : std::string();
}
