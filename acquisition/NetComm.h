// The network transport: the communication object that reaches the cases
// through the network case driver, one TCP link per case.
#pragma once

#include "acquisition/CaseProgramHost.h"
#include "acquisition/CommBase.h"
#include "acquisition/NetCaseDriver.h"
#include "model/CaseTables.h"

#include <cstdint>
#include <vector>

class CNetComm : public CCommBase {
public:
    static constexpr std::uint16_t kCasePort = 5001;
    static constexpr int kMaxControllers = 32;

    // Without a host the transport works on the program's own tables and settings.
    explicit CNetComm(CaseLinkHost* host, std::uint16_t port = kCasePort);
    ~CNetComm() override;

    CNetCaseDriver& GetDriver() { return m_driver; }
    const std::vector<ControllerRecord>& GetControllerTable() const { return m_controllers; }
    int GetCaseNumberConflict() const { return m_bCaseNoConflict; }
    int GetCaseStatus() const { return m_nCaseStatus; }
    const std::int32_t* GetPresentCases() const { return m_PresentCases; }

    int SetOwner(platform::HWND owner) override;
    int StartAcquire() override { return 1; }
    int ResetDevice() override { return 1; }
    int SetCaseVoltages(int, int, int, int) override { return 1; }
    void DisconnectAll() override { m_driver.DisconnectAll(); }
    bool PollSampleData(CaseSampleBlock* blocks) override { return m_driver.PollSampleData(blocks); }
    void RequestSampleData() override { m_driver.RequestSampleData(); }
    int FindCases() override;
    // Called by the main frame before each channel during the acquisition start.
    int SetSingleChannelParams(int channel) { return m_driver.SetSingleChannelParams(channel); }
    int ReadChannelInfo() override;
    int SetChannelParams(const std::vector<int>& channels) override {
        return m_driver.SetChannelParams(channels);
    }
    int StartSampling() override;
    int StopSampling() override { return m_driver.StopSampling(); }
    int SetSampleMode(int mode) override;
    void SetSampleParams(const std::int32_t params[20]) override { m_driver.SetSampleParams(params); }
    void SetCaseDataFile(const std::string& folder, const std::string& name) override {
        m_driver.SetCaseDataFile(folder, name);
    }
    int SetCaseOption(std::uint8_t flag, std::int32_t value) override;
    int SetCaseDataSaving(int flag) override;
    void SetProjectState(int state) override { m_driver.SetProjectState(state); }
    int FlushCaseData() override { return m_driver.FlushCaseData(1); }
    int FlushCaseDataNoClose() override { return m_driver.FlushCaseData(0); }
    std::vector<std::string> GetLinkedCaseIps() override { return m_driver.GetLinkedCaseIps(); }
    int SendCorrectionCoef(int channel, int b1, int b2, std::int32_t value) override {
        return m_driver.SendCorrectionCoef(channel, b1, b2, value);
    }
    int RequestLeadData(int) override { return m_driver.RequestLeadData(); }
    int ReadLeadData(CaseSampleBlock* first, CaseSampleBlock* second, int) override;
    int RequestSelfTestData() override { return m_driver.RequestSelfTestData(); }
    int ReadSelfTestData(CaseSampleBlock* first, CaseSampleBlock* second) override;
    int SendCaseCommand36(int value) override { return m_driver.SendCaseCommand36(value); }
    int SendModuleCmdF0(platform::HWND sink, const std::string& address) override;
    int SendModuleCmdF1(platform::HWND sink, const std::string& address,
                        const std::uint8_t block[21]) override;
    int SendModuleCmdF2(platform::HWND sink, const std::string& address,
                        const std::uint8_t block[13]) override;
    int PauseSampling(int flag) override;
    std::int64_t GetSkippedSets() override { return m_driver.GetSkippedSets(); }

private:
    void FillControllerTable();

    CaseProgramHost m_programHost;
    CaseLinkHost* m_pHost;
    std::uint16_t m_nPort;
    CNetCaseDriver m_driver;
    std::int32_t m_PresentCases[CNetCaseDriver::kModuleCount] = {};
    std::vector<ControllerRecord> m_controllers;
    std::int32_t m_bCaseNoConflict = 0;
    std::int32_t m_nCaseStatus = 0;
};
