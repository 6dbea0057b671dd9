// Random bytes as channel-information packets: every packet operation must
// stay within the buffer it is given, whatever the items claim. The
// library's files live in memory only: every write of an input is deferred,
// and at its end goes nowhere (the folder does not exist), so no input sees
// another's files and none waits for a disk.
#include "libs/chaninfo/ChanInfoParse.h"
#include "platform/Profile.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

const int kModuleTypes[] = {-1, 9, 12, 13, 15, 19, 8, 14};

std::string InfoFile() {
    return "/nonexistent-qv-fuzz-folder/chaninfo.ini";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3)
        return 0;
    platform::ProfileWriteDeferral inMemory;
    CChanInfoParse parse;
    int nModuleType = kModuleTypes[data[0] % std::size(kModuleTypes)];
    parse.SetParamFileName(InfoFile(), nModuleType, 16, (data[0] & 0x80) != 0);
    int nCount = data[2] % 4;
    const std::uint8_t* packets = data + 3;
    std::size_t nBytes = size - 3;
    switch (data[1] % 12) {
    case 0:
        parse.GetAcqAndAmpTypeInfo(0, nCount, packets, nBytes);
        break;
    case 1:
        parse.GetFullVoltageCoiefInfo(0, nCount, packets, nBytes);
        break;
    case 2:
        parse.GetChannelCurrentPulsCoiefInfo(0, nCount, packets, nBytes);
        break;
    case 3:
        parse.GetChannelBridgeVltCoiefInfo(0, nCount, packets, nBytes);
        break;
    case 4:
        parse.Get8807AcqAndAmpTypeInfo(0, nCount, packets, nBytes);
        break;
    case 5:
        parse.Get8807AcqAndAmpTypeInfo_8808(0, nCount, packets, nBytes);
        break;
    case 6:
        parse.Get8810AmpTypeInfo(0, nCount, packets, nBytes);
        break;
    case 7:
        parse.Get8839AcqAndAmpTypeInfo(0, nCount, packets, nBytes);
        break;
    case 8:
        parse.GetFullVoltageCoiefInfo_8808F(0, nCount, packets, nBytes);
        break;
    case 9:
        parse.GetGainZeroInfo(0, nCount, packets, nBytes);
        break;
    case 10:
        parse.VerifyChannelInfo(0, nCount, packets, nBytes);
        break;
    default:
        parse.GetChannelSerialNumber(0, packets, nBytes);
        break;
    }
    parse.GetChannelFullCoief(0, data[2]);
    inMemory.End();
    return 0;
}
