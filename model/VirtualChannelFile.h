// The virtual-channel definition file (".PamNew", and ".Pam" in import and
// export): a 152-byte header whose first word is the number of definitions,
// then that many 1,116-byte records. The records' fields belong to the
// formula engine; this file keeps them as they are.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int MAX_VIRTUAL_CHANNEL_COUNT = 128;

struct VirtualChannelRecord {
    std::uint8_t bytes[1116];
};
static_assert(sizeof(VirtualChannelRecord) == 1116);

struct VirtualChannelFileHeader {
    std::int32_t nCount;
    std::uint8_t reserved[148];
};
static_assert(sizeof(VirtualChannelFileHeader) == 152);

// Creates (or empties) the file and writes header and records; 1 on success.
int WriteVirtualChannelFile(const std::string& path, const std::vector<VirtualChannelRecord>& records);
// Reads the definitions. 0 (and no definitions) when the file cannot be
// opened; no definitions for a count of 0 or below. A count above 128 or
// beyond the records the file holds is cut to the whole records present and
// the result is 0; otherwise 1.
int ReadVirtualChannelFile(const std::string& path, std::vector<VirtualChannelRecord>& records);
// False for a file that is not a definition file: shorter than its
// header, a count outside 0..128, or a size other than the header and that
// many records. A missing file is sound (no definitions).
bool IsVirtualChannelFileSound(const std::string& path);
