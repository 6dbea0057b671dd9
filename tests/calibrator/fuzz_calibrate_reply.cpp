// Fuzz target: any bytes as a reply packet of the main program; the checks
// must keep every copy inside the packet.
#include "calibrator/CalibratePacket.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CalibrateReply reply;
    ParseCalibrateReply(data, size, reply);
    return 0;
}
