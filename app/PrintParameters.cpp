// Print parameters in the layout file, and the paging flags.
#include "app/PrintParameters.h"

#include "platform/Files.h"
#include "platform/Profile.h"
#include "platform/Text.h"

#include <cstdlib>

namespace {

constexpr const char* kSection = "PrintParameters";

struct FloatKey {
    const char* key;
    float PrintParameters::*field;
};
const FloatKey kFloatKeys[] = {
    {"fltFootHeight", &PrintParameters::fltFootHeight},
    {"fltHeaderHeight", &PrintParameters::fltHeaderHeight},
    {"fltMarginDown", &PrintParameters::fltMarginDown},
    {"fltMarginLeft", &PrintParameters::fltMarginLeft},
    {"fltMarginRight", &PrintParameters::fltMarginRight},
    {"fltMarginTop", &PrintParameters::fltMarginTop},
};

} // namespace

std::string PrintParameterFile(const std::string& projectPath) {
    return platform::ReplaceExtension(projectPath, ".LYT");
}

void SavePrintParam(const std::string& projectPath, const PrintParameters& params) {
    const std::string file = PrintParameterFile(projectPath);
    for (const FloatKey& k : kFloatKeys)
        platform::WritePrivateProfileString(kSection, k.key, platform::Format("%f", params.*k.field), file);
    platform::WritePrivateProfileString(kSection, "strFootContent", params.strFootContent, file);
    platform::WritePrivateProfileString(kSection, "strHeaderContent", params.strHeaderContent, file);
}

void LoadPrintParam(const std::string& projectPath, PrintParameters& params) {
    const std::string file = PrintParameterFile(projectPath);
    for (const FloatKey& k : kFloatKeys) {
        const std::string text = platform::GetPrivateProfileString(kSection, k.key, "0.0", file);
        params.*k.field = static_cast<float>(std::atof(text.c_str()));
    }
    params.strFootContent = platform::GetPrivateProfileString(kSection, "strFootContent", "", file);
    params.strHeaderContent = platform::GetPrivateProfileString(kSection, "strHeaderContent", "", file);
}

void TogglePagingByCase(PagingFlags& flags, int onlineCaseCount) {
    if (onlineCaseCount <= 0) {
        flags.bByCase = 0;
        return;
    }
    flags.bByCase = flags.bByCase ? 0 : 1;
    flags.bByIp = 0;
}

void TogglePagingByIp(PagingFlags& flags, int controllerCount) {
    if (controllerCount <= 0) {
        flags.bByIp = 0;
        return;
    }
    flags.bByIp = flags.bByIp ? 0 : 1;
    flags.bByCase = 0;
}
