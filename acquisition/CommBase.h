// The one communication object through which the main frame reaches the
// acquisition cases: every operation on the cases as a virtual operation
// with a harmless default, and the case-protocol encoder it owns.
#pragma once

#include "acquisition/CaseProtocol3.h"
#include "model/CaseSampleBlock.h"
#include "platform/Message.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CCommBase {
public:
    CCommBase() = default;
    virtual ~CCommBase();
    CCommBase(const CCommBase&) = delete;
    CCommBase& operator=(const CCommBase&) = delete;

    // Stores the model type and creates the encoder of model type 3 (command mode 0).
    void CreateProtocol(int modelType, CaseChannelSource* source = nullptr);
    void DeleteProtocol();
    CCaseProtocol3* GetProtocol() const { return m_pProtocol.get(); }
    int GetModelType() const { return m_nModelType; }
    platform::HWND GetOwner() const { return m_hOwner; }

    virtual int SetOwner(platform::HWND owner) {
        m_hOwner = owner;
        return 1;
    }
    virtual void ReservedSlot2() {}
    virtual int ReservedSlot3() { return 0; }
    virtual int Open(int port, int baudRate) { return 0; }
    virtual int Close() { return 0; }
    virtual int TriggerMeasurement() { return 0; }
    virtual int TriggerMeasurementNoReset() { return 0; }
    virtual int StartAcquire() { return 0; }
    virtual int ResetDevice() { return 0; }
    virtual int SendSerialCmd19() { return 0; }
    virtual int ReadSampleSet(CaseSampleBlock* blocks) { return 0; }
    virtual int ReadSampleSetNet(CaseSampleBlock* blocks) { return 0; }
    virtual int SerialOp13(CaseSampleBlock* blocks) { return 0; }
    virtual int ReadData(int caseNo) { return 0; }
    virtual int SetCaseVoltagesAlt(int channel, int mode, int a, int b) { return 0; }
    virtual int SetCaseVoltages(int channel, int mode, int bridgeIndex, int fullIndex) { return 0; }
    virtual int SetModuleGroup(int caseNo, const std::string& panId, const std::string& target) { return 0; }
    virtual void DisconnectAll() {}
    virtual int SingleChannelCmdA(int first, int second) { return 0; }
    virtual int SingleChannelRead(int first, int second, std::uint16_t& result) { return 0; }
    virtual int SingleChannelCmdB(int first, int second) { return 0; }
    virtual bool PollSampleData(CaseSampleBlock* blocks) { return false; }
    virtual void RequestSampleData() {}
    // Every transport supplies its own search; the base finds nothing.
    virtual int FindCases() { return 0; }
    virtual int ReadChannelInfo() { return 0; }
    virtual int SetChannelParams(const std::vector<int>& channels) { return 0; }
    virtual int StartSampling() { return 0; }
    virtual int StopSampling() { return 0; }
    virtual int SetSampleMode(int mode) { return 0; }
    virtual void SetSampleParams(const std::int32_t params[20]) {}
    virtual void SetCaseDataFile(const std::string& folder, const std::string& name) {}
    virtual int SetCaseOption(std::uint8_t flag, std::int32_t value) { return 0; }
    virtual int SetCaseDataSaving(int flag) { return 0; }
    virtual void SetProjectState(int state) {}
    virtual int FlushCaseData() { return 0; }
    virtual int FlushCaseDataNoClose() { return 0; }
    virtual std::vector<std::string> GetLinkedCaseIps() { return {}; }
    virtual int SetShortCircuitMode(int value) { return 0; }
    virtual int SendCorrectionCoef(int channel, int b1, int b2, std::int32_t value) { return 0; }
    virtual int RequestLeadData(int value) { return 0; }
    virtual int ReadLeadData(CaseSampleBlock* first, CaseSampleBlock* second, int) { return 0; }
    virtual int RequestSelfTestData() { return 0; }
    virtual int ReadSelfTestData(CaseSampleBlock* first, CaseSampleBlock* second) { return 0; }
    virtual int ReservedSlot44() { return 0; }
    virtual int ReservedSlot45() { return 0; }
    virtual int SendCaseCommand36(int value) { return 0; }
    virtual int SetSpeedMode(int mode) { return 0; }
    // The controller network parameters: read, and the two write steps. The
    // controller's 90-byte block goes to the sink as message 0x872; 0 when no
    // exchange took place.
    virtual int SendModuleCmdF0(platform::HWND sink, const std::string& address) { return 0; }
    virtual int SendModuleCmdF1(platform::HWND sink, const std::string& address,
                                const std::uint8_t block[21]) {
        return 0;
    }
    virtual int SendModuleCmdF2(platform::HWND sink, const std::string& address,
                                const std::uint8_t block[13]) {
        return 0;
    }
    virtual int PauseSampling(int flag) { return 0; }
    // Sample sets of the current run left out of live processing because
    // the transport's queues were full.
    virtual std::int64_t GetSkippedSets() { return 0; }

private:
    std::int32_t m_nModelType = 0;
    platform::HWND m_hOwner = 0;
    std::unique_ptr<CCaseProtocol3> m_pProtocol;
};
