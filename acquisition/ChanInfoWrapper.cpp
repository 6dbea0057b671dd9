// The process-wide channel information object and its packet hand-over.
#include "acquisition/ChanInfoWrapper.h"

#include <algorithm>
#include <cstring>

CChanInfoWrapper g_ChanInfo;

namespace {
constexpr int kChannelsPerCase = 128;
constexpr int kHeaderLength = 6;
} // namespace

void CChanInfoWrapper::SetParamFileName(const std::string& strFileName) {
    m_ChanInfo.SetParamFileName(strFileName, -1, 16, false);
}

int CChanInfoWrapper::FindReplyHeader(std::uint8_t b4, std::uint8_t b5, const std::uint8_t* pBuffer,
                                      int nLength) {
    if (!pBuffer || nLength < kHeaderLength)
        return -1;
    const std::uint8_t header[kHeaderLength] = {0x55, 0xAA, 0x02, 0x01, b4, b5};
    for (int p = 0; p <= nLength - kHeaderLength; ++p)
        if (std::memcmp(pBuffer + p, header, kHeaderLength) == 0)
            return p;
    return -1;
}

int CChanInfoWrapper::ParseOne(ParseFn fn, int nChanInCase, std::size_t nLength,
                               const std::uint8_t* pPacket) {
    if (!pPacket || nLength == 0)
        return 0;
    _CHANNEL_PARAM param;
    std::memset(&param, 0, sizeof(param));
    std::memcpy(&param, pPacket, std::min(nLength, sizeof(param)));
    (m_ChanInfo.*fn)(m_nCurCase * kChannelsPerCase + nChanInCase, 1,
                     reinterpret_cast<const std::uint8_t*>(&param), sizeof(param));
    return 1;
}

int CChanInfoWrapper::ParseTypeInfo(int nChanInCase, std::size_t nLength, const std::uint8_t* pPacket) {
    return ParseOne(&CChanInfoParse::GetAcqAndAmpTypeInfo, nChanInCase, nLength, pPacket);
}

int CChanInfoWrapper::ParseFullVoltageCoefs(int nChanInCase, std::size_t nLength,
                                            const std::uint8_t* pPacket) {
    return ParseOne(&CChanInfoParse::GetFullVoltageCoiefInfo, nChanInCase, nLength, pPacket);
}

int CChanInfoWrapper::ParseBridgeVoltageCoefs(int nChanInCase, std::size_t nLength,
                                              const std::uint8_t* pPacket) {
    return ParseOne(&CChanInfoParse::GetChannelBridgeVltCoiefInfo, nChanInCase, nLength, pPacket);
}

int CChanInfoWrapper::ParseCurrentPulseCoefs(int nChanInCase, std::size_t nLength,
                                             const std::uint8_t* pPacket) {
    return ParseOne(&CChanInfoParse::GetChannelCurrentPulsCoiefInfo, nChanInCase, nLength, pPacket);
}
