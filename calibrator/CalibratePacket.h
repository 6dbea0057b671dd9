// The calibrator's packets on the link to the main program: the requests it
// sends and the checks on the replies it receives. Counts off the wire are
// checked in 64 bits before anything is copied.
#pragma once

#include "calibrator/CalibrateTypes.h"

#include <cstddef>
#include <cstdint>
#include <vector>

enum CalibrateCode : std::int32_t {
    CALIBRATE_CONTROLLERS = 0, // reply: the controller list
    CALIBRATE_START_SAMPLING = 1,
    CALIBRATE_STOP_SAMPLING = 2,
    CALIBRATE_READ_SAMPLE = 3,
    CALIBRATE_GREETING = 4,
    CALIBRATE_SET_CHANNELS = 5,
    CALIBRATE_START_BALANCE = 6,
    CALIBRATE_BALANCE_CHANNEL = 7,
    CALIBRATE_END_BALANCE = 8,
    CALIBRATE_FETCH_COEF = 9,
    CALIBRATE_WRITE_COEF = 10,
};
constexpr int kCalibrateMaxCode = 10;

// Packet sizes the receivers rely on.
constexpr std::size_t kCalibrateHeaderSize = 20;
constexpr std::size_t kCalibrateSampleReplySize = 88;
constexpr std::size_t kCalibrateBlockPacketSize = 56;
constexpr std::size_t kCalibrateChannelPacketSize = 24;
constexpr std::size_t kCalibrateWritePacketSize = 184;

// A request without payload (codes 1, 2, 3, 4, 6, 8).
std::vector<std::uint8_t> BuildCalibrateRequest(int code);
// Codes 5 and 9: the channel block.
std::vector<std::uint8_t> BuildBlockRequest(int code, const CalibrateChannelParam& block);
// Code 7: one global channel number.
std::vector<std::uint8_t> BuildBalanceChannelRequest(std::int32_t globalChannel);
// Code 10: the block, 16 global channel numbers (-1: not written) and 16
// coefficients.
std::vector<std::uint8_t> BuildWriteCoefRequest(const CalibrateChannelParam& block,
                                                const std::array<std::int32_t, kCalibrateChannels>& channels,
                                                const std::array<float, kCalibrateChannels>& coefs);

// What one received packet says.
struct CalibrateReply {
    int code = -1;
    std::vector<CalibrateControllerRecord> controllers; // reply 0
    CaseSampleBlock sample;                             // reply 3
    std::vector<CalibrateCoefRecord> coefs;             // reply 9
};

// False for a packet that is to be ignored: shorter than its header, a code
// outside 0-10, a sample reply under 88 bytes, or a count whose records do
// not fit the packet (count × 56 + 24 resp. count × 64 + 24 must be positive
// and at most the length).
bool ParseCalibrateReply(const std::uint8_t* data, std::size_t length, CalibrateReply& reply);
