// A digital-quantity channel: a value read from a digital instrument on a
// serial port; the frame keeps a table of 8 such records (340 bytes each).
// Texts are UTF-8, NUL-terminated.
#pragma once

#include <array>
#include <cstdint>

struct DigitalChannelRecord {
    std::int32_t nIndex = 0; // 0-based position
    char szName[64] = {};
    char szUnit[64] = {};
    char szDescription[64] = {};
    char szReserved1[64] = {};
    char szReserved2[64] = {};
    std::int32_t nReserved[4] = {};
};
static_assert(sizeof(DigitalChannelRecord) == 340, "a digital channel record is 340 bytes");

constexpr int kMaxDigitalChannels = 8;
using DigitalChannelTable = std::array<DigitalChannelRecord, kMaxDigitalChannels>;
