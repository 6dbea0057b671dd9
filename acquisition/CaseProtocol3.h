// The encoder of the network cases (model QV7416): framed commands with the
// XOR check, and the channel-parameter commands built from the channel tables.
#pragma once

#include "acquisition/CaseChannelSource.h"
#include "acquisition/CaseProtocol.h"

#include <cstdint>
#include <initializer_list>
#include <vector>

class CCaseProtocol3 : public CCaseProtocol {
public:
    explicit CCaseProtocol3(CaseChannelSource* source = nullptr) : m_pSource(source) {}
    ~CCaseProtocol3() override = default;

    void SetChannelSource(CaseChannelSource* source) { m_pSource = source; }
    CaseChannelSource* GetChannelSource() const { return m_pSource; }

    float GetChannelCoef(int channel, int fullScaleLevel, bool useBridge, bool useCurrent) override;
    int BuildSampleParamCmd(int mode) override;
    int BuildModuleSwitchCmd(int on) override;
    int BuildCaseInfoRequest() override;
    int BuildSampleStopCmd() override;
    int BuildChannelSettingCmd(int frequencyIndex) override;
    int BuildChannelInfoRequest() override;
    int BuildModuleChannelCmd(int channel) override;
    int BuildCmd37(int value) override;

    int BuildModuleCmdF0();
    int BuildModuleCmdF1(const std::uint8_t block[21]);
    int BuildModuleCmdF2(const std::uint8_t block[13]);
    int BuildCorrectionCoefCmd(int channel, int b1, int b2, std::int32_t value);
    int BuildLeadDataRequest();
    int BuildSelfTestRequest();
    int BuildChannelParamCmd(int channel);
    // channels: numbers within case caseNo (0..127); others are skipped.
    int BuildChannelParamsCmd(const std::vector<int>& channels, int caseNo);

    // Stores the three coefficients of channel c in its range record.
    void ComputeChannelCoefs(int channel);

private:
    struct ChannelCodes {
        CaseChannelSettings settings;
        int nFullCode = 0;
        int nInputCode = 0;
        int nBridgeCode = 0;
        int nGaugeClass = 1;
        bool bTypeFullScale = false;
    };
    struct Coefs {
        float full = 1.0f, bridge = 1.0f, current = 1.0f;
    };

    int Frame(std::initializer_list<std::uint8_t> payload);
    bool ReadCodes(int channel, ChannelCodes& codes);
    Coefs ReadCoefs(int channel, int fullCode, int bridgeCode);
    int AppendChannelItem(std::vector<std::uint8_t>& payload, int caseNo, int channelInCase);

    CaseChannelSource* m_pSource;
};
