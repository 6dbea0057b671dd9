// Channel information file parser: packets in, INI sections out, and the
// lookups the main program makes on the file afterwards.
#include "libs/chaninfo/ChanInfoParse.h"

#include "platform/Files.h"
#include "platform/Profile.h"
#include "platform/Text.h"

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

using platform::Format;

namespace {

constexpr int kMaxPacketLen = static_cast<int>(sizeof(_CHANNEL_PARAM));
constexpr int kItemsStart = 12;      // offset of the code-item count
constexpr int kMaxItemCount = 127;   // counts are signed bytes in the item walk
constexpr int kMaxTypeSections = 99; // type indexes are written with two digits
constexpr int kSerialEntryBytes = 4;
constexpr int kPacket8839Len = 64;
constexpr int kNoMatch = INT_MIN; // a missing type id never matches a channel's

const std::uint8_t* Bytes(const _CHANNEL_PARAM& param) {
    return reinterpret_cast<const std::uint8_t*>(&param);
}

bool FileExists(const std::string& strPath) {
    return !strPath.empty() && platform::FileExists(strPath);
}

void WriteInt(const std::string& strSection, const std::string& strKey, int nValue,
              const std::string& strFile) {
    platform::WritePrivateProfileString(strSection, strKey, Format("%d", nValue), strFile);
}

void WriteFloat(const std::string& strSection, const std::string& strKey, float fValue,
                const std::string& strFile) {
    platform::WritePrivateProfileString(strSection, strKey, Format("%.6f", fValue), strFile);
}

std::string ReadText(const std::string& strSection, const std::string& strKey, std::size_t nBufferSize,
                     const std::string& strFile) {
    std::string buffer(nBufferSize, '\0');
    std::size_t n =
        platform::GetPrivateProfileString(strSection, strKey, "1", buffer.data(), buffer.size(), strFile);
    buffer.resize(n);
    return buffer;
}

// A number from a file as a float; beyond the float range it saturates
// instead of converting out of range.
float TextToFloat(const std::string& strText) {
    double d = std::atof(strText.c_str());
    return static_cast<float>(std::isfinite(d) ? std::clamp(d, -(double)FLT_MAX, (double)FLT_MAX) : d);
}

// The coefficient lookup's rule: zero, tiny, not-a-number and the other
// system's not-a-number text all read as 1.0.
float CheckedCoief(const std::string& strText) {
    if (strText.find("-1.#QNAN0") != std::string::npos)
        return 1.0f;
    float fValue = TextToFloat(strText);
    if (!(std::fabs(fValue) >= 1e-10f))
        return 1.0f;
    return fValue;
}

// Amplifier type of a packet, or -1 when the amplifier block is not valid.
int AmpTypeOf(const _CHANNEL_PARAM& param, int nLen, int* pnVersion) {
    const std::uint8_t* b = Bytes(param);
    int d = b[0], e = b[1];
    if (d + e >= 256 || e == 0 || d + 1 >= nLen || b[d + 1] == 255)
        return -1;
    if (pnVersion)
        *pnVersion = d + 2 < nLen ? b[d + 2] : 0;
    return b[d + 1];
}

} // namespace

CChanInfoParse::CChanInfoParse()
    : m_nSerialGroupSize(16), m_nModuleChanStride(8), m_bSerialNoMode(false), m_nModuleType(-1),
      m_strAmpTypeKey("AMPType"), m_strAcqTypeKey("ACQType") {}

CChanInfoParse::~CChanInfoParse() = default;
CChanInfoParse::CChanInfoParse(const CChanInfoParse&) = default;
CChanInfoParse& CChanInfoParse::operator=(const CChanInfoParse&) = default;

void CChanInfoParse::SetParamFileName(const std::string& strFileName, int nModuleType, int nModuleChanStride,
                                      bool bSerialNoMode) {
    m_strInfoFile = strFileName;
    m_strSerialNoFile = strFileName + ".Cfg";
    m_nModuleType = nModuleType;
    m_nModuleChanStride = nModuleChanStride;
    m_bSerialNoMode = bSerialNoMode;
    if (!FileExists(m_strInfoFile))
        return;
    ClearReadOnly(m_strInfoFile);
    ClearReadOnly(m_strInfoFile + ".bak");
    platform::CopyFile(m_strInfoFile, m_strInfoFile + ".bak");
    platform::DeleteFile(m_strInfoFile);
}

// ---- packets -------------------------------------------------------------

int CChanInfoParse::GetChanInfoPacketLenth(int nModuleType) {
    switch (nModuleType) {
    case 9:
    case 12:
    case 19:
        return 128;
    case 13:
        return 64;
    case 15:
        return 32;
    default:
        return 256;
    }
}

bool CChanInfoParse::PacketsFit(int nCount, int nLen, std::size_t nBytes) const {
    return nCount <= 0 || static_cast<std::size_t>(nCount) * static_cast<std::size_t>(nLen) <= nBytes;
}

void CChanInfoParse::LoadPacket(const std::uint8_t* pPackets, int nIndex, int nLen,
                                _CHANNEL_PARAM& param) const {
    std::memset(&param, 0, sizeof(param));
    std::memcpy(&param, pPackets + static_cast<std::size_t>(nIndex) * nLen, std::min(nLen, kMaxPacketLen));
}

int CChanInfoParse::GetParamItemCount(const _CHANNEL_PARAM& param, int nPos) const {
    return nPos >= 0 && nPos + 1 < kMaxPacketLen ? Bytes(param)[nPos + 1] : 0;
}

int CChanInfoParse::GetParamItemCode(const _CHANNEL_PARAM& param, int nPos, int nIndex) const {
    int nAt = nPos + 2 + nIndex;
    return nPos >= 0 && nIndex >= 0 && nAt < kMaxPacketLen ? Bytes(param)[nAt] : 0;
}

float CChanInfoParse::GetParamItemCoief(const _CHANNEL_PARAM& param, int nPos, int nIndex) const {
    return ReadCoief(param, nPos, nIndex, false);
}

float CChanInfoParse::ReadCoief(const _CHANNEL_PARAM& param, int nPos, int nIndex, bool bReverseBytes) const {
    int nAt = nPos + 2 + 4 * nIndex;
    if (nPos < 0 || nIndex < 0 || nAt + 4 > kMaxPacketLen)
        return 0.0f;
    std::uint8_t raw[4];
    std::memcpy(raw, Bytes(param) + nAt, 4);
    if (bReverseBytes)
        std::reverse(raw, raw + 4);
    float fValue;
    std::memcpy(&fValue, raw, 4);
    return fValue;
}

bool CChanInfoParse::GetParamItemFrefix(int nKind, std::string& strPrefix) const {
    switch (nKind) {
    case 0:
        strPrefix = "FullVltParaCode";
        break;
    case 1:
        strPrefix = "IntegrateParaCode";
        break;
    case 2:
        strPrefix = "InputModeParaCode";
        break;
    case 3:
        strPrefix = "FilterParaCode";
        break;
    case 5:
        strPrefix = "BrdgeVltParaCode";
        break;
    case 6:
        strPrefix = "ChargePulsParmCode";
        break;
    case 8:
        strPrefix = "VltPulsParmCode";
        break;
    case 9:
        strPrefix = "SensorCoief";
        break;
    case 11:
        strPrefix = "ZeroParaCode";
        break;
    case 17:
        strPrefix = "CurrentParmCode";
        break;
    default:
        strPrefix.clear();
        break;
    }
    return true;
}

// Items whose count or bytes run past the packet end the walk: a module
// never sends them, and reading on would leave the packet.
void CChanInfoParse::GetCoiefInfoSavePos(const _CHANNEL_PARAM& param, int nLen, int nKind, int& nCodePos,
                                         int& nCoiefPos) const {
    const std::uint8_t* b = Bytes(param);
    int nEnd = std::clamp(nLen, 0, kMaxPacketLen);
    int nPos = kItemsStart;
    if (nPos >= nEnd)
        return;
    int nCodeItems = static_cast<std::int8_t>(b[nPos++]);
    for (int i = 0; i < nCodeItems; ++i) {
        if (nPos + 2 > nEnd || b[nPos + 1] > kMaxItemCount || nPos + 2 + b[nPos + 1] > nEnd)
            return;
        if (static_cast<std::int8_t>(b[nPos]) == nKind)
            nCodePos = nPos;
        nPos += 2 + b[nPos + 1];
    }
    if (nPos >= nEnd)
        return;
    int nCoiefItems = static_cast<std::int8_t>(b[nPos++]);
    for (int i = 0; i < nCoiefItems; ++i) {
        if (nPos + 2 > nEnd || nPos + 2 + 4 * b[nPos + 1] > nEnd)
            return;
        if (static_cast<std::int8_t>(b[nPos]) == nKind) {
            nCoiefPos = nPos;
            return;
        }
        nPos += 2 + 4 * b[nPos + 1];
    }
}

// Code i pairs with coefficient i; codes beyond the coefficient item have no
// coefficient and are skipped rather than read from whatever follows.
void CChanInfoParse::WriteCoiefItems(const std::string& strFile, const std::string& strSection,
                                     const _CHANNEL_PARAM& param, int nCodePos, int nCoiefPos, int nKind,
                                     bool bReverseBytes) {
    std::string strPrefix;
    GetParamItemFrefix(nKind, strPrefix);
    int nPairs = std::min(GetParamItemCount(param, nCodePos), GetParamItemCount(param, nCoiefPos));
    for (int i = 0; i < nPairs; ++i) {
        std::string strKey = Format("%s%d", strPrefix.c_str(), GetParamItemCode(param, nCodePos, i));
        WriteFloat(strSection, strKey, ReadCoief(param, nCoiefPos, i, bReverseBytes), strFile);
    }
}

int CChanInfoParse::ParseChanCoief(int nChannel, const _CHANNEL_PARAM& param, int nLen, int nKind) {
    std::string strFile = GetInfoFileName();
    std::string strSection = GetAcqInfoSectionName(nChannel);
    WriteInt(strSection, "ACQSubVersion", param.byAcqSubVer, strFile);

    int nCodePos = 0, nCoiefPos = 0;
    GetCoiefInfoSavePos(param, nLen, nKind, nCodePos, nCoiefPos);
    bool bReverse = m_nModuleType == -1;
    if (nCodePos && nCoiefPos) {
        WriteCoiefItems(strFile, strSection, param, nCodePos, nCoiefPos, nKind, bReverse);
        return 1;
    }
    if (nCoiefPos && nKind == 17) {
        // Every coefficient lands under the same key, so the last one stays.
        int nCount = GetParamItemCount(param, nCoiefPos);
        if (nCount > 0) {
            std::string strPrefix;
            GetParamItemFrefix(nKind, strPrefix);
            WriteFloat(strSection, strPrefix + "1", ReadCoief(param, nCoiefPos, nCount - 1, bReverse),
                       strFile);
        }
        return 1;
    }
    return 0;
}

int CChanInfoParse::ParseCoiefPackets(int nFirstChan, int nCount, const std::uint8_t* pPackets,
                                      std::size_t nBytes, int nKind, bool bAlwaysOne) {
    int nLen = GetChanInfoPacketLenth(m_nModuleType);
    if (!PacketsFit(nCount, nLen, nBytes))
        return 0;
    int nResult = 1;
    _CHANNEL_PARAM param;
    // One rewrite of each file for the whole batch of packets, not one a key.
    platform::ProfileWriteDeferral deferral;
    for (int i = 0; i < nCount; ++i) {
        LoadPacket(pPackets, i, nLen, param);
        nResult = ParseChanCoief(nFirstChan + i, param, nLen, nKind);
    }
    return bAlwaysOne ? 1 : nResult;
}

int CChanInfoParse::GetFullVoltageCoiefInfo(int nFirstChan, int nCount, const std::uint8_t* pPackets,
                                            std::size_t nBytes) {
    return ParseCoiefPackets(nFirstChan, nCount, pPackets, nBytes, 0, true);
}

int CChanInfoParse::GetChannelIntegrateCoiefInfo(int nFirstChan, int nCount, const std::uint8_t* pPackets,
                                                 std::size_t nBytes) {
    return ParseCoiefPackets(nFirstChan, nCount, pPackets, nBytes, 1, false);
}

int CChanInfoParse::GetChannelInputModeCoiefInfo(int nFirstChan, int nCount, const std::uint8_t* pPackets,
                                                 std::size_t nBytes) {
    return ParseCoiefPackets(nFirstChan, nCount, pPackets, nBytes, 2, false);
}

int CChanInfoParse::GetChannelFilterCoiefInfo(int nFirstChan, int nCount, const std::uint8_t* pPackets,
                                              std::size_t nBytes) {
    return ParseCoiefPackets(nFirstChan, nCount, pPackets, nBytes, 3, false);
}

int CChanInfoParse::GetChannelBridgeVltCoiefInfo(int nFirstChan, int nCount, const std::uint8_t* pPackets,
                                                 std::size_t nBytes) {
    return ParseCoiefPackets(nFirstChan, nCount, pPackets, nBytes, 5, false);
}

int CChanInfoParse::GetChannelChargePulsCoiefInfo(int nFirstChan, int nCount, const std::uint8_t* pPackets,
                                                  std::size_t nBytes) {
    return ParseCoiefPackets(nFirstChan, nCount, pPackets, nBytes, 6, true);
}

int CChanInfoParse::GetChannelVltPulsCoiefInfo(int nFirstChan, int nCount, const std::uint8_t* pPackets,
                                               std::size_t nBytes) {
    return ParseCoiefPackets(nFirstChan, nCount, pPackets, nBytes, 8, true);
}

int CChanInfoParse::GetChannelSensorCoiefInfo(int nFirstChan, int nCount, const std::uint8_t* pPackets,
                                              std::size_t nBytes) {
    return ParseCoiefPackets(nFirstChan, nCount, pPackets, nBytes, 9, false);
}

int CChanInfoParse::GetChannelCurrentPulsCoiefInfo(int nFirstChan, int nCount, const std::uint8_t* pPackets,
                                                   std::size_t nBytes) {
    return ParseCoiefPackets(nFirstChan, nCount, pPackets, nBytes, 17, false);
}

int CChanInfoParse::GetAcqAndAmpTypeInfo(int nFirstChan, int nCount, const std::uint8_t* pPackets,
                                         std::size_t nBytes) {
    int nLen = GetChanInfoPacketLenth(m_nModuleType);
    if (!PacketsFit(nCount, nLen, nBytes))
        return 0;
    std::string strFile = GetInfoFileName();
    _CHANNEL_PARAM param;
    // One rewrite of each file for the whole batch of packets, not one a key.
    platform::ProfileWriteDeferral deferral;
    for (int i = 0; i < nCount; ++i) {
        LoadPacket(pPackets, i, nLen, param);
        bool bNoInfo = param.byAcqType == 255;
        std::string strAcq = GetAcqInfoSectionName(nFirstChan + i);
        WriteInt(strAcq, m_strAcqTypeKey, bNoInfo ? 1 : param.byAcqType, strFile);
        WriteInt(strAcq, "ACQSubVersion", bNoInfo ? 0 : param.byAcqSubVer, strFile);
        int nAmpType = AmpTypeOf(param, nLen, nullptr);
        WriteInt(GetAmpInfoSectionName(nFirstChan + i), m_strAmpTypeKey, nAmpType < 0 ? 0 : nAmpType,
                 strFile);
    }
    return 1;
}

// ---- module-specific packet forms ----------------------------------------

int CChanInfoParse::Get8807AcqAndAmpTypeInfo(int nFirstChan, int nCount, const std::uint8_t* pPackets,
                                             std::size_t nBytes) {
    int nLen = GetChanInfoPacketLenth(m_nModuleType);
    if (!PacketsFit(nCount, nLen, nBytes))
        return 0;
    // One rewrite of each file for the whole batch of packets, not one a key.
    platform::ProfileWriteDeferral deferral;
    for (int i = 0; i < nCount; ++i) {
        const std::uint8_t* b = pPackets + static_cast<std::size_t>(i) * nLen;
        int nChannel = nFirstChan + i;
        WriteInt(Format("ChannelID%d", nChannel), m_strAcqTypeKey, b[2] == 255 ? 1 : b[2], m_strInfoFile);
        WriteInt(Format("AmpliferID%d", nChannel), m_strAmpTypeKey, b[3] == 255 ? 0 : b[3], m_strInfoFile);
    }
    return 1;
}

int CChanInfoParse::Get8807AcqAndAmpTypeInfo_8808(int nModule, int nCount, const std::uint8_t* pPacket,
                                                  std::size_t nBytes) {
    if (!PacketsFit(1, GetChanInfoPacketLenth(m_nModuleType), nBytes))
        return 0;
    int nAcqType = pPacket[2] == 255 ? 1 : pPacket[2];
    int nSubVersion = pPacket[3] == 255 ? 0 : pPacket[3];
    // One rewrite of each file for the whole batch of packets, not one a key.
    platform::ProfileWriteDeferral deferral;
    for (int i = 0; i < nCount; ++i) {
        int nChannel = nModule * m_nModuleChanStride + i;
        std::string strAcq = Format("ChannelID%d", nChannel);
        WriteInt(strAcq, m_strAcqTypeKey, nAcqType, m_strInfoFile);
        WriteInt(strAcq, "ACQSubVersion", nSubVersion, m_strInfoFile);
        WriteInt(Format("AmpliferID%d", nChannel), m_strAmpTypeKey, nSubVersion, m_strInfoFile);
    }
    return 1;
}

int CChanInfoParse::Get8810AmpTypeInfo(int nFirstChan, int nCount, const std::uint8_t* pPackets,
                                       std::size_t nBytes) {
    int nLen = GetChanInfoPacketLenth(m_nModuleType);
    if (!PacketsFit(nCount, nLen, nBytes))
        return 0;
    _CHANNEL_PARAM param;
    // One rewrite of each file for the whole batch of packets, not one a key.
    platform::ProfileWriteDeferral deferral;
    for (int i = 0; i < nCount; ++i) {
        LoadPacket(pPackets, i, nLen, param);
        int nVersion = 0;
        int nAmpType = AmpTypeOf(param, nLen, &nVersion);
        if (nAmpType < 0)
            nAmpType = nVersion = 0;
        std::string strAmp = Format("AmpliferID%d", nFirstChan + i);
        WriteInt(strAmp, m_strAmpTypeKey, nAmpType, m_strInfoFile);
        WriteInt(strAmp, "AmpVersion", nVersion, m_strInfoFile);
    }
    return 1;
}

int CChanInfoParse::Get8839AcqAndAmpTypeInfo(int nModule, int nCount, const std::uint8_t* pPackets,
                                             std::size_t nBytes) {
    if (!PacketsFit(nCount, kPacket8839Len, nBytes))
        return 0;
    // One rewrite of each file for the whole batch of packets, not one a key.
    platform::ProfileWriteDeferral deferral;
    for (int i = 0; i < nCount; ++i) {
        const std::uint8_t* b = pPackets + static_cast<std::size_t>(i) * kPacket8839Len;
        int nChannel = nModule * nCount + i;
        RegisteAcqTypeInfo(nChannel, 1);
        bool bOwnPacket = static_cast<std::int8_t>(b[0]) == i;
        RegisteAmpTypeInfo(nChannel, bOwnPacket ? static_cast<std::int8_t>(b[3]) : -1);
    }
    return 1;
}

int CChanInfoParse::GetFullVoltageCoiefInfo_8808F(int nModule, int nCount, const std::uint8_t* pPacket,
                                                  std::size_t nBytes) {
    int nLen = GetChanInfoPacketLenth(m_nModuleType);
    if (!PacketsFit(1, nLen, nBytes))
        return 0;
    _CHANNEL_PARAM param;
    LoadPacket(pPacket, 0, nLen, param);
    int nCodePos = 0, nCoiefPos = 0;
    GetCoiefInfoSavePos(param, nLen, 0, nCodePos, nCoiefPos);
    if (!nCodePos || !nCoiefPos)
        return 1;
    int nPairs = std::min(GetParamItemCount(param, nCodePos), GetParamItemCount(param, nCoiefPos));
    for (int i = 0; i < nPairs; ++i) {
        std::string strSection = Format("ChannelID%d", nModule * m_nModuleChanStride + i);
        std::string strKey = Format("FullVltParaCode%d", GetParamItemCode(param, nCodePos, i));
        WriteFloat(strSection, strKey, GetParamItemCoief(param, nCoiefPos, i), m_strInfoFile);
    }
    return 1;
}

int CChanInfoParse::GetGainZeroInfo(int nFirstChan, int nCount, const std::uint8_t* pPackets,
                                    std::size_t nBytes) {
    int nLen = GetChanInfoPacketLenth(m_nModuleType);
    if (!PacketsFit(nCount, nLen, nBytes))
        return 0;
    std::string strFile = GetInfoFileName();
    _CHANNEL_PARAM param;
    // One rewrite of each file for the whole batch of packets, not one a key.
    platform::ProfileWriteDeferral deferral;
    for (int i = 0; i < nCount; ++i) {
        LoadPacket(pPackets, i, nLen, param);
        std::string strSection = GetAcqInfoSectionName(nFirstChan + i);
        WriteInt(strSection, "ACQSubVersion", param.byAcqSubVer, strFile);
        int nCodePos = 0, nCoiefPos = 0;
        GetCoiefInfoSavePos(param, nLen, 11, nCodePos, nCoiefPos);
        if (nCodePos && nCoiefPos)
            WriteCoiefItems(strFile, strSection, param, nCodePos, nCoiefPos, 11, false);
    }
    return 1;
}

// ---- single writes -------------------------------------------------------

void CChanInfoParse::SaveAcqAndAmpTypeInfo_MGTD(int nChannel, int nAcqType, int nAmpType) {
    RegisteAcqTypeInfo(nChannel, nAcqType);
    RegisteAmpTypeInfo(nChannel, nAmpType);
}

void CChanInfoParse::RegisteAcqTypeInfo(int nChannel, int nType) {
    WriteInt(Format("ChannelID%d", nChannel), m_strAcqTypeKey, nType, m_strInfoFile);
}

void CChanInfoParse::RegisteAmpTypeInfo(int nChannel, int nType) {
    WriteInt(Format("AmpliferID%d", nChannel), m_strAmpTypeKey, nType, m_strInfoFile);
}

int CChanInfoParse::SaveFullVoltageCoiefInfo_1307(int nChannel, float fValue) {
    WriteFloat(Format("ChannelID%d", nChannel), "FullVltParaCode1", fValue, m_strInfoFile);
    return 1;
}

// ---- serial numbers and verification -------------------------------------

int CChanInfoParse::GetChannelSerialNumber(int nModule, const std::uint8_t* pPacket, std::size_t nBytes) {
    if (!PacketsFit(m_nSerialGroupSize, kSerialEntryBytes, nBytes))
        return 0;
    for (int j = 0; j < m_nSerialGroupSize; ++j) {
        const std::uint8_t* e = pPacket + j * kSerialEntryBytes;
        std::string strSection = Format("CombinedChannel%d", nModule * m_nSerialGroupSize + j);
        WriteInt(strSection, "ACQSerialNo", e[0] * 256 + e[1], m_strSerialNoFile);
        WriteInt(strSection, "ACQSubVersion", e[2], m_strSerialNoFile);
        WriteInt(strSection, m_strAmpTypeKey, e[3] == 255 ? 0 : e[3], m_strSerialNoFile);
    }
    return 1;
}

int CChanInfoParse::GetChannelSerianNo(int nChannel) const {
    return platform::GetPrivateProfileInt(Format("CombinedChannel%d", nChannel), "ACQSerialNo", 0,
                                          m_strSerialNoFile);
}

int CChanInfoParse::GetChannelOnlineFlag(int nChannel) {
    if (!m_bSerialNoMode)
        return 0;
    int nSerialNo = GetChannelSerianNo(nChannel);
    return nSerialNo > 0 && nSerialNo < 65535 ? 1 : 0;
}

int CChanInfoParse::CheckChannelInfoPerfect(int nChannel) {
    std::string strSection = Format("ACQSerialNO%d", GetChannelSerianNo(nChannel));
    int nVerify = platform::GetPrivateProfileInt(strSection, "VerifyFlag", 0, m_strSerialNoFile);
    int nSubVersion = platform::GetPrivateProfileInt(strSection, "ACQSubVersion", 0, m_strSerialNoFile);
    return nVerify > 0 && nSubVersion == GetChannelSubVersion(nChannel) ? 1 : 0;
}

// Once one packet of the call qualifies, every later channel of the call is
// marked verified as well.
int CChanInfoParse::VerifyChannelInfo(int nFirstChan, int nCount, const std::uint8_t* pPackets,
                                      std::size_t nBytes) {
    int nLen = GetChanInfoPacketLenth(m_nModuleType);
    if (!PacketsFit(nCount, nLen, nBytes))
        return 0;
    std::string strFile = GetInfoFileName();
    bool bVerified = false;
    // One rewrite of each file for the whole batch of packets, not one a key.
    platform::ProfileWriteDeferral deferral;
    for (int i = 0; i < nCount; ++i) {
        const std::uint8_t* b = pPackets + static_cast<std::size_t>(i) * nLen;
        int p = b[0] + b[1];
        if (p >= 1 && p < nLen && b[p] != 255 && b[p - 1] != 255)
            bVerified = true;
        WriteInt(GetAcqInfoSectionName(nFirstChan + i), "VerifyFlag", bVerified ? 1 : 0, strFile);
    }
    return 1;
}

int CChanInfoParse::GetChannelVerifyInfo(int nChannel) {
    return platform::GetPrivateProfileInt(GetAcqInfoSectionName(nChannel), "VerifyFlag", 0,
                                          GetInfoFileName()) > 0
               ? 1
               : 0;
}

// ---- lookups -------------------------------------------------------------

float CChanInfoParse::PickupChanCoief(int nChannel, int nKind, int nCode) {
    std::string strPrefix;
    GetParamItemFrefix(nKind, strPrefix);
    std::string strKey = Format("%s%d", strPrefix.c_str(), nCode);
    return CheckedCoief(ReadText(GetAcqInfoSectionName(nChannel), strKey, 128, GetInfoFileName()));
}

float CChanInfoParse::GetChannelFullCoief(int nChannel, int nCode) {
    return PickupChanCoief(nChannel, 0, nCode);
}
float CChanInfoParse::GetChannelIntegrateCoief(int nChannel, int nCode) {
    return PickupChanCoief(nChannel, 1, nCode);
}
float CChanInfoParse::GetChannelInputModePolarityCoief(int nChannel, int nCode) {
    return PickupChanCoief(nChannel, 2, nCode);
}
float CChanInfoParse::GetChannelFilterCoief(int nChannel, int nCode) {
    return PickupChanCoief(nChannel, 3, nCode);
}
float CChanInfoParse::GetChannelBrdgeVltCoief(int nChannel, int nCode) {
    return PickupChanCoief(nChannel, 5, nCode);
}
float CChanInfoParse::GetChannelGainZeroCoief(int nChannel, int nCode) {
    return PickupChanCoief(nChannel, 11, nCode);
}
float CChanInfoParse::GetChannelCurrentPulsCoief(int nChannel, int nCode) {
    return PickupChanCoief(nChannel, 17, nCode);
}

int CChanInfoParse::GetAcqChannelTypeID(int nChannel) {
    return platform::GetPrivateProfileInt(GetAcqInfoSectionName(nChannel), m_strAcqTypeKey, 1,
                                          GetInfoFileName());
}

int CChanInfoParse::GetAmpChannelTypeID(int nChannel) {
    return platform::GetPrivateProfileInt(GetAmpInfoSectionName(nChannel), m_strAmpTypeKey, 0,
                                          GetInfoFileName());
}

int CChanInfoParse::GetChannelSubVersion(int nChannel) {
    if (m_bSerialNoMode)
        return platform::GetPrivateProfileInt(Format("CombinedChannel%d", nChannel), "ACQSubVersion", 0,
                                              m_strSerialNoFile);
    return platform::GetPrivateProfileInt(Format("ChannelID%d", nChannel), "ACQSubVersion", 0, m_strInfoFile);
}

int CChanInfoParse::GetChannelAmpPulsType(int nChannel) {
    return platform::GetPrivateProfileInt(Format("ChannelID%d", nChannel), "AmpPulsType", 0, m_strInfoFile);
}

float CChanInfoParse::GetChannelPulsCoief(int nChannel, int nPulsType, int nCode) {
    std::string strFile = GetInfoFileName();
    if (!FileExists(strFile))
        return 1.0f;
    std::string strKey = nPulsType == 1   ? Format("VltPulsParmCode%d", nCode)
                         : nPulsType == 2 ? Format("ChargePulsParmCode%d", nCode)
                                          : std::string("UnknownType");
    std::string strText =
        ReadText(GetAcqInfoSectionName(nChannel), strKey, m_bSerialNoMode ? 128 : 255, strFile);
    return TextToFloat(strText);
}

float CChanInfoParse::GetChannelSensorCoief(int nChannel, int nCode) {
    if (!FileExists(m_strInfoFile))
        return 1.0f;
    return CheckedCoief(
        ReadText(Format("ChannelID%d", nChannel), Format("SensorCoief%d", nCode), 128, m_strInfoFile));
}

float CChanInfoParse::GetChannelSensorCoief(int nChannel) {
    if (!FileExists(m_strInfoFile))
        return 1.0f;
    return CheckedCoief(ReadText(Format("ChannelID%d", nChannel), "SensorCoief", 128, m_strInfoFile));
}

// ---- names ---------------------------------------------------------------

std::string CChanInfoParse::GetAcqInfoSectionName(int nChannel) const {
    if (m_bSerialNoMode)
        return Format("ACQSerialNO%d", GetChannelSerianNo(nChannel));
    return Format("ChannelID%d", nChannel);
}

std::string CChanInfoParse::GetAmpInfoSectionName(int nChannel) const {
    return Format(m_bSerialNoMode ? "CombinedChannel%d" : "AmpliferID%d", nChannel);
}

std::string CChanInfoParse::GetInfoFileName() const {
    return m_bSerialNoMode ? m_strSerialNoFile : m_strInfoFile;
}

std::string CChanInfoParse::GetTypeDefFileName() const {
    return m_strInfoFile + ".INI";
}

void CChanInfoParse::ClearReadOnly(const std::string& strPath) {
    if (FileExists(strPath) && platform::IsReadOnly(strPath))
        platform::SetReadOnly(strPath, false);
}

// ---- type-definition file ------------------------------------------------

void CChanInfoParse::SetChannelDefaultType(int nChannel, int nTypeCode) {
    std::string strTypeFile = GetTypeDefFileName();
    if (!FileExists(strTypeFile))
        return;
    ClearReadOnly(strTypeFile);
    platform::WritePrivateProfileString("Channel", Format("ChannelType%d", nChannel),
                                        Format("%02d%02d", nTypeCode / 100, nTypeCode % 100), strTypeFile);
}

// The counts come from a file: they are capped at the two-digit indexes the
// combined type can hold, so a damaged count cannot run the search for ever.
int CChanInfoParse::FindTypeIndex(const std::string& strTypeFile, const char* pszCountKey,
                                  const char* pszSection, int nType, int nAmpVersion, bool bAmp) const {
    int nCount =
        std::min(platform::GetPrivateProfileInt("Channel", pszCountKey, 0, strTypeFile), kMaxTypeSections);
    for (int i = 1; i <= nCount; ++i) {
        std::string strSection = Format("%s%d", pszSection, i);
        int nId = platform::GetPrivateProfileInt(strSection, bAmp ? "AmpTypeID" : "AcqTypeID", kNoMatch,
                                                 strTypeFile);
        if (nId != nType)
            continue;
        if (bAmp && nType >= 144 &&
            platform::GetPrivateProfileInt(strSection, "AmpVersion", kNoMatch, strTypeFile) != nAmpVersion)
            continue;
        return i;
    }
    return bAmp ? 0 : 1;
}

void CChanInfoParse::SetChannelCombinedType(int nChannel) {
    std::string strTypeFile = GetTypeDefFileName();
    std::string strFile = GetInfoFileName();
    if (!FileExists(strTypeFile) || !FileExists(strFile))
        return;
    ClearReadOnly(strTypeFile);
    std::string strAmp = GetAmpInfoSectionName(nChannel);
    int nAcqType =
        platform::GetPrivateProfileInt(GetAcqInfoSectionName(nChannel), m_strAcqTypeKey, 1, strFile);
    int nAmpType = platform::GetPrivateProfileInt(strAmp, m_strAmpTypeKey, 0, strFile);
    int nAmpVersion = platform::GetPrivateProfileInt(strAmp, "AmpVersion", 0, strFile);

    if ((m_nModuleType == 8 || m_nModuleType == 12) && nAcqType >= 1 && nAcqType <= 3)
        nAcqType = 1;
    int nAcqIndex =
        FindTypeIndex(strTypeFile, "ACQChannelTypeCount", "AcquisitionChannelType", nAcqType, 0, false);
    int nAmpIndex = FindTypeIndex(strTypeFile, "AMPChannelTypeCount", "AmplifierChannelType", nAmpType,
                                  nAmpVersion, true);
    if (m_nModuleType == 14) {
        if (nAcqType == 0)
            nAcqIndex = 1;
        nAmpIndex = 1;
    } else if ((m_nModuleType == 21 || m_nModuleType == 25) && nAcqType == 0) {
        nAcqIndex = nAmpIndex = 1;
    }
    platform::WritePrivateProfileString("Channel", Format("ChannelType%d", nChannel),
                                        Format("%02d%02d", nAcqIndex, nAmpIndex), strTypeFile);
}
