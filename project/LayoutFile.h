// The window layout file (".LYT"): which data windows were open and in which
// order, where each child window stood and how its information pane was
// set, and which bars were shown. INI format, every number "%d".
#pragma once

#include <string>
#include <vector>

// Layout file of the child-window placement functions called alone.
constexpr const char* DEFAULT_CHILD_LAYOUT_FILE = "QV741xx.LYT";
constexpr const char* WINDOW_LAYOUT_SECTION = "WindowLayout";
// At most this many windows are recorded.
constexpr int MAX_LAYOUT_WINDOWS = 16;

// View types, also the characters of "WndOrd": the template order.
constexpr int VIEW_TYPE_HISTORY = 1;
constexpr int VIEW_TYPE_CURVE = 2;
constexpr int VIEW_TYPE_TABLE = 3;
constexpr int VIEW_TYPE_BAR = 4;

struct WindowLayoutBars {
    int m_bShowSampleParamBar = 1;
    int m_bShowGraphAtribBar = 1;
    int m_bShowSampleControlBar = 1;
    int m_bShowMoveDataBar = 0;
    int m_bShowChannelBar = 1;
};

struct WindowLayout {
    std::string m_strWndOrd; // one character per window, front window first
    int m_nWndCount = 0;
    WindowLayoutBars m_Bars;
};

// A child window's placement and information pane ("Layout_ExView%d").
struct ChildWindowPlacement {
    int flags = 2;
    int showCmd = 1;
    int maxPositionX = 0;
    int maxPositionY = 0;
    int minPositionX = 0;
    int minPositionY = 0;
    int windowLeft = 0;
    int windowRight = 400;
    int windowTop = 0;
    int windowBottom = 200;
    int m_nLeftViewWidth = 1;
    int m_bShowInfoView = 0;
};

// An empty name, or one without a '.', means programFolder/projectName.LYT.
std::string ResolveLayoutFileName(const std::string& fileName, const std::string& programFolder,
                                  const std::string& projectName);

// "WndOrd" of the view types given front window first; 0 or an unknown type
// records nothing, and at most 16 windows are kept.
std::string MakeWindowOrder(const std::vector<int>& viewTypes);
void WriteWindowLayout(const std::string& path, const WindowLayout& layout);
WindowLayout ReadWindowLayout(const std::string& path);
// The template (1..4) to open for each of the first "WndCount" characters of
// "WndOrd", never beyond its end; 0 for a character that opens nothing.
std::vector<int> TemplatesToOpen(const WindowLayout& layout);

std::string ChildPlacementSection(int index);
void SaveChildPlacement(const std::string& path, int index, const ChildWindowPlacement& placement);
// The minimised position defaults to minus the border sizes given.
ChildWindowPlacement LoadChildPlacement(const std::string& path, int index, int borderWidth,
                                        int borderHeight);
