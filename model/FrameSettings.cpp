// Loading and saving the main frame's registry settings.
#include "model/FrameSettings.h"

#include "model/ProjectState.h"
#include "platform/RegistryProfile.h"

namespace {
constexpr const char* SECTION = "System";
constexpr int INTERFACE_NETWORK = 2;
} // namespace

void LoadFrameSettings(const platform::CRegistryProfile& profile, FrameSettings& settings,
                       CProjectState& state) {
    settings.nTheme = profile.GetProfileInt(SECTION, "Theme", 2);
    state.m_nBaundRate = profile.GetProfileInt(SECTION, "m_nBaundRate", 4800);
    state.m_nComPort = profile.GetProfileInt(SECTION, "m_nComPort", 1);
    state.m_nInterfaceMode = profile.GetProfileInt(SECTION, "m_nInterfaceMode", 0);
    settings.nDigitalBaundRate = profile.GetProfileInt(SECTION, "m_nDigitalBaundRate", 4800);
    settings.nDigitalComPort = profile.GetProfileInt(SECTION, "m_nDigitalComPort", 2);
    settings.nWorkMode = profile.GetProfileInt(SECTION, "m_nWorkMode", 0);
    settings.bShowIpModule = profile.GetProfileInt(SECTION, "m_bShowIpModule", 1);
    settings.nHoldTimeSeconds = profile.GetProfileInt(SECTION, "HoldTimeSeconds", 10);

    settings.nWorkMode = 0;
    state.m_nInterfaceMode = INTERFACE_NETWORK;
    state.m_nDeviceType = DEVICE_TYPE_QV7416;
    state.m_nSubDeviceType = DEVICE_TYPE_QV7416;
    state.m_strModelName = "QV7416";
}

void SaveFrameSettings(platform::CRegistryProfile& profile, const FrameSettings& settings,
                       const CProjectState& state) {
    profile.WriteProfileInt(SECTION, "Theme", settings.nTheme);
    profile.WriteProfileInt(SECTION, "m_nBaundRate", state.m_nBaundRate);
    profile.WriteProfileInt(SECTION, "m_nComPort", state.m_nComPort);
    profile.WriteProfileInt(SECTION, "m_nInterfaceMode", state.m_nInterfaceMode);
    profile.WriteProfileInt(SECTION, "m_nDigitalBaundRate", settings.nDigitalBaundRate);
    profile.WriteProfileInt(SECTION, "m_nDigitalComPort", settings.nDigitalComPort);
    profile.WriteProfileInt(SECTION, "m_nWorkMode", settings.nWorkMode);
    profile.WriteProfileInt(SECTION, "m_bShowIpModule", settings.bShowIpModule);
    profile.WriteProfileInt(SECTION, "HoldTimeSeconds", settings.nHoldTimeSeconds);
}
