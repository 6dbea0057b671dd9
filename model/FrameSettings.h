// The main frame's settings kept in section "System" of the application's
// registry profile: read at start-up, written on request. Whatever the
// profile holds, the program always works over the network with the
// QV7416 model.
#pragma once

#include <cstdint>

class CProjectState;
namespace platform {
class CRegistryProfile;
}

struct FrameSettings {
    std::int32_t nTheme = 2;
    std::int32_t nDigitalBaundRate = 4800;
    std::int32_t nDigitalComPort = 2;
    std::int32_t nWorkMode = 0;
    std::int32_t bShowIpModule = 1;
    std::int32_t nHoldTimeSeconds = 10;
};

// Reads the settings (port settings into the project state), then fixes the
// work mode to 0, the interface mode to 2, both device types to 3 and the
// model name to "QV7416".
void LoadFrameSettings(const platform::CRegistryProfile& profile, FrameSettings& settings,
                       CProjectState& state);
void SaveFrameSettings(platform::CRegistryProfile& profile, const FrameSettings& settings,
                       const CProjectState& state);
