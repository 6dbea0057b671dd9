// The frame in which commands and data travel between the program and the
// network acquisition cases: 0x55 0xAA, two 16-bit fields, a command byte,
// the payload length, the payload and an XOR check; plus the data-frame search.
#pragma once

#include <cstddef>
#include <cstdint>

// Bytes of frame overhead around the payload (header of 8, check of 1).
constexpr int kCaseFrameOverhead = 9;

// XOR of the first count bytes; count is an 8-bit quantity as on the wire.
std::uint8_t ComputeXorCheck(const std::uint8_t* bytes, std::uint8_t count);

// Writes a framed command into out (capacity bytes) and returns its length,
// payloadLength + 9; 0 when it does not fit.
int WriteFramedCommand(std::uint8_t* out, std::size_t capacity, std::uint8_t command, std::uint16_t fieldA,
                       std::uint16_t fieldB, std::uint8_t payloadLength, const std::uint8_t* payload);

// Writes a long framed command (16-bit payload length split over offsets 5
// and 7) and returns its length; 0 when it does not fit.
int WriteLongFramedCommand(std::uint8_t* out, std::size_t capacity, std::uint16_t payloadLength,
                           const std::uint8_t* payload);

// Length of the whole frames at the front of buffer (0x55 0xAA and the
// payload length at offsets 5 and 7, as both frame forms carry it); 0 when
// the bytes do not begin with a whole frame.
int LeadingFramesLength(const std::uint8_t* buffer, int size);

// Finds the next data frame (bytes 0x55 0xAA at p, 7 1 at p+8) from start on
// and the header of the frame after it. Returns 1 with start = p and end = q
// when both headers exist; 0 and start/end untouched otherwise.
int FindDataFrame(const std::uint8_t* buffer, int size, int& start, int& end);
