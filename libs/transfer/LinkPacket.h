// Packets of the link between the main program and the calibrator: a 20-byte
// header (magic, command code, length of the payload) followed by the
// payload. TCP delivers bytes, not packets, so the receiver rebuilds each
// packet from the header's length, whatever chunks the bytes came in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#define VETCHEL_API __attribute__((visibility("default")))

constexpr std::uint32_t kLinkPacketMagic = 0x00004550;
constexpr std::size_t kLinkPacketHeaderSize = 20;
// Largest packet, header included; anything longer is a broken stream.
constexpr std::size_t kLinkPacketMaxSize = 8192;

#pragma pack(push, 1)
struct LinkPacketHeader {
    std::uint32_t magic; // kLinkPacketMagic
    std::int32_t code;   // command code
    std::uint32_t reserved;
    std::uint16_t one1;  // 1
    std::uint16_t one2;  // 1
    std::int32_t length; // payload bytes
};
#pragma pack(pop)
static_assert(sizeof(LinkPacketHeader) == kLinkPacketHeaderSize, "link packet header is 20 bytes");

// A packet with the header filled in; an empty result when the payload does
// not fit a packet.
VETCHEL_API std::vector<std::uint8_t> BuildLinkPacket(std::int32_t code, const void* payload,
                                                      std::size_t length);

// Rebuilds packets from the chunks of one connection.
class VETCHEL_API CLinkPacketAssembler {
public:
    using PacketHandler = std::function<void(const std::uint8_t* packet, std::size_t length)>;

    // Hands every packet the bytes complete to the handler, header included,
    // in order. False when the stream is broken (a wrong magic, a negative
    // length or a packet over kLinkPacketMaxSize): the connection must be
    // dropped, and the assembler takes no more bytes until Reset.
    bool Feed(const std::uint8_t* data, std::size_t length, const PacketHandler& handler);
    void Reset();
    // Bytes of an unfinished packet held back.
    std::size_t Pending() const { return m_buffer.size(); }

private:
    std::vector<std::uint8_t> m_buffer;
    bool m_broken = false;
};
