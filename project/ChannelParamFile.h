// The channel-parameter file (".chn"): the three channel record tables stored
// byte for byte, with a 16-byte header between the parameter and state tables.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "model/ChannelRecords.h"

struct ChannelParamFileHeader {
    char magic[2]; // "QV"
    std::uint16_t nReserved;
    std::uint32_t nStateRecordSize; // 76
    std::uint8_t reserved[8];
};
static_assert(sizeof(ChannelParamFileHeader) == 16);

constexpr std::size_t CHN_HEADER_OFFSET = sizeof(ChannelParamRecord) * MAX_CHANNEL_COUNT;    // 491,520
constexpr std::size_t CHN_STATE_OFFSET = CHN_HEADER_OFFSET + sizeof(ChannelParamFileHeader); // 491,536
constexpr std::size_t CHN_ALARM_OFFSET = CHN_STATE_OFFSET + sizeof(ChannelStateRecord) * MAX_CHANNEL_COUNT;
constexpr std::size_t CHN_FILE_SIZE = CHN_ALARM_OFFSET + sizeof(AlarmRecord) * MAX_CHANNEL_COUNT;
static_assert(CHN_ALARM_OFFSET == 802832);
static_assert(CHN_FILE_SIZE == 884752);

// Writes the three tables to path through a temporary file renamed into
// place, so a failed save never leaves a half-written file. 1 on success, 0
// for an empty path or any file error.
int SaveChannelParamFile(const std::string& path);

// Reads the three tables from path. 0 when the file is missing or cannot be
// read; the tables are then as they were. A file whose header is not ours (wrong magic or state record size)
// is not trusted: every record takes its reset value and the result is 1. A
// short file fills the tables as far as it reaches; the state and alarm
// records beyond it keep their loader defaults.
int LoadChannelParamFile(const std::string& path);

// What a channel-parameter file on disk looks like before it is loaded.
enum class ChannelParamFileCheck {
    Missing,
    Unreadable, // there, but it cannot be opened for reading
    Damaged,    // too short to hold its header, or a header that is not ours
    Usable,
};
ChannelParamFileCheck CheckChannelParamFile(const std::string& path);
