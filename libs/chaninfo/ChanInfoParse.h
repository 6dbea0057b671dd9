// Channel information of the acquisition modules: parses the per-channel
// information packets into an INI channel information file and answers
// questions about a channel's types, sub-version and coefficients from it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#define PEMMICK_API __attribute__((visibility("default")))

// One channel-information packet as the module sends it. Shorter module
// types fill only the first bytes; the rest of the record is zero.
#pragma pack(push, 1)
struct _CHANNEL_PARAM {
    std::uint8_t byAmpOffset; // amplifier block offset d
    std::uint8_t byAmpLength; // amplifier block length e
    std::uint8_t byAcqType;   // 255 = no information
    std::uint8_t byAcqSubVer;
    std::uint8_t byReserved[8];
    std::uint8_t byItems[244]; // code-item count, code items, coefficient-item count, coefficient items
};
#pragma pack(pop)
static_assert(sizeof(_CHANNEL_PARAM) == 256, "channel-information packet is 256 bytes");

// Every packet operation takes the packets' buffer and its size in bytes: a
// buffer shorter than the packets the call names is refused (result 0, nothing
// written), and no item is read beyond the end of its packet.
class PEMMICK_API CChanInfoParse {
public:
    CChanInfoParse();
    virtual ~CChanInfoParse();
    CChanInfoParse(const CChanInfoParse&);
    CChanInfoParse& operator=(const CChanInfoParse&);

    // Starts a fresh info file: an existing one is kept only as its ".bak" copy.
    void SetParamFileName(const std::string& strFileName, int nModuleType, int nModuleChanStride,
                          bool bSerialNoMode);

    // Types and sub-versions of count packets for channels first, first + 1, ...
    int GetAcqAndAmpTypeInfo(int nFirstChan, int nCount, const std::uint8_t* pPackets, std::size_t nBytes);

    // Coefficient packets, one parse a packet for channels first + i.
    int GetFullVoltageCoiefInfo(int nFirstChan, int nCount, const std::uint8_t* pPackets, std::size_t nBytes);
    int GetChannelIntegrateCoiefInfo(int nFirstChan, int nCount, const std::uint8_t* pPackets,
                                     std::size_t nBytes);
    int GetChannelInputModeCoiefInfo(int nFirstChan, int nCount, const std::uint8_t* pPackets,
                                     std::size_t nBytes);
    int GetChannelFilterCoiefInfo(int nFirstChan, int nCount, const std::uint8_t* pPackets,
                                  std::size_t nBytes);
    int GetChannelBridgeVltCoiefInfo(int nFirstChan, int nCount, const std::uint8_t* pPackets,
                                     std::size_t nBytes);
    int GetChannelChargePulsCoiefInfo(int nFirstChan, int nCount, const std::uint8_t* pPackets,
                                      std::size_t nBytes);
    int GetChannelVltPulsCoiefInfo(int nFirstChan, int nCount, const std::uint8_t* pPackets,
                                   std::size_t nBytes);
    int GetChannelSensorCoiefInfo(int nFirstChan, int nCount, const std::uint8_t* pPackets,
                                  std::size_t nBytes);
    int GetChannelCurrentPulsCoiefInfo(int nFirstChan, int nCount, const std::uint8_t* pPackets,
                                       std::size_t nBytes);

    // Coefficient lookups; 1.0 for a missing, zero or unreadable coefficient.
    float GetChannelFullCoief(int nChannel, int nCode);
    float GetChannelIntegrateCoief(int nChannel, int nCode);
    float GetChannelInputModePolarityCoief(int nChannel, int nCode);
    float GetChannelFilterCoief(int nChannel, int nCode);
    float GetChannelBrdgeVltCoief(int nChannel, int nCode);
    float GetChannelGainZeroCoief(int nChannel, int nCode);
    float GetChannelCurrentPulsCoief(int nChannel, int nCode);

    int GetAcqChannelTypeID(int nChannel);
    int GetAmpChannelTypeID(int nChannel);
    int GetChannelSubVersion(int nChannel);
    int GetChannelAmpPulsType(int nChannel);
    float GetChannelPulsCoief(int nChannel, int nPulsType, int nCode);
    float GetChannelSensorCoief(int nChannel, int nCode);
    float GetChannelSensorCoief(int nChannel);

    // Module-specific packet forms.
    int Get8807AcqAndAmpTypeInfo(int nFirstChan, int nCount, const std::uint8_t* pPackets,
                                 std::size_t nBytes);
    int Get8807AcqAndAmpTypeInfo_8808(int nModule, int nCount, const std::uint8_t* pPacket,
                                      std::size_t nBytes);
    int Get8810AmpTypeInfo(int nFirstChan, int nCount, const std::uint8_t* pPackets, std::size_t nBytes);
    int Get8839AcqAndAmpTypeInfo(int nModule, int nCount, const std::uint8_t* pPackets, std::size_t nBytes);
    int GetFullVoltageCoiefInfo_8808F(int nModule, int nCount, const std::uint8_t* pPacket,
                                      std::size_t nBytes);
    int GetGainZeroInfo(int nFirstChan, int nCount, const std::uint8_t* pPackets, std::size_t nBytes);

    void SaveAcqAndAmpTypeInfo_MGTD(int nChannel, int nAcqType, int nAmpType);
    void RegisteAcqTypeInfo(int nChannel, int nType);
    void RegisteAmpTypeInfo(int nChannel, int nType);
    int SaveFullVoltageCoiefInfo_1307(int nChannel, float fValue);

    // Serial numbers: 16 entries of 4 bytes for the channels of module m.
    int GetChannelSerialNumber(int nModule, const std::uint8_t* pPacket, std::size_t nBytes);
    int GetChannelOnlineFlag(int nChannel);
    int CheckChannelInfoPerfect(int nChannel);
    int VerifyChannelInfo(int nFirstChan, int nCount, const std::uint8_t* pPackets, std::size_t nBytes);
    int GetChannelVerifyInfo(int nChannel);

    // Type-definition file.
    void SetChannelDefaultType(int nChannel, int nTypeCode);
    void SetChannelCombinedType(int nChannel);

    // Helpers, exported for the tests and the wrapper.
    // Parses one packet of nLen valid bytes (at most 256); 1 when it wrote coefficients.
    int ParseChanCoief(int nChannel, const _CHANNEL_PARAM& param, int nLen, int nKind);
    float PickupChanCoief(int nChannel, int nKind, int nCode);
    // Positions of the last code item and the first coefficient item of the
    // kind whose bytes lie wholly within the first nLen bytes; outputs are
    // left unchanged when nothing matches.
    void GetCoiefInfoSavePos(const _CHANNEL_PARAM& param, int nLen, int nKind, int& nCodePos,
                             int& nCoiefPos) const;
    int GetParamItemCount(const _CHANNEL_PARAM& param, int nPos) const;
    int GetParamItemCode(const _CHANNEL_PARAM& param, int nPos, int nIndex) const;
    float GetParamItemCoief(const _CHANNEL_PARAM& param, int nPos, int nIndex) const;
    bool GetParamItemFrefix(int nKind, std::string& strPrefix) const;
    std::string GetAcqInfoSectionName(int nChannel) const;
    std::string GetAmpInfoSectionName(int nChannel) const;
    std::string GetInfoFileName() const;
    static void ClearReadOnly(const std::string& strPath);
    static int GetChanInfoPacketLenth(int nModuleType);

private:
    int GetChannelSerianNo(int nChannel) const;
    // Runs the coefficient parse of one kind over count packets; 0 for a short
    // buffer, else 1 or (unless bAlwaysOne) the result of the last parse.
    int ParseCoiefPackets(int nFirstChan, int nCount, const std::uint8_t* pPackets, std::size_t nBytes,
                          int nKind, bool bAlwaysOne);
    // Copies packet i (of the module type's length) into a zeroed record.
    void LoadPacket(const std::uint8_t* pPackets, int nIndex, int nLen, _CHANNEL_PARAM& param) const;
    bool PacketsFit(int nCount, int nLen, std::size_t nBytes) const;
    void WriteCoiefItems(const std::string& strFile, const std::string& strSection,
                         const _CHANNEL_PARAM& param, int nCodePos, int nCoiefPos, int nKind,
                         bool bReverseBytes);
    float ReadCoief(const _CHANNEL_PARAM& param, int nPos, int nIndex, bool bReverseBytes) const;
    std::string GetTypeDefFileName() const;
    int FindTypeIndex(const std::string& strTypeFile, const char* pszCountKey, const char* pszSection,
                      int nAcqOrAmpType, int nAmpVersion, bool bAmp) const;

    std::string m_strInfoFile;
    std::string m_strSerialNoFile;
    std::int32_t m_nSerialGroupSize;
    std::int32_t m_nModuleChanStride;
    bool m_bSerialNoMode;
    std::int32_t m_nModuleType;
    std::string m_strAmpTypeKey;
    std::string m_strAcqTypeKey;
};
