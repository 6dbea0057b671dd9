// Records of the stored runs (".stu" status records beside the ".dat" blocks),
// the stored-value markers and the names of the per-unit files.
#pragma once

#include "model/CaseSampleBlock.h"

#include <cstdint>
#include <string>

struct OnlineLayout;

#pragma pack(push, 1)
// One sample's time and batch label.
struct SampleStatusRecord {
    double dtTime;        // 8-byte date: days since 1899-12-30
    std::int32_t nStatus; // status word of that date (0 valid)
    char szLabel[20];     // at most 19 bytes, zero-terminated
};
static_assert(sizeof(SampleStatusRecord) == 32);
#pragma pack(pop)

constexpr int kCaseChannels = 16;
constexpr int kMaxCaseBlocks = 512;
constexpr int kMaxUnits = 256;
constexpr int kAnalogChannels = 4096;

// Stored-value markers (float readings that stand for a state); the
// no-value marker kNoValue comes with the sample block.
constexpr float kNotBalanced = 8388609.0f; // 0x4B000001
constexpr float kThirdMarker = 8388610.0f; // 0x4B000002
constexpr float kOverflowLimit = 8388608.0f;
// Result records: the entry could not be computed.
constexpr float kNoResult = 8388609.0f;

// A block that holds nothing: unit -1, sixteen 0.0.
CaseSampleBlock MakeEmptyBlock();
// A block of the given unit whose readings are all the no-value marker.
CaseSampleBlock MakeNoValueBlock(int unit);

// Whether a reading is one of the markers. They lie beyond the overflow
// limit, so a reading within it is settled by one range test; the readers
// ask this of every stored value.
static_assert(kNotBalanced > kOverflowLimit && kThirdMarker > kOverflowLimit && kNoValue < -kOverflowLimit);
inline int IsSpecialValue(float value) {
    if (value >= -kOverflowLimit && value <= kOverflowLimit)
        return 0;
    return value == kNotBalanced || value == kThirdMarker || value == kNoValue;
}
// Sets text for a marker (and for an overflow unless noOverflowText);
// returns 1 when it set a text, 0 when the caller formats the number.
int FormatSpecialValue(int noOverflowText, float value, std::string& text);

// Per-unit names: folder + "/" + base + "_" + unit + ".dat" (or ".stu").
std::string MakeCaseDataFileName(const std::string& path, int unit, int status);
std::string MakeCaseStatusFileName(const OnlineLayout& layout, const std::string& path, int unit);
// The status file the readers use: the path itself in the single-file
// arrangement, else the longest status file among the online units.
std::string SelectCaseStatusFile(const OnlineLayout& layout, const std::string& path);

// The label of a status record as text, never reading past its 20 bytes.
std::string StatusLabel(const SampleStatusRecord& record);
