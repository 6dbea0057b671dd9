// Command matching and packet building of the remote-control server, written
// byte by byte in little-endian order.
#include "acquisition/RemotePacket.h"

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

void PutLe(RemotePacket& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void PutFloat(RemotePacket& out, float value) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    PutLe(out, bits, 4);
}

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

RemotePacket BuildPacket(std::uint32_t type, std::uint16_t data, std::uint16_t reply, std::size_t length) {
    RemotePacket out;
    out.reserve(sizeof(RemotePacketHeader) + length);
    PutLe(out, kRemotePacketMagic, 4);
    PutLe(out, type, 4);
    PutLe(out, 1, 4);
    PutLe(out, data, 2);
    PutLe(out, reply, 2);
    PutLe(out, static_cast<std::uint32_t>(length), 4);
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
    const auto* bytes = static_cast<const std::uint8_t*>(payload);
    out.insert(out.end(), bytes, bytes + length);
    return out;
}

RemotePacket BuildDataPacket(const ForwardBlockHead& head, const float* values, std::size_t count,
                             bool floatData) {
    const std::size_t valueSize = floatData ? 4 : 2;
    RemotePacket out = BuildPacket(kRemotePacketData, 1, 1, sizeof(ForwardBlockHead) + count * valueSize);
    PutLe(out, static_cast<std::uint32_t>(head.nFirstChannel), 4);
    PutLe(out, static_cast<std::uint32_t>(head.nChannels), 4);
    PutLe(out, static_cast<std::uint32_t>(head.nSampleCount), 4);
    for (std::size_t i = 0; i < count; ++i) {
        if (floatData)
            PutFloat(out, values[i]);
        else
            PutLe(out, static_cast<std::uint16_t>(ToWireShort(values[i])), 2);
    }
    return out;
}
