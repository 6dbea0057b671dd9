#include "calibrator/CalibratePacket.h"

#include "libs/transfer/LinkPacket.h"

#include <cstring>

namespace {

constexpr std::int64_t kControllerRecordSize = sizeof(CalibrateControllerRecord);
constexpr std::int64_t kCoefRecordSize = sizeof(CalibrateCoefRecord);

std::int32_t IntAt(const std::uint8_t* data, std::size_t offset) {
    std::int32_t value;
    std::memcpy(&value, data + offset, sizeof value);
    return value;
}

// The count at the head of a reply when its records fit the packet.
bool CountFits(const std::uint8_t* data, std::size_t length, std::int64_t recordSize, std::int32_t& count) {
    if (length < kCalibrateHeaderSize + 4)
        return false;
    count = IntAt(data, kCalibrateHeaderSize);
    const std::int64_t needed = static_cast<std::int64_t>(count) * recordSize + 24;
    return count >= 0 && needed > 0 && needed <= static_cast<std::int64_t>(length);
}

} // namespace

std::vector<std::uint8_t> BuildCalibrateRequest(int code) {
    return BuildLinkPacket(code, nullptr, 0);
}

std::vector<std::uint8_t> BuildBlockRequest(int code, const CalibrateChannelParam& block) {
    return BuildLinkPacket(code, &block, sizeof block);
}

std::vector<std::uint8_t> BuildBalanceChannelRequest(std::int32_t globalChannel) {
    return BuildLinkPacket(CALIBRATE_BALANCE_CHANNEL, &globalChannel, sizeof globalChannel);
}

std::vector<std::uint8_t> BuildWriteCoefRequest(const CalibrateChannelParam& block,
                                                const std::array<std::int32_t, kCalibrateChannels>& channels,
                                                const std::array<float, kCalibrateChannels>& coefs) {
    std::uint8_t payload[sizeof block + sizeof channels + sizeof coefs];
    std::memcpy(payload, &block, sizeof block);
    std::memcpy(payload + sizeof block, channels.data(), sizeof channels);
    std::memcpy(payload + sizeof block + sizeof channels, coefs.data(), sizeof coefs);
    return BuildLinkPacket(CALIBRATE_WRITE_COEF, payload, sizeof payload);
}

bool ParseCalibrateReply(const std::uint8_t* data, std::size_t length, CalibrateReply& reply) {
    if (data == nullptr || length < kCalibrateHeaderSize)
        return false;
    const std::int32_t code = IntAt(data, offsetof(LinkPacketHeader, code));
    if (code < 0 || code > kCalibrateMaxCode)
        return false;
    reply = CalibrateReply{};
    reply.code = code;
    std::int32_t count = 0;
    switch (code) {
    case CALIBRATE_CONTROLLERS:
        if (!CountFits(data, length, kControllerRecordSize, count))
            return false;
        reply.controllers.resize(static_cast<std::size_t>(count));
        if (count > 0)
            std::memcpy(reply.controllers.data(), data + kCalibrateHeaderSize + 4,
                        static_cast<std::size_t>(count) * kControllerRecordSize);
        for (CalibrateControllerRecord& record : reply.controllers)
            record.szAddress[sizeof record.szAddress - 1] = '\0';
        return true;
    case CALIBRATE_READ_SAMPLE:
        if (length < kCalibrateSampleReplySize)
            return false;
        std::memcpy(&reply.sample, data + kCalibrateHeaderSize, sizeof reply.sample);
        return true;
    case CALIBRATE_FETCH_COEF:
        if (!CountFits(data, length, kCoefRecordSize, count))
            return false;
        reply.coefs.resize(static_cast<std::size_t>(count));
        if (count > 0)
            std::memcpy(reply.coefs.data(), data + kCalibrateHeaderSize + 4,
                        static_cast<std::size_t>(count) * kCoefRecordSize);
        return true;
    default:
        return true;
    }
}
