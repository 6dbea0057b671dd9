// The enabling, check-mark and menu-removal rules of the main frame's
// commands, as one function of the frame's state, so that the rules are
// tested without a window and the frame's update handlers stay one line.
#pragma once

#include <vector>

// What the rules read of the frame.
struct FrameCommandState {
    int nProjectState = 0;
    int nStoredDataCount = 0;
    int nRelatedDataCount = 0; // the live counters while sampling
    bool bSampling = false;
    bool bPaused = false;
    bool bBalanceResultsInUse = false;
    int nRosetteGroups = 0;
    int nMeasuredChannels = 0;
    bool bDataLocateVisible = false;
    int bSaveRealtimeData = 1;
    int nSampleMode = 1;
    bool bSoftwareDebug = false;
    bool bCasesFound = false;
    bool bSoftwareSpectrum = false;
    int nSpectrumFlag = 0;
    int nSpectrumWindows = 0;
    int nDataWindows = 0; // history, curve, table and bar windows
    bool bNetworkInterface = true;
    int nConnectionCount = 0;
    bool bCanStartSample = true;
    bool bListenerReady = true;
    bool bModuleInfoVisible = false;
    bool bGraphBarVisible = true;
    bool bSampleControlBarVisible = true;
    bool bChannelPaneOpen = true;
    bool bSampleParamPaneOpen = true;
    int nDockingTheme = 5;
};

struct CommandStateResult {
    bool bHandled = false;   // the rules know the command
    bool bSetEnabled = true; // false: the enabled state is left as it is
    bool bEnabled = true;
    bool bChecked = false;
    bool bRemoveFromMenu = false;
};

CommandStateResult GetFrameCommandState(int id, const FrameCommandState& state);

// Visual styles: the paint and docking themes of a style, the style of a
// style command, and the docking theme whose command carries the check mark.
struct FrameStyle {
    int nCommand;
    int nStyle;
    int nPaintTheme;
    int nDockingTheme;
};
const std::vector<FrameStyle>& FrameStyles();
// The style as the frame applies it (any unknown value is Visual Studio 2005).
const FrameStyle& FrameStyleOf(int style);
const FrameStyle* FrameStyleOfCommand(int command);

// Removals from a popup menu each time it opens: the command and the
// neighbour removed with it (-1 the item before, 1 the item after, 0 none).
struct MenuRemoval {
    int nCommand;
    int nNeighbour;
};
struct MenuPruneOptions {
    bool bDigitalUsed = false;
    bool bSoftwareDebug = false;
    bool bProgrammedStrain = false;
    bool bDigitalLibraryLoaded = false;
};
std::vector<MenuRemoval> MenuRemovals(const MenuPruneOptions& options);
// The submenu that holds this command is removed whole (digital sensor channels).
constexpr int ID_DIGITAL_CHANNEL_SETTINGS = 32956;
constexpr int ID_DIGITAL_SETTINGS = 32889;
// The storage-rule dialog of the settings menu.
constexpr int ID_STORAGE_RULE = 32959;
constexpr int ID_VIRTUAL_CHANNEL_SETTINGS = 32834;
constexpr int ID_ROSETTE_SETTINGS = 32831;
constexpr int ID_RESIDUAL_STRESS = 32932;
constexpr int ID_IMPORTANT_POINTS = 32874;
bool RemoveDigitalChannelSubmenu(const MenuPruneOptions& options);
