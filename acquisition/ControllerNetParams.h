// The network parameters of a controller as its case link carries them: the
// 90-byte block the controller reports, its fields as the dialog shows them,
// and the two blocks that write them back.
#pragma once

#include <cstdint>
#include <string>

struct ControllerNetFields {
    std::string strGateway;     // dotted decimal
    std::string strSubnetMask;  // dotted decimal
    std::string strMac;         // 12 upper-case hex digits
    std::string strAddress;     // dotted decimal
    std::string strPort;        // decimal
    std::string strDestAddress; // dotted decimal
    std::string strDestPort;    // decimal
    int nWorkMode = 0;          // 0 TCP_SERVER, 1 TCP_CLIENT, 2 UDP_MODE
};

constexpr int kControllerBlockSize = 90;
constexpr int kControllerSetBlock1Size = 21;
constexpr int kControllerSetBlock2Size = 13;

// The shown fields of a reported block.
ControllerNetFields ReadControllerBlock(const std::uint8_t block[kControllerBlockSize]);
// Gateway, mask, MAC and address (bytes 0-2 zero).
void BuildControllerSetBlock1(const ControllerNetFields& fields, std::uint8_t out[kControllerSetBlock1Size]);
// Port, destination address, destination port and work mode (bytes 0-3 zero).
void BuildControllerSetBlock2(const ControllerNetFields& fields, std::uint8_t out[kControllerSetBlock2Size]);
// The four numbers of a dotted text, each kept to a byte; missing parts are 0.
void ParseDottedOctets(const std::string& text, std::uint8_t out[4]);
