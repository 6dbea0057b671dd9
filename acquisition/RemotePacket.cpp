// Command matching and packet building of the remote-control server.
#include "acquisition/RemotePacket.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <string_view>

namespace {

struct CommandText {
    std::string_view text;
    int code;
};

constexpr CommandText kCommands[] = {
    {"QVDAS_FINDCASE", kRemoteFindCase},       {"QVDAS_BALANCE", kRemoteBalance},
    {"QVDAS_STARTSAMPLE", kRemoteStartSample}, {"QVDAS_STOPSAMPLE", kRemoteStopSample},
    {"QVDAS_CURRENT", kRemoteCurrent},
};

// Packets are built by copying whole records and value arrays: the wire is
// little-endian, as this machine is.
static_assert(std::endian::native == std::endian::little, "packets are copied as stored in memory");

// The C conversion of an out-of-range float is undefined; the wire gets the
// nearest 16-bit value instead, and 0 for a value that is not a number.
std::int16_t ToWireShort(float value) {
    if (std::isnan(value))
        return 0;
    if (value >= 32767.0f)
        return 32767;
    if (value <= -32768.0f)
        return -32768;
    return static_cast<std::int16_t>(value);
}

// The header followed by room for length payload bytes.
RemotePacket BuildPacket(std::uint32_t type, std::uint16_t data, std::uint16_t reply, std::size_t length) {
    const RemotePacketHeader header{
        kRemotePacketMagic, type, 1, data, reply, static_cast<std::uint32_t>(length)};
    RemotePacket out(sizeof header + length);
    std::memcpy(out.data(), &header, sizeof header);
    return out;
}

} // namespace

int MatchRemoteCommand(const std::uint8_t* bytes, std::size_t length) {
    if (!bytes)
        return 0;
    // Never past the received bytes: a full buffer has no terminator.
    const void* zero = std::memchr(bytes, 0, length);
    const std::size_t textLength =
        zero ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(zero) - bytes) : length;
    const std::string_view text(reinterpret_cast<const char*>(bytes), textLength);
    for (const CommandText& command : kCommands) {
        if (text == command.text)
            return command.code;
    }
    return 0;
}

RemotePacket BuildGreetingPacket() {
    return BuildPacket(kRemotePacketGreeting, 0, 0, 0);
}

RemotePacket BuildReplyPacket(std::uint32_t type, const void* payload, std::size_t length) {
    if (!payload)
        length = 0;
    RemotePacket out = BuildPacket(type, 0, 1, length);
    if (length > 0)
        std::memcpy(out.data() + sizeof(RemotePacketHeader), payload, length);
    return out;
}

RemotePacket BuildDataPacket(const ForwardBlockHead& head, const float* values, std::size_t count,
                             bool floatData) {
    RemotePacket out;
    AppendDataPacket(out, head, values, count, floatData);
    return out;
}

void AppendDataPacket(RemotePacket& out, const ForwardBlockHead& head, const float* values, std::size_t count,
                      bool floatData) {
    const std::size_t valueSize = floatData ? 4 : 2;
    const std::size_t length = sizeof(ForwardBlockHead) + count * valueSize;
    const RemotePacketHeader header{
        kRemotePacketMagic, kRemotePacketData, 1, 1, 1, static_cast<std::uint32_t>(length)};
    const std::size_t start = out.size();
    out.resize(start + sizeof header + length);
    std::uint8_t* p = out.data() + start;
    std::memcpy(p, &header, sizeof header);
    p += sizeof header;
    std::memcpy(p, &head, sizeof head);
    p += sizeof head;
    if (count == 0)
        return;
    if (floatData) {
        std::memcpy(p, values, count * sizeof(float));
    } else {
        for (std::size_t i = 0; i < count; ++i, p += 2) {
            const std::int16_t wire = ToWireShort(values[i]);
            std::memcpy(p, &wire, sizeof wire);
        }
    }
}
