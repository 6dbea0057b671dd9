// Graph display options: defaults, INI storage and font scaling. One list
// of members per kind serves the defaults, Save and Load alike.
#include "views/shared/GraphDisplayOptions.h"

#include "platform/Profile.h"
#include "platform/Text.h"

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <type_traits>

using platform::Format;

namespace {

const COLORREF kLineColours[CGraphDisplayOptions::kCurveCount] = {255, 0x00FF00, 0xFF0000, 0xC86464,
                                                                  192, 0xC00000, 0xFF8000, 0x8000FF};

std::string Indexed(const char* pszName, int i) {
    return Format("%s[%d]", pszName, i);
}

// A range from a file as a float, saturating rather than converting out of range.
float TextToFloat(const std::string& strText) {
    double d = std::atof(strText.c_str());
    return static_cast<float>(std::isfinite(d) ? std::clamp(d, -(double)FLT_MAX, (double)FLT_MAX) : d);
}

int RoundedInt(double d) {
    if (std::isnan(d))
        return 0;
    return static_cast<int>(std::clamp(std::round(d), (double)INT_MIN, (double)INT_MAX));
}

} // namespace

LOGFONT CGraphDisplayOptions::DefaultFont() {
    LOGFONT font;
    font.lfHeight = 14;
    font.lfWeight = 400;
    font.lfCharSet = 134;
    font.lfClipPrecision = 16;
    font.lfQuality = 2;
    font.SetFaceName("宋体");
    return font;
}

// f(key, member, default)
template <class Self, class F> void CGraphDisplayOptions::ForEachColour(Self& self, F f) {
    f("m_clrViewBack", self.m_clrViewBack, 0xC0C0C0u);
    f("m_clrDataLineBack", self.m_clrDataLineBack, 0xFFFFFFu);
    f("m_clrCursorBack", self.m_clrCursorBack, 0xFFFF00u);
    f("m_clrInfoBack", self.m_clrInfoBack, 0xFFFF00u);
    f("m_Cursor[0]", self.m_Cursor[0], 200u);
    f("m_Cursor[1]", self.m_Cursor[1], 0xFF0000u);
    for (int i = 0; i < kCurveCount; ++i)
        f(Indexed("m_Line", i), self.m_Line[i], kLineColours[i]);
    f("m_Grid", self.m_Grid, 0xC0C0C0u);
    f("m_LineFrame", self.m_LineFrame, 0u);
    f("m_clrXScale", self.m_clrXScale, 0x800080u);
    f("m_clrYScale", self.m_clrYScale, 0x800080u);
    f("m_clrChannelID", self.m_clrChannelID, 0x800080u);
    f("m_clrCursorData", self.m_clrCursorData, 0xFF0000u);
    f("m_clrTotalMsg", self.m_clrTotalMsg, 0xFF0000u);
}

// f(key, member); the first kScaledFontCount are the preset, scaled ones.
template <class Self, class F> void CGraphDisplayOptions::ForEachFont(Self& self, F f) {
    f("m_lftXScale", self.m_lftXScale);
    f("m_lftYScale", self.m_lftYScale);
    f("m_lftUnitX", self.m_lftUnitX);
    f("m_lftUnitY", self.m_lftUnitY);
    f("m_lftCursor", self.m_lftCursor);
    f("m_lftStat", self.m_lftStat);
    f("m_lftMark", self.m_lftMark);
    f("m_lftNote", self.m_lftNote);
    f("m_lftChannelID", self.m_lftChannelID);
    f("m_lftTextFont", self.m_lftTextFont);
    f("m_lftListText", self.m_lftListText);
    f("m_lftYUnit", self.m_lftYUnit);
    f("m_lftXUnit", self.m_lftXUnit);
}

// f(key, member, default): styles default to 0 (solid), widths to 1.
template <class Self, class F> void CGraphDisplayOptions::ForEachPen(Self& self, F f) {
    for (int i = 0; i < 2; ++i)
        f(Indexed("m_PenStyle_Cursor", i), self.m_PenStyle_Cursor[i], 0);
    for (int i = 0; i < kCurveCount; ++i)
        f(Indexed("m_PenStyle_Line", i), self.m_PenStyle_Line[i], 0);
    f("m_PenStyle_Grid", self.m_PenStyle_Grid, 0);
    f("m_PenStyle_OutGrid", self.m_PenStyle_OutGrid, 0);
    for (int i = 0; i < 2; ++i)
        f(Indexed("m_PenWidth_Cursor", i), self.m_PenWidth_Cursor[i], 1);
    for (int i = 0; i < kCurveCount; ++i)
        f(Indexed("m_PenWidth_Line", i), self.m_PenWidth_Line[i], 1);
    f("m_PenWidth_Grid", self.m_PenWidth_Grid, 1);
    f("m_PenWidth_OutGrid", self.m_PenWidth_OutGrid, 1);
    f("m_nScareType", self.m_nScareType, 0);
}

// f(key, member, default text)
template <class Self, class F> void CGraphDisplayOptions::ForEachRange(Self& self, F f) {
    f("m_fXmax", self.m_fXmax, "1.f");
    f("m_fXmin", self.m_fXmin, "0.f");
    f("m_fYmax", self.m_fYmax, "1.f");
    f("m_fYmin", self.m_fYmin, "0.f");
}

// f(key, member, default)
template <class Self, class F> void CGraphDisplayOptions::ForEachMode(Self& self, F f) {
    f("m_nXPrecision", self.m_nXPrecision, 2);
    f("m_nYPrecision", self.m_nYPrecision, 2);
    f("m_nXGridCount", self.m_nXGridCount, 10);
    f("m_nYGridCount", self.m_nYGridCount, 10);
    f("m_nYType", self.m_nYType, 0);
    f("m_nXShowType", self.m_nXShowType, 0);
    f("m_nLineType", self.m_nLineType, 1);
}

CGraphDisplayOptions::CGraphDisplayOptions() {
    ForEachColour(*this, [](const std::string&, COLORREF& clr, COLORREF def) { clr = def; });
    // The two unit fonts the views never preset take the default font too,
    // so that no member is left unset.
    ForEachFont(*this, [](const std::string&, LOGFONT& font) { font = DefaultFont(); });
    m_lftUnitY.lfEscapement = 900;
    m_lftListText.lfHeight = 16;
    m_lftListText.lfWidth = 8;
    ForEachPen(*this, [](const std::string&, std::int32_t& n, int def) { n = def; });
    ForEachRange(*this, [](const std::string&, float& f, const char* def) { f = TextToFloat(def); });
    ForEachMode(*this, [](const std::string&, std::int32_t& n, int def) { n = def; });
}

void CGraphDisplayOptions::Save(const std::string& strFile, const std::string& strPrefix, int nIndex) const {
    const std::string strSection = Format("%s%d", strPrefix.c_str(), nIndex);
    auto writeInt = [&](const std::string& key, auto& n, auto) {
        platform::WritePrivateProfileString(strSection, key, Format("%d", static_cast<int>(n)), strFile);
    };
    ForEachColour(*this, writeInt);
    ForEachFont(*this, [&](const std::string& key, const LOGFONT& font) {
        platform::WritePrivateProfileStruct(strSection, key, &font, sizeof(font), strFile);
    });
    ForEachPen(*this, writeInt);
    ForEachRange(*this, [&](const std::string& key, const float& f, const char*) {
        platform::WritePrivateProfileString(strSection, key, Format("%f", f), strFile);
    });
    ForEachMode(*this, writeInt);
}

// The ranges are read whole: a long "%f" text (a large range) cut to a
// fixed buffer would read back as another number.
int CGraphDisplayOptions::Load(const std::string& strFile, const std::string& strPrefix, int nIndex) {
    const std::string strSection = Format("%s%d", strPrefix.c_str(), nIndex);
    auto readInt = [&](const std::string& key, auto& n, auto def) {
        n = static_cast<std::remove_reference_t<decltype(n)>>(
            platform::GetPrivateProfileInt(strSection, key, static_cast<int>(def), strFile));
    };
    ForEachColour(*this, readInt);
    bool bFontsComplete = true;
    ForEachFont(*this, [&](const std::string& key, LOGFONT& font) {
        LOGFONT read;
        if (bFontsComplete &&
            platform::GetPrivateProfileStruct(strSection, key, &read, sizeof(read), strFile))
            font = read;
        else
            bFontsComplete = false;
    });
    if (!bFontsComplete)
        return 0;
    ForEachPen(*this, readInt);
    ForEachRange(*this, [&](const std::string& key, float& f, const char* def) {
        f = TextToFloat(platform::GetPrivateProfileString(strSection, key, def, strFile));
    });
    ForEachMode(*this, readInt);
    return 1;
}

void CGraphDisplayOptions::ScaleFonts(int nMode, double dXFactor, double dYFactor) {
    int nX = RoundedInt(dXFactor), nY = RoundedInt(dYFactor);
    if (nX <= 0)
        nX = 1;
    if (nY <= 0)
        nY = 1;
    int nFont = 0;
    ForEachFont(*this, [&](const std::string&, LOGFONT& font) {
        if (nFont++ >= kScaledFontCount)
            return;
        if (nMode == 0) {
            font.lfWidth = RoundedInt(static_cast<double>(font.lfWidth) / nX);
            font.lfHeight = RoundedInt(static_cast<double>(font.lfHeight) / nY);
        } else {
            font.lfWidth = RoundedInt(static_cast<double>(font.lfWidth) * nX);
            font.lfHeight = RoundedInt(static_cast<double>(font.lfHeight) * nY);
        }
    });
}
