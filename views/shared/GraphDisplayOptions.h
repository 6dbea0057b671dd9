// Colours, fonts, pens, axis ranges and precisions shared by the curve,
// history and information views, stored in INI sections under keys named
// after the members.
#pragma once

#include "model/LogFont.h"

#include <cstdint>
#include <string>

using COLORREF = std::uint32_t; // 0x00BBGGRR

class CGraphDisplayOptions {
public:
    static constexpr int kCurveCount = 8;
    static constexpr int kFontCount = 13;
    // The fonts that the constructor presets and ScaleFonts scales.
    static constexpr int kScaledFontCount = 11;

    CGraphDisplayOptions();
    virtual ~CGraphDisplayOptions() = default;
    CGraphDisplayOptions(const CGraphDisplayOptions&) = default;
    CGraphDisplayOptions& operator=(const CGraphDisplayOptions&) = default;

    // Writes every member to section prefix + index ("%s%d").
    void Save(const std::string& strFile, const std::string& strPrefix, int nIndex) const;
    // Reads the colours, then the fonts; a missing or damaged font stops the
    // read with 0 and leaves the pens, ranges and modes as they were.
    int Load(const std::string& strFile, const std::string& strPrefix, int nIndex);
    // Divides (mode 0) or multiplies the first eleven fonts' widths by the x
    // factor and heights by the y factor, both rounded to whole numbers >= 1.
    void ScaleFonts(int nMode, double dXFactor, double dYFactor);

    bool operator==(const CGraphDisplayOptions&) const = default;

    COLORREF m_clrViewBack;
    COLORREF m_clrDataLineBack;
    COLORREF m_clrCursorBack;
    COLORREF m_clrInfoBack;
    COLORREF m_Cursor[2];
    COLORREF m_Line[kCurveCount];
    COLORREF m_Grid;
    COLORREF m_LineFrame;
    COLORREF m_clrXScale;
    COLORREF m_clrYScale;
    COLORREF m_clrChannelID;
    COLORREF m_clrCursorData;
    COLORREF m_clrTotalMsg;

    LOGFONT m_lftXScale;
    LOGFONT m_lftYScale;
    LOGFONT m_lftUnitX;
    LOGFONT m_lftUnitY;
    LOGFONT m_lftCursor;
    LOGFONT m_lftStat;
    LOGFONT m_lftMark;
    LOGFONT m_lftNote;
    LOGFONT m_lftChannelID;
    LOGFONT m_lftTextFont;
    LOGFONT m_lftListText;
    LOGFONT m_lftYUnit;
    LOGFONT m_lftXUnit;

    std::int32_t m_PenStyle_Cursor[2];
    std::int32_t m_PenStyle_Line[kCurveCount];
    std::int32_t m_PenStyle_Grid;
    std::int32_t m_PenStyle_OutGrid;
    std::int32_t m_PenWidth_Cursor[2];
    std::int32_t m_PenWidth_Line[kCurveCount];
    std::int32_t m_PenWidth_Grid;
    std::int32_t m_PenWidth_OutGrid;

    std::int32_t m_nScareType;
    float m_fXmax;
    float m_fXmin;
    float m_fYmax;
    float m_fYmin;
    std::int32_t m_nXPrecision;
    std::int32_t m_nYPrecision;
    std::int32_t m_nXGridCount;
    std::int32_t m_nYGridCount;
    std::int32_t m_nYType;
    std::int32_t m_nXShowType;
    std::int32_t m_nLineType;

    // The font every view starts from: 14 high, normal weight, GB2312, "宋体".
    static LOGFONT DefaultFont();

private:
    // Visit the members of one kind, for a const or a non-const record.
    template <class Self, class F> static void ForEachColour(Self& self, F f);
    template <class Self, class F> static void ForEachFont(Self& self, F f);
    template <class Self, class F> static void ForEachPen(Self& self, F f);
    template <class Self, class F> static void ForEachRange(Self& self, F f);
    template <class Self, class F> static void ForEachMode(Self& self, F f);
};
