// Fuzz target: whatever a remote client sends in one receive is matched
// against the command table, and the packets the server builds from any
// payload or values keep their declared lengths.
#include "acquisition/RemotePacket.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const int code = MatchRemoteCommand(data, size);
    if (code != 0 && code != kRemoteFindCase && code != kRemoteBalance && code != kRemoteStartSample &&
        code != kRemoteStopSample && code != kRemoteCurrent)
        std::abort();
    const RemotePacket reply = BuildReplyPacket(static_cast<std::uint32_t>(code), data, size);
    if (reply.size() != sizeof(RemotePacketHeader) + size)
        std::abort();
    std::vector<float> values(size / sizeof(float));
    if (!values.empty())
        std::memcpy(values.data(), data, values.size() * sizeof(float));
    const ForwardBlockHead head{static_cast<std::int32_t>(size), 16,
                                static_cast<std::int32_t>(values.size())};
    for (const bool floatData : {true, false}) {
        const RemotePacket packet = BuildDataPacket(head, values.data(), values.size(), floatData);
        if (packet.size() < sizeof(RemotePacketHeader))
            std::abort();
    }
    return 0;
}
