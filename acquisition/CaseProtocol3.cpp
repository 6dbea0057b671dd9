// Commands of the network cases and the channel-parameter encoding.
#include "acquisition/CaseProtocol3.h"

#include <cmath>
#include <map>

namespace {

constexpr int kStrain = 0;
constexpr int kBridgeSensor = 1;
constexpr int kVoltage = 5;

std::uint8_t Low(int value) {
    return static_cast<std::uint8_t>(value & 0xFF);
}

// A coefficient outside its window is a bad reading of the module: use 1.0.
float Windowed(float value, float low, float high) {
    const float magnitude = std::fabs(value);
    return (magnitude >= low && magnitude <= high) ? value : 1.0f;
}

} // namespace

int CCaseProtocol3::Frame(std::initializer_list<std::uint8_t> payload) {
    return BuildFramedCommand(0, 0, 0, static_cast<std::uint8_t>(payload.size()), payload.begin());
}

int CCaseProtocol3::BuildSampleParamCmd(int mode) {
    switch (mode) {
    case 1:
        return Frame({16, 1, 0, 0});
    case 2:
        return Frame({16, 1, 1, 0});
    case 3:
        return Frame({16, 1, 1, 1});
    default:
        return 0;
    }
}

int CCaseProtocol3::BuildModuleSwitchCmd(int on) {
    return Frame({3, 0xF0, 0, 0, 1, static_cast<std::uint8_t>(on ? 0xF1 : 0xF0)});
}

int CCaseProtocol3::BuildCaseInfoRequest() {
    return Frame({2, 11});
}
int CCaseProtocol3::BuildSampleStopCmd() {
    return Frame({11, 1});
}
int CCaseProtocol3::BuildChannelInfoRequest() {
    return Frame({2, 3});
}
int CCaseProtocol3::BuildLeadDataRequest() {
    return Frame({8, 0});
}
int CCaseProtocol3::BuildSelfTestRequest() {
    return Frame({8, 5});
}
int CCaseProtocol3::BuildModuleCmdF0() {
    return Frame({2, 0xF0});
}

int CCaseProtocol3::BuildChannelSettingCmd(int n) {
    int p = 0, d = 0, k = 0;
    if (m_pSource) {
        p = m_pSource->GetParaCode(n);
        d = m_pSource->GetDataRatio(n);
        k = m_pSource->GetPackageRatio(n);
    }
    return Frame({8, 3, 0, 0, Low(p), Low(p), 0, Low(d), Low(k)});
}

int CCaseProtocol3::BuildModuleChannelCmd(int c) {
    return Frame({6, 3, Low((c / 16) % 8), Low(c % 16), 0});
}

int CCaseProtocol3::BuildCmd37(int value) {
    return Frame({6, 5, Low(value)});
}

int CCaseProtocol3::BuildModuleCmdF1(const std::uint8_t block[21]) {
    std::uint8_t payload[21] = {2, 0xF1};
    for (int i = 2; i < 21; ++i)
        payload[i] = block[i];
    return BuildFramedCommand(0, 0, 0, sizeof payload, payload);
}

int CCaseProtocol3::BuildModuleCmdF2(const std::uint8_t block[13]) {
    std::uint8_t payload[13] = {2, 0xF2};
    for (int i = 2; i < 13; ++i)
        payload[i] = block[i];
    return BuildFramedCommand(0, 0, 0, sizeof payload, payload);
}

int CCaseProtocol3::BuildCorrectionCoefCmd(int c, int b1, int b2, std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    // The case knows its channels by their place in the case: module, then
    // channel, whatever case the global channel number names.
    const int place = ((c % 128) + 128) % 128;
    return Frame({2, 2, Low(place / 16), Low(place % 16), 1, Low(b1), Low(b2), Low(u >> 24), Low(u >> 16),
                  Low(u >> 8), Low(u)});
}

bool CCaseProtocol3::ReadCodes(int c, ChannelCodes& codes) {
    if (!m_pSource || !m_pSource->GetChannelSettings(c, codes.settings))
        return false;
    const CaseChannelSettings& s = codes.settings;
    const int typeId = m_pSource->GetAcqChannelTypeID(c);
    const int subVersion = m_pSource->GetChannelSubVersion(c);
    const bool subVersionMatches = m_pSource->MatchesSubVersion(typeId, subVersion);
    codes.bTypeFullScale = m_pSource->GetTypeFullValueCount(typeId, s.nMeasureType) > 0 && subVersionMatches;
    const bool typeBridge =
        m_pSource->GetTypeBridgeVoltageCount(typeId, s.nMeasureType) > 0 && subVersionMatches;
    codes.nFullCode = codes.bTypeFullScale
                          ? m_pSource->GetTypeFullValueCode(typeId, s.nFullScaleLevel, s.nMeasureType)
                          : m_pSource->GetFullValueCode(s.nFullScaleLevel);
    codes.nBridgeCode = typeBridge
                            ? m_pSource->FindTypeBridgeVoltageCode(typeId, s.fBridgeVoltage, s.nMeasureType)
                            : m_pSource->FindBridgeVoltageCode(s.fBridgeVoltage);
    if (s.nMeasureType == kStrain)
        codes.nInputCode = m_pSource->GetInputModeCode(s.nBridgeType);
    else if (s.nMeasureType == kBridgeSensor)
        codes.nInputCode =
            m_pSource->GetInputModeCode(m_pSource->GetSensorInputModeIndex(s.nSensorInputMode));
    else
        codes.nInputCode = m_pSource->GetInputModeCode(6);
    codes.nGaugeClass = s.fGaugeResistance >= 150.0f ? 2 : 1;
    return true;
}

CCaseProtocol3::Coefs CCaseProtocol3::ReadCoefs(int c, int fullCode, int bridgeCode) {
    Coefs coefs;
    coefs.full = Windowed(m_pSource->GetChannelFullCoief(c, fullCode), 0.5f, 1.5f);
    coefs.bridge = Windowed(m_pSource->GetChannelBrdgeVltCoief(c, bridgeCode), 0.8f, 1.2f);
    coefs.current = Windowed(m_pSource->GetChannelCurrentPulsCoief(c, 1), 0.8f, 1.2f);
    return coefs;
}

void CCaseProtocol3::ComputeChannelCoefs(int c) {
    ChannelCodes codes;
    if (!ReadCodes(c, codes))
        return;
    const Coefs coefs = ReadCoefs(c, codes.nFullCode, codes.nBridgeCode);
    m_pSource->StoreChannelCoefs(c, coefs.full, coefs.bridge, coefs.current);
}

float CCaseProtocol3::GetChannelCoef(int c, int level, bool useBridge, bool useCurrent) {
    ChannelCodes codes;
    if (!ReadCodes(c, codes))
        return 1.0f;
    const Coefs coefs = ReadCoefs(c, m_pSource->GetFullValueCode(level), codes.nBridgeCode);
    return coefs.full * (useBridge ? coefs.bridge : 1.0f) * (useCurrent ? coefs.current : 1.0f);
}

int CCaseProtocol3::BuildChannelParamCmd(int c) {
    ChannelCodes codes;
    if (!ReadCodes(c, codes))
        return 0;
    const Coefs coefs = ReadCoefs(c, codes.nFullCode, codes.nBridgeCode);
    m_pSource->StoreChannelCoefs(c, coefs.full, coefs.bridge, coefs.current);

    const std::uint8_t f = Low(codes.nFullCode);
    if (codes.bTypeFullScale)
        return Frame({3, 1, Low(c / 16), Low(c % 16), 1, 2, 2, 1, 0, f});
    const std::uint8_t m = Low(codes.nInputCode), v = Low(codes.nBridgeCode);
    if (codes.settings.nMeasureType == kStrain)
        return Frame({3, 1, Low(c / 16), Low(c % 16), 1, 6, 0, f, 15, m, 5, v, 12, 1, 14, 1, 0x90,
                      Low(codes.nGaugeClass)});
    return Frame({3, 1, Low(c / 16), Low(c % 16), 1, 5, 0, f, 15, m, 5, v, 12, 1, 14, 1});
}

int CCaseProtocol3::AppendChannelItem(std::vector<std::uint8_t>& payload, int caseNo, int n) {
    const int c = caseNo * 128 + n;
    ChannelCodes codes;
    if (!ReadCodes(c, codes))
        return 0;
    const Coefs coefs = ReadCoefs(c, codes.nFullCode, codes.nBridgeCode);
    m_pSource->StoreChannelCoefs(c, coefs.full, coefs.bridge, coefs.current);

    int inputCode = codes.nInputCode;
    const CaseChannelSettings& s = codes.settings;
    if (s.nMeasureType == kVoltage && m_pSource->IsGndInputMode() && s.nInputFlag == 1)
        inputCode = 1;
    if (s.nMeasureType == kStrain && GetCommandMode() == 4)
        inputCode = 1;
    payload.insert(payload.end(), {Low(n % 16), 6, 0, Low(codes.nFullCode), 15, Low(inputCode), 5,
                                   Low(codes.nBridgeCode), 12, 1, 14, 1, 0x90, Low(codes.nGaugeClass)});
    return 1;
}

int CCaseProtocol3::BuildChannelParamsCmd(const std::vector<int>& channels, int caseNo) {
    if (caseNo < 0)
        return 0;
    std::map<int, std::vector<int>> byModule;
    std::vector<int> moduleOrder;
    for (int n : channels) {
        if (n < 0 || n >= 128)
            continue; // not a channel of one case
        auto [it, added] = byModule.try_emplace(n / 16);
        if (added)
            moduleOrder.push_back(n / 16);
        it->second.push_back(n);
    }
    if (moduleOrder.empty())
        return 0;

    std::vector<std::uint8_t> payload{3, 14, Low(static_cast<int>(moduleOrder.size()))};
    for (int module : moduleOrder) {
        const std::vector<int>& list = byModule[module];
        if (list.size() > 255)
            return 0; // the count is one byte: a list this long is malformed
        payload.push_back(Low(module));
        payload.push_back(Low(static_cast<int>(list.size())));
        for (int n : list) {
            if (!AppendChannelItem(payload, caseNo, n))
                return 0;
        }
    }
    if (payload.size() > static_cast<std::size_t>(kCommandBufferSize - 9))
        return 0;
    return BuildLongFramedCommand(static_cast<std::uint16_t>(payload.size()), payload.data());
}
