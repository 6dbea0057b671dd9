// A logical font description, byte for byte the 60-byte record that the
// settings and layout files store (face name in GBK, zero-terminated).
#pragma once

#include <cstdint>
#include <string>

#pragma pack(push, 1)
struct LOGFONT {
    std::int32_t lfHeight = 0;
    std::int32_t lfWidth = 0;
    std::int32_t lfEscapement = 0;
    std::int32_t lfOrientation = 0;
    std::int32_t lfWeight = 0;
    std::uint8_t lfItalic = 0;
    std::uint8_t lfUnderline = 0;
    std::uint8_t lfStrikeOut = 0;
    std::uint8_t lfCharSet = 0;
    std::uint8_t lfOutPrecision = 0;
    std::uint8_t lfClipPrecision = 0;
    std::uint8_t lfQuality = 0;
    std::uint8_t lfPitchAndFamily = 0;
    char lfFaceName[32] = {};

    // The face name is UTF-8 outside the record; a name too long for the
    // record is cut at a whole character.
    void SetFaceName(const std::string& strUtf8);
    std::string GetFaceName() const;

    bool operator==(const LOGFONT&) const = default;
};
#pragma pack(pop)
static_assert(sizeof(LOGFONT) == 60, "font record is 60 bytes");
