// The main program's one access point to the channel information library:
// numbers channels case × 128 + channel within the case, so that a case link
// can hand over packets numbered within its case.
#pragma once

#include "libs/chaninfo/ChanInfoParse.h"

#include <cstddef>
#include <cstdint>
#include <string>

class CChanInfoWrapper {
public:
    CChanInfoWrapper() = default;

    void SetParamFileName(const std::string& strFileName);

    // First offset of 0x55 0xAA 0x02 0x01 b4 b5 in the buffer, -1 when none.
    static int FindReplyHeader(std::uint8_t b4, std::uint8_t b5, const std::uint8_t* pBuffer, int nLength);

    // Each hands one packet of the current case to the library. The packet is
    // whatever of the receive buffer follows the reply header, at most one
    // full packet; a shorter tail is padded with zeros rather than read past.
    // 1 when handed over, 0 for an empty packet.
    int ParseTypeInfo(int nChanInCase, std::size_t nLength, const std::uint8_t* pPacket);
    int ParseFullVoltageCoefs(int nChanInCase, std::size_t nLength, const std::uint8_t* pPacket);
    int ParseBridgeVoltageCoefs(int nChanInCase, std::size_t nLength, const std::uint8_t* pPacket);
    int ParseCurrentPulseCoefs(int nChanInCase, std::size_t nLength, const std::uint8_t* pPacket);

    float GetChannelFullCoief(int nChannel, int nCode) {
        return m_ChanInfo.GetChannelFullCoief(nChannel, nCode);
    }
    float GetChannelBrdgeVltCoief(int nChannel, int nCode) {
        return m_ChanInfo.GetChannelBrdgeVltCoief(nChannel, nCode);
    }
    float GetChannelCurrentPulsCoief(int nChannel, int nCode) {
        return m_ChanInfo.GetChannelCurrentPulsCoief(nChannel, nCode);
    }
    int GetAcqChannelTypeID(int nChannel) { return m_ChanInfo.GetAcqChannelTypeID(nChannel); }
    int GetChannelSubVersion(int nChannel) { return m_ChanInfo.GetChannelSubVersion(nChannel); }

    std::string m_strText;
    // Set by the case link before it hands packets over; read and written
    // under the case-operation mutex that serialises all parsing.
    std::int32_t m_nCurCase = 0;

private:
    using ParseFn = int (CChanInfoParse::*)(int, int, const std::uint8_t*, std::size_t);
    int ParseOne(ParseFn fn, int nChanInCase, std::size_t nLength, const std::uint8_t* pPacket);

    CChanInfoParse m_ChanInfo;
};

extern CChanInfoWrapper g_ChanInfo;
