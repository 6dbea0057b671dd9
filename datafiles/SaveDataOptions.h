// The save-as options record that every data view keeps, the save-options
// dialog edits and the exports of stored data read. A run of 32-bit words,
// kept as the views store it.
#pragma once

#include <cstdint>

#pragma pack(push, 1)
struct SaveDataOptions {
    std::int32_t nDataRange = 0;  // 0 all data, 1 displayed data, 2 between the cursors
    std::int32_t nFileLayout = 1; // 0 one file per channel, 1 all channels in one file
    std::int32_t bRelativeTime = 0;
    std::int32_t bAbsoluteTime = 0;
    std::int32_t bChannelMark = 0;
    std::int32_t bSampleStatus = 0;
    std::int32_t bDescription = 0;
    std::int32_t bMakeFolder = 0;
    std::int32_t bDecimate = 0;
    std::int32_t bAverage = 0;
    std::int32_t nStep = 1;
    // Channel numbers in export order (virtual channel n as 4095 + n); for
    // the group exports the 0-based group indexes.
    std::int32_t nChannels[4096] = {};
    std::int32_t nChannelCount = 0;
    std::int32_t nDigitalChannels[8] = {}; // identifiers of the digital channel table
    std::int32_t nDigitalCount = 0;
    std::int32_t bStandardExcel = 0;

    // Decimation counts only with the flag set and a step above 1.
    bool IsDecimating() const { return bDecimate != 0 && nStep > 1; }
    // The channel count limited to the list's room.
    int ChannelCount() const { return nChannelCount < 0 ? 0 : nChannelCount > 4096 ? 4096 : nChannelCount; }
    int DigitalCount() const { return nDigitalCount < 0 ? 0 : nDigitalCount > 8 ? 8 : nDigitalCount; }
};
#pragma pack(pop)
static_assert(sizeof(SaveDataOptions) == 4118 * 4);
