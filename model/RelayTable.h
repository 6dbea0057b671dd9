// The relay states the frame keeps for the network controllers: 32 records
// of 17 bytes, a controller address and whether its relay is on.
#pragma once

#include <array>
#include <cstdint>

#pragma pack(push, 1)
struct RelayRecord {
    char szAddress[16] = {}; // NUL-terminated
    std::uint8_t nState = 0; // 1 on, 0 off
};
#pragma pack(pop)
static_assert(sizeof(RelayRecord) == 17, "a relay record is 17 bytes");

constexpr int kRelayRecordCount = 32;
using RelayTable = std::array<RelayRecord, kRelayRecordCount>;
