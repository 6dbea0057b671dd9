// Random bytes as channel-information packets: every packet operation must
// stay within the buffer it is given, whatever the items claim.
#include "libs/chaninfo/ChanInfoParse.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

const int kModuleTypes[] = {-1, 9, 12, 13, 15, 19, 8, 14};

std::string InfoFile() {
    static const std::string path =
        (std::filesystem::temp_directory_path() / ("fuzz_chaninfo_" + std::to_string(::getpid()))).string();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3)
        return 0;
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
    // Every run starts from empty files, so they stay small.
    std::error_code ec;
    std::filesystem::remove(InfoFile(), ec);
    std::filesystem::remove(InfoFile() + ".Cfg", ec);
    return 0;
}
