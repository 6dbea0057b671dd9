// Store steps of the graph property pages.
#include "views/curve/GraphSheetRules.h"

#include <cmath>
#include <cstdlib>

std::array<LineTypeEntry, kLineTypeEntries> LoadLineTypes(const CGraphDisplayOptions& o) {
    std::array<LineTypeEntry, kLineTypeEntries> e;
    for (int i = 0; i < 4; ++i)
        e[std::size_t(i)] = {o.m_PenStyle_Line[i], o.m_PenWidth_Line[i]};
    e[4] = {o.m_PenStyle_Grid, o.m_PenWidth_Grid};
    e[5] = {o.m_PenStyle_OutGrid, o.m_PenWidth_OutGrid};
    e[6] = {o.m_PenStyle_Cursor[0], o.m_PenWidth_Cursor[0]};
    e[7] = {o.m_PenStyle_Cursor[1], o.m_PenWidth_Cursor[1]};
    return e;
}

void StoreLineTypes(const std::array<LineTypeEntry, kLineTypeEntries>& e, CGraphDisplayOptions& o) {
    for (int i = 0; i < 4; ++i) {
        o.m_PenStyle_Line[i] = e[std::size_t(i)].style;
        o.m_PenWidth_Line[i] = e[std::size_t(i)].width;
    }
    o.m_PenStyle_Grid = e[4].style;
    o.m_PenWidth_Grid = e[4].width;
    o.m_PenStyle_OutGrid = e[5].style;
    o.m_PenWidth_OutGrid = e[5].width;
    o.m_PenStyle_Cursor[0] = e[6].style;
    o.m_PenWidth_Cursor[0] = e[6].width;
    o.m_PenStyle_Cursor[1] = e[7].style;
    o.m_PenWidth_Cursor[1] = e[7].width;
}

CoordValues LoadCoord(const CGraphDisplayOptions& o) {
    return {o.m_fYmax,       o.m_fYmin,       o.m_fXmax,      o.m_fXmin,  o.m_nXGridCount, o.m_nYGridCount,
            o.m_nXPrecision, o.m_nYPrecision, o.m_nScareType, o.m_nYType, o.m_nXShowType,  o.m_nLineType};
}

bool StoreCoord(const CoordValues& v, CGraphDisplayOptions& o) {
    if (v.nXGridCount < 1 || v.nXGridCount > 128 || v.nYGridCount < 1 || v.nYGridCount > 128)
        return false;
    o.m_fYmax = v.fYmax;
    o.m_fYmin = v.fYmin;
    o.m_fXmax = v.fXmax;
    o.m_fXmin = v.fXmin;
    o.m_nXGridCount = v.nXGridCount;
    o.m_nYGridCount = v.nYGridCount;
    o.m_nXPrecision = v.nXPrecision < 0 || v.nXPrecision > 7 ? 0 : v.nXPrecision;
    o.m_nYPrecision = v.nYPrecision < 0 || v.nYPrecision > 7 ? 0 : v.nYPrecision;
    o.m_nScareType = v.nScareType < 0 || v.nScareType > 2 ? 0 : v.nScareType;
    o.m_nYType = v.nYType;
    o.m_nXShowType = v.nXShowType;
    o.m_nLineType = v.nLineType;
    return true;
}

bool StoreRealViewOption(const RealViewOption& page, RealViewOption& target) {
    if (page.nAutoGroups < 1 || page.nAutoGroups > 4)
        return false;
    target = page;
    target.nPeakListCount = ClampPeakListCount(page.nPeakListCount);
    return true;
}

std::array<LOGFONT*, kFontSlots> FontSlots(CGraphDisplayOptions& o) {
    return {&o.m_lftXScale, &o.m_lftYScale, &o.m_lftUnitX, &o.m_lftUnitY,    &o.m_lftCursor,
            &o.m_lftStat,   &o.m_lftMark,   &o.m_lftNote,  &o.m_lftChannelID};
}

int MulDivRound(int a, int b, int c) {
    if (c == 0)
        return -1;
    return static_cast<int>(std::llround(double(a) * double(b) / double(c)));
}

std::string FontStyleText(const LOGFONT& font) {
    const bool bold = font.lfWeight >= 700;
    const bool italic = font.lfItalic != 0;
    if (bold && italic)
        return "Bold Italic";
    if (bold)
        return "Bold";
    if (italic)
        return "Italic";
    return "Regular";
}

int FontSizeShown(const LOGFONT& font, int pixelsPerInch) {
    return MulDivRound(font.lfHeight, 72, pixelsPerInch);
}

LOGFONT RebuildFont(LOGFONT base, const std::string& face, const std::string& style, const std::string& size,
                    bool strikeOut, bool underline, int pixelsPerInch) {
    base.lfStrikeOut = strikeOut ? 1 : 0;
    base.lfUnderline = underline ? 1 : 0;
    base.SetFaceName(face);
    base.lfHeight = MulDivRound(std::atoi(size.c_str()), pixelsPerInch, 72);
    base.lfWeight = style.find("Bold") != std::string::npos ? 700 : 400;
    base.lfItalic = style.find("Italic") != std::string::npos ? 1 : 0;
    return base;
}
