// What passes between the program and its remote-control clients: the text
// commands a client sends, and the 20-byte header that starts every packet
// the program sends back (greeting, replies, forwarded data).
#pragma once

#include "platform/Message.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// The message that carries a command code from the server to the main frame.
constexpr platform::UINT WM_REMOTE_COMMAND = platform::WM_USER + 1245;

constexpr std::uint32_t kRemotePacketMagic = 0x55AAAA55;

// Packet types; a reply carries the code of the command it answers.
constexpr std::uint32_t kRemotePacketData = 2;
constexpr std::uint32_t kRemotePacketGreeting = 6;

// Command codes (wParam of WM_REMOTE_COMMAND).
constexpr int kRemoteFindCase = 2;
constexpr int kRemoteBalance = 3;
constexpr int kRemoteStartSample = 4;
constexpr int kRemoteStopSample = 5;
constexpr int kRemoteCurrent = 10;

// Channels in one forwarded block, and the most values a block may carry
// to be sent at all.
constexpr int kForwardChansPerBlock = 16;
constexpr int kForwardMaxValues = 4096;

#pragma pack(push, 1)
struct RemotePacketHeader {
    std::uint32_t dwMagic;
    std::uint32_t dwType;
    std::uint32_t dwOne;
    std::uint16_t wData;  // 1 for data packets
    std::uint16_t wReply; // 1 for replies and data packets, 0 for the greeting
    std::uint32_t dwLength;
};
struct ForwardBlockHead {
    std::int32_t nFirstChannel;
    std::int32_t nChannels;
    std::int32_t nSampleCount;
};
#pragma pack(pop)
static_assert(sizeof(RemotePacketHeader) == 20, "remote packet header is 20 bytes");
static_assert(sizeof(ForwardBlockHead) == 12, "forwarded block head is 12 bytes");

using RemotePacket = std::vector<std::uint8_t>;

// The command code of what one receive brought, read as text up to the
// first zero byte or the end of the bytes; 0 for anything but an exact
// command.
int MatchRemoteCommand(const std::uint8_t* bytes, std::size_t length);

RemotePacket BuildGreetingPacket();
RemotePacket BuildReplyPacket(std::uint32_t type, const void* payload, std::size_t length);
// A type-2 packet of one block: its head, then values as float32, or as
// 16-bit integers (truncated toward zero, held to the 16-bit range) when
// floatData is 0.
RemotePacket BuildDataPacket(const ForwardBlockHead& head, const float* values, std::size_t count,
                             bool floatData);
// The same packet appended to out: packets that go out together are built
// into one buffer.
void AppendDataPacket(RemotePacket& out, const ForwardBlockHead& head, const float* values, std::size_t count,
                      bool floatData);
