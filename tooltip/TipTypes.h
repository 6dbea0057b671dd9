// Records shared by the tip renderer's passes: the style record and its
// stack entries, line, table, link and animation records, and the plain
// geometry the canvas works in. No Qt here: the renderer is plain C++.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

using TipColor = std::uint32_t; // 0x00BBGGRR

inline constexpr TipColor TipRgb(int r, int g, int b) {
    return static_cast<TipColor>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
inline constexpr int TipRed(TipColor c) {
    return static_cast<int>(c & 0xFF);
}
inline constexpr int TipGreen(TipColor c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
inline constexpr int TipBlue(TipColor c) {
    return static_cast<int>((c >> 16) & 0xFF);
}

struct TipRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const TipRect&) const = default;
};

struct TipSize {
    int cx = 0;
    int cy = 0;
    bool operator==(const TipSize&) const = default;
};

struct TipPoint {
    int x = 0;
    int y = 0;
    bool operator==(const TipPoint&) const = default;
};

struct TipStyle {
    std::string name;
    int fontSize = 16;
    int weight = 400;
    int italic = 0;
    int underline = 0;
    int strikeOut = 0;
    int overline = 0;
    std::string family = "Verdana";
    TipColor textColor = 0x000000;
    TipColor backColor = 0xFFFFFF;
    TipColor borderLight = 0x000000;
    TipColor borderDark = 0x000000;
    TipColor backMiddle = 0xFFFFFF;
    TipColor backEnd = 0xFFFFFF;
    int backMode = 1; // 1 transparent, 2 opaque
    int fillEffect = -1;
    std::string backPicture;
    int hAlign = 0; // left, center, right, justify
    int vAlign = 3; // top, middle, bottom, baseline
    int borderStyle = 0;
    int borderWidth = 0;
    int boxWidth = 0;
    int boxHeight = 0;
    int textTransform = 0;
    int margin = 2;  // in tables: cell padding
    int padding = 0; // in tables: cell spacing
    int linkKind = 0;
    std::string linkTarget;
};

struct TipLineInfo {
    int width = 0;
    int height = 0;
    int descent = 0;
    int extraPercent = 0;
    int align = 0;
    int breaks = 0;
    int wrapped = 0;
};

struct TipCellInfo {
    int colSpan = 0;
    int rowSpan = 0;
    int contentWidth = 0;
    int contentHeight = 0;
    int cellWidth = 0;
    int cellHeight = 0;
    int fixedWidth = 0;
};

struct TipTableLayout {
    int columns = 0;
    int rows = 0;
    std::vector<TipCellInfo> grid; // rows x columns
    std::vector<int> columnWidths;
    std::vector<int> rowHeights;
    std::vector<int> columnFixed;
    TipCellInfo& Cell(int r, int c) { return grid[static_cast<std::size_t>(r) * columns + c]; }
};

struct TipLinkArea {
    TipRect rect;
    int kind = 0;
    int index = 0;
    std::string target;
};

struct TipAnimState {
    int frame = 0;
    int frameCount = 0;
    int tick = 0;
    int ticksPerFrame = 0;
};

struct TipImageAttrs {
    int index = 0;
    int idRes = 0;
    int idDll = 0;
    int handle = 0;
    int cx = 0;
    int cy = 0;
    int width = 100;
    int height = 100;
    int speed = 0;
    std::uint16_t style = 0;
    std::uint16_t hotStyle = 0;
    int maskGiven = 0;
    int widthPercent = 1;
    int heightPercent = 1;
    TipColor mask = 0xFF00FF;
    std::string file;
    std::string srcDll;
};
