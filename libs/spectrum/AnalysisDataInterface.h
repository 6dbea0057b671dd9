// The analysis record of a spectrum window: its drawing options, colours
// and fonts, view and cursor state (four fixed-size groups stored in the
// layout file), its owner and the current block of its stored spectra.
#pragma once

#include "libs/spectrum/SpectrumMath.h"

#include <cstdint>
#include <string>

class Lurrow;

#pragma pack(push, 1)
struct DRAW_COMMON {
    std::int32_t nDrawFlag = 1;
    std::int32_t nXGrid = 10;
    std::int32_t nYGrid = 10;
    std::int32_t bXLog = 0;
    std::int32_t nYKind = 0; // 0 linear amplitude, 1 logarithmic, 3 real, 4 and 6 imaginary, 5 phase
    std::int32_t nXPrecision = 2;
    std::int32_t nYPrecision = 2;
    std::int32_t bXAbsTime = 0;
    std::int32_t nXAxisKind = 0;
    std::int32_t bAutoScale = 1;
    char szText[16] = {};
};

struct SPECTRUM_LOGFONT {
    std::int32_t lfHeight = 13;
    std::int32_t lfWidth = 7;
    std::int32_t lfEscapement = 0;
    std::int32_t lfOrientation = 0;
    std::int32_t lfWeight = 400;
    std::uint8_t lfItalic = 0;
    std::uint8_t lfUnderline = 0;
    std::uint8_t lfStrikeOut = 0;
    std::uint8_t lfCharSet = 0;
    std::uint8_t lfOutPrecision = 0;
    std::uint8_t lfClipPrecision = 0;
    std::uint8_t lfQuality = 2;
    std::uint8_t lfPitchAndFamily = 0;
    char lfFaceName[32] = "Arial";
};

// Colours are 0x00BBGGRR: the third fills the plot, the fourth the margins,
// the fifth and sixth draw the first and second cursor.
struct GRAPHIC_ATTRI {
    std::uint32_t clrColors[15] = {0xC0C0C0, 0x800080, 0xFFFFFF, 0xC0C0C0, 0x0000C8,
                                   0xFF0000, 0xFFFF00, 0x0000FF, 0x00FF00, 0xFF0000,
                                   0xC86464, 0x0000C0, 0xC00000, 0xFF8000, 0x8000FF};
    // The fourth font is vertical: the Y axis title.
    SPECTRUM_LOGFONT fonts[4] = {{}, {}, {}, {13, 7, 900, 0, 400}};
};

struct VIEW_INFO {
    std::int32_t nXStart = 0;
    std::int32_t nVisibleCount = 1024;
    std::int32_t nTotalCount = 1024;
    std::int32_t nPageCount = 1;
    std::int32_t nBlockSize = 1024;
    std::int32_t nAxisCount = 401;
    std::int32_t nPageIndex = 1;
    float fYMax = 0.0f;
    float fYMin = 0.0f;
    float fXMin = 0.0f;
    float fXMax = 0.0f;
    float fDefaultYMax = 5000.0f;
    float fDefaultYMin = -5000.0f;
    float fWork[5] = {};
    float fYZoom = 1.0f;
    std::int32_t nCursorMode = 0; // 0 none, 1 single, 2 double, 3 peak
    std::int32_t nActiveLine = 0;
    std::int32_t nLineCount = 1;
};

struct CURSOR_INFO {
    std::int32_t nCursor1 = 0;
    std::int32_t nCursor2 = 0;
    std::int32_t nPeak = 0;
    std::int32_t nActiveCursor = 0;
    std::int32_t nCursor1X = 0;
    std::int32_t nCursor2X = 0;
    std::int32_t nPeakX = 0;
    std::int32_t rcBox[4] = {}; // readout box: left, top, right, bottom
    std::int32_t nReserved[5] = {};
};
#pragma pack(pop)

static_assert(sizeof(DRAW_COMMON) == 56, "DRAW_COMMON is 56 bytes");
static_assert(sizeof(SPECTRUM_LOGFONT) == 60, "a font record is 60 bytes");
static_assert(sizeof(GRAPHIC_ATTRI) == 300, "GRAPHIC_ATTRI is 300 bytes");
static_assert(sizeof(VIEW_INFO) == 88, "VIEW_INFO is 88 bytes");
static_assert(sizeof(CURSOR_INFO) == 64, "CURSOR_INFO is 64 bytes");

class LURROW_API CAnalysisDataInterface {
public:
    CAnalysisDataInterface() = default;
    virtual ~CAnalysisDataInterface() = default;

    DRAW_COMMON m_DrawCommon;
    GRAPHIC_ATTRI m_GraphicAttri;
    VIEW_INFO m_ViewInfo;
    CURSOR_INFO m_CursorInfo;
    Lurrow* m_pOwner = nullptr;
    std::string m_strExtension = ".fft";
    int m_nBlockIndex = 0;

    // The owner's ".fft" file of a channel; empty without an owner.
    std::string GetFileName(int channel) const;
    // Blocks stored for a channel at the owner's line count.
    int GetBlockCount(int channel) const;
    // Reads block `block` of a channel into the owner's spectra; false when
    // the file is missing or holds no such block.
    bool ReadBlock(int channel, int block);

    // The four groups under a layout section; a group missing or damaged in
    // the file leaves the record's group as it was.
    void SaveGroups(const std::string& section, const std::string& file) const;
    void ReadGroups(const std::string& section, const std::string& file);
};
