// Loading the bar's lists from the description and unit files.
#include "panels/bars/ChannelBarContext.h"

#include "platform/Profile.h"
#include "platform/Text.h"

namespace {
constexpr int MODULES_PER_CHASSIS = 8;
constexpr int MAX_MODULES_PER_CONTROLLER = 8;
} // namespace

void LoadBridgeModeNames(const CInstrumentIni& ini, std::vector<std::string>& names) {
    const int count = ini.GetInputModeCount();
    if (count <= 0) {
        return;
    }
    names.clear();
    for (int i = 0; i < count; ++i) {
        std::string text;
        ini.GetInputModeText(i, text);
        names.push_back(text);
    }
}

std::vector<std::string> LoadEngineeringUnits(const std::string& path) {
    std::vector<std::string> units;
    const int total = platform::GetPrivateProfileInt("Engineer Units", "UnitsTotal", 0, path);
    for (int n = 1; n <= total; ++n) {
        char buffer[129] = {};
        platform::GetPrivateProfileString(platform::Format("UNIT%d", n), "EU", "", buffer, sizeof(buffer),
                                          path);
        units.emplace_back(buffer);
    }
    return units;
}

int FindControllerOfChannel(const std::vector<ControllerRecord>& controllers, int channel,
                            int channelsPerUnit) {
    if (channel < 0 || channelsPerUnit <= 0) {
        return -1;
    }
    const int unit = channel / channelsPerUnit;
    for (std::size_t c = 0; c < controllers.size(); ++c) {
        const ControllerRecord& r = controllers[c];
        for (int m = 0; m < r.nCases && m < MAX_MODULES_PER_CONTROLLER; ++m) {
            if (r.nController * MODULES_PER_CHASSIS + r.nCaseNo[m] == unit) {
                return static_cast<int>(c);
            }
        }
    }
    return -1;
}
