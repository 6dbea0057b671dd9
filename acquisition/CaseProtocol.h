// Base of the case-protocol encoders: one virtual builder per operation on
// the cases, each writing its command into the calling thread's command
// buffer and returning the length (0 = this encoder has no such command).
#pragma once

#include <cstdint>
#include <string>

class CCaseProtocol {
public:
    static constexpr int kCommandBufferSize = 4096;

    CCaseProtocol() = default;
    virtual ~CCaseProtocol() = default;
    CCaseProtocol(const CCaseProtocol&) = delete;
    CCaseProtocol& operator=(const CCaseProtocol&) = delete;

    // The buffer of the calling thread: links build on their own threads, so
    // each gets its own bytes and no build overwrites another thread's command.
    std::uint8_t* GetCommandBuffer() const;

    void SetCommandMode(std::int32_t mode) { m_nCommandMode = mode; }
    std::int32_t GetCommandMode() const { return m_nCommandMode; }

    int BuildFramedCommand(std::uint8_t command, std::uint16_t fieldA, std::uint16_t fieldB,
                           std::uint8_t payloadLength, const std::uint8_t* payload);
    // The three trailing arguments of the original builder are ignored.
    int BuildLongFramedCommand(std::uint16_t payloadLength, const std::uint8_t* payload, int = 0, int = 0,
                               int = 0);

    virtual int BuildCmd1(int caseNo, int p1, int p2) { return 0; }
    virtual int BuildCmd2(int caseNo) { return 0; }
    virtual int BuildCmd3(int caseNo) { return 0; }
    virtual int BuildCmd4(int caseNo) { return 0; }
    virtual int BuildPackedCmd5(int addrHigh, int addrLow, int caseNo, int, const std::string& panId,
                                const std::string& target) {
        return 0;
    }
    virtual int BuildPackedCmd6(int addrHigh, int addrLow, int caseNo, int) { return 0; }
    virtual int BuildPackedCmd7(int addrHigh, int addrLow, int caseNo, int) { return 0; }
    virtual int BuildCmd8(int caseNo) { return 0; }
    virtual int ReservedSlot9() { return 0; }
    virtual int BuildCmd10(int caseNo) { return 0; }
    virtual int BuildReadDataCmd(int caseNo) { return 0; }
    virtual int BuildFindCaseCmd(int caseNo) { return 0; }
    virtual int BuildCmd13(int caseNo) { return 0; }
    virtual int BuildMeasureCmd(int) { return 0; }
    virtual int BuildCmd15(int caseNo) { return 0; }
    virtual int BuildSingleChannelCmdA(int caseNo, int value) { return 0; }
    virtual int BuildSingleChannelReadCmd(int caseNo, int value) { return 0; }
    virtual int BuildSingleChannelCmdB(int caseNo, int value) { return 0; }
    virtual int BuildCmd19(int) { return 0; }
    virtual int BuildCmd20(int caseNo) { return 0; }
    virtual int BuildChannelSetupCmd(int caseNo) { return 0; }
    virtual int BuildChannelPrepareCmd(int caseNo) { return 0; }
    virtual int BuildMeasureCmdAgain(int) { return 0; }
    virtual int BuildCmd24(int) { return 0; }
    virtual int BuildSetupBroadcastCmd(int caseNo) { return 0; }
    virtual int BuildCmd26(int caseNo) { return 0; }
    virtual int BuildCmd27(int) { return 0; }
    virtual int BuildCmd28(int) { return 0; }
    virtual float GetChannelCoef(int channel, int fullScaleLevel, bool useBridge, bool useCurrent) {
        return 1.0f;
    }
    virtual int BuildSampleParamCmd(int mode) { return 0; }
    virtual int BuildModuleSwitchCmd(int on) { return 0; }
    virtual int BuildCaseInfoRequest() { return 0; }
    virtual int BuildSampleStopCmd() { return 0; }
    virtual int BuildChannelSettingCmd(int frequencyIndex) { return 0; }
    virtual int BuildChannelInfoRequest() { return 0; }
    virtual int BuildModuleChannelCmd(int channel) { return 0; }
    virtual int BuildCmd37(int value) { return 0; }

private:
    std::int32_t m_nCommandMode = 0;
};
