#include "libs/transfer/LinkPacket.h"

#include <cstring>

std::vector<std::uint8_t> BuildLinkPacket(std::int32_t code, const void* payload, std::size_t length) {
    if (length > kLinkPacketMaxSize - kLinkPacketHeaderSize || (length > 0 && payload == nullptr))
        return {};
    LinkPacketHeader header{kLinkPacketMagic, code, 0, 1, 1, static_cast<std::int32_t>(length)};
    std::vector<std::uint8_t> packet(kLinkPacketHeaderSize + length);
    std::memcpy(packet.data(), &header, sizeof header);
    if (length > 0)
        std::memcpy(packet.data() + kLinkPacketHeaderSize, payload, length);
    return packet;
}

bool CLinkPacketAssembler::Feed(const std::uint8_t* data, std::size_t length, const PacketHandler& handler) {
    if (m_broken)
        return false;
    if (length > 0)
        m_buffer.insert(m_buffer.end(), data, data + length);
    std::size_t used = 0;
    while (m_buffer.size() - used >= kLinkPacketHeaderSize) {
        LinkPacketHeader header;
        std::memcpy(&header, m_buffer.data() + used, sizeof header);
        const std::int64_t total = static_cast<std::int64_t>(kLinkPacketHeaderSize) + header.length;
        if (header.magic != kLinkPacketMagic || header.length < 0 ||
            total > static_cast<std::int64_t>(kLinkPacketMaxSize)) {
            m_broken = true;
            m_buffer.clear();
            return false;
        }
        if (m_buffer.size() - used < static_cast<std::size_t>(total))
            break;
        handler(m_buffer.data() + used, static_cast<std::size_t>(total));
        used += static_cast<std::size_t>(total);
    }
    m_buffer.erase(m_buffer.begin(), m_buffer.begin() + static_cast<std::ptrdiff_t>(used));
    return true;
}

void CLinkPacketAssembler::Reset() {
    m_buffer.clear();
    m_broken = false;
}
