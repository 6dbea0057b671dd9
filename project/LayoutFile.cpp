// Reading and writing the sections of the window layout file.
#include "project/LayoutFile.h"

#include "platform/Files.h"
#include "platform/Profile.h"
#include "platform/Text.h"

namespace {

void WriteInt(const std::string& section, const char* key, int value, const std::string& path) {
    platform::WritePrivateProfileString(section, key, platform::Format("%d", value), path);
}

int ReadInt(const std::string& section, const char* key, int nDefault, const std::string& path) {
    return platform::GetPrivateProfileInt(section, key, nDefault, path);
}

} // namespace

std::string ResolveLayoutFileName(const std::string& fileName, const std::string& programFolder,
                                  const std::string& projectName) {
    if (fileName.empty() || fileName.find('.') == std::string::npos) {
        return platform::JoinPath(programFolder, projectName + ".LYT");
    }
    return fileName;
}

std::string MakeWindowOrder(const std::vector<int>& viewTypes) {
    std::string order;
    for (int type : viewTypes) {
        if (order.size() >= static_cast<std::size_t>(MAX_LAYOUT_WINDOWS)) {
            break;
        }
        if (type >= VIEW_TYPE_HISTORY && type <= VIEW_TYPE_BAR) {
            order += static_cast<char>('0' + type);
        }
    }
    return order;
}

void WriteWindowLayout(const std::string& path, const WindowLayout& layout) {
    const std::string s = WINDOW_LAYOUT_SECTION;
    platform::WritePrivateProfileString(s, "WndOrd", layout.m_strWndOrd, path);
    WriteInt(s, "WndCount", layout.m_nWndCount, path);
    WriteInt(s, "m_bShowSampleParamBar", layout.m_Bars.m_bShowSampleParamBar, path);
    WriteInt(s, "m_bShowGraphAtribBar", layout.m_Bars.m_bShowGraphAtribBar, path);
    WriteInt(s, "m_bShowSampleControlBar", layout.m_Bars.m_bShowSampleControlBar, path);
    WriteInt(s, "m_bShowMoveDataBar", layout.m_Bars.m_bShowMoveDataBar, path);
    WriteInt(s, "m_bShowChannelBar", layout.m_Bars.m_bShowChannelBar, path);
}

WindowLayout ReadWindowLayout(const std::string& path) {
    const std::string s = WINDOW_LAYOUT_SECTION;
    WindowLayout layout;
    char order[MAX_LAYOUT_WINDOWS + 1] = {};
    platform::GetPrivateProfileString(s, "WndOrd", "", order, sizeof(order), path);
    layout.m_strWndOrd = order;
    layout.m_nWndCount = ReadInt(s, "WndCount", 0, path);
    layout.m_Bars.m_bShowSampleParamBar = ReadInt(s, "m_bShowSampleParamBar", 1, path);
    layout.m_Bars.m_bShowGraphAtribBar = ReadInt(s, "m_bShowGraphAtribBar", 1, path);
    layout.m_Bars.m_bShowSampleControlBar = ReadInt(s, "m_bShowSampleControlBar", 1, path);
    layout.m_Bars.m_bShowMoveDataBar = ReadInt(s, "m_bShowMoveDataBar", 0, path);
    layout.m_Bars.m_bShowChannelBar = ReadInt(s, "m_bShowChannelBar", 1, path);
    return layout;
}

std::vector<int> TemplatesToOpen(const WindowLayout& layout) {
    std::vector<int> templates;
    for (int n = 0; n < layout.m_nWndCount && n < static_cast<int>(layout.m_strWndOrd.size()); ++n) {
        const char c = layout.m_strWndOrd[static_cast<std::size_t>(n)];
        templates.push_back(c >= '1' && c <= '4' ? c - '0' : 0);
    }
    return templates;
}

std::string ChildPlacementSection(int index) {
    return platform::Format("Layout_ExView%d", index);
}

void SaveChildPlacement(const std::string& path, int index, const ChildWindowPlacement& p) {
    const std::string s = ChildPlacementSection(index);
    WriteInt(s, "flags", p.flags, path);
    WriteInt(s, "showCmd", p.showCmd, path);
    WriteInt(s, "MaxPositionX", p.maxPositionX, path);
    WriteInt(s, "MaxPositionY", p.maxPositionY, path);
    WriteInt(s, "MinPositionX", p.minPositionX, path);
    WriteInt(s, "MinPositionY", p.minPositionY, path);
    WriteInt(s, "windowLeft", p.windowLeft, path);
    WriteInt(s, "windowRight", p.windowRight, path);
    WriteInt(s, "windowTop", p.windowTop, path);
    WriteInt(s, "windowBottom", p.windowBottom, path);
    WriteInt(s, "m_nLeftViewWidth", p.m_nLeftViewWidth, path);
    WriteInt(s, "m_bShowInfoView", p.m_bShowInfoView, path);
}

ChildWindowPlacement LoadChildPlacement(const std::string& path, int index, int borderWidth,
                                        int borderHeight) {
    const std::string s = ChildPlacementSection(index);
    ChildWindowPlacement p;
    p.flags = ReadInt(s, "flags", 2, path);
    p.showCmd = ReadInt(s, "showCmd", 1, path);
    // The maximised position is written but never read back.
    p.minPositionX = ReadInt(s, "MinPositionX", -borderWidth, path);
    p.minPositionY = ReadInt(s, "MinPositionY", -borderHeight, path);
    p.windowLeft = ReadInt(s, "windowLeft", 0, path);
    p.windowRight = ReadInt(s, "windowRight", 400, path);
    p.windowTop = ReadInt(s, "windowTop", 0, path);
    p.windowBottom = ReadInt(s, "windowBottom", 200, path);
    p.m_nLeftViewWidth = ReadInt(s, "m_nLeftViewWidth", 1, path);
    p.m_bShowInfoView = ReadInt(s, "m_bShowInfoView", 0, path);
    return p;
}
