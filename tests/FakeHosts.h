// Fake bases of the host interfaces for tests and benchmarks: every
// operation answers as a frame without bars, views, links or windows would,
// so a test overrides only what it records or steers. The program's hosts
// implement each operation themselves.
#pragma once

#include "acquisition/CaseConnections.h"
#include "acquisition/CaseLinkHost.h"
#include "acquisition/CaseSearch.h"
#include "acquisition/CaseSearchHost.h"
#include "acquisition/ChanInfoWrapper.h"
#include "acquisition/CommBase.h"
#include "acquisition/FrameTimers.h"
#include "acquisition/SamplingHost.h"
#include "model/AppSettings.h"
#include "model/CaseTables.h"
#include "model/DebugLogFiles.h"
#include "model/GlobalDataLock.h"
#include "platform/MessageBox.h"
#include "platform/Time.h"

struct FakeCaseLinkHost : CaseLinkHost {
    std::string GetProgramFolder() override { return {}; }
    void WriteLogFile(const std::string&, const std::string&) override {}
    int GetDelayChanInfo() override { return 10000; }
    int GetAverageCount() override { return 20; }
    bool IsClkSyncMode() override { return false; }
    bool IsSamplePaused() override { return false; }
    int GetFrequencyLevelCount() override { return 1; }
    float GetFrequency(int) override { return 10.0f; }
    int FindFrequencyLevel(float) override { return 0; }
    int GetDataThrow(int) override { return 0; }
    float GetChannelGainFactor(int) override { return 1.0f; }
    int GetMeasureType(int) override { return 5; }
    void ConvertSampleBlockInPlace(CaseSampleBlock*, int, int) override {}
    bool GetLinearStage(int, ModuleLinearStage&) override { return false; }
    void SetCurrentInfoCase(int) override {}
    void ParseChannelInfo(int, const std::uint8_t*) override {}
    void ShowMessage(const std::string&) override {}
};

// GetComm and GetProject stay for the test to give.
struct FakeSamplingHost : SamplingHost {
    platform::CriticalSection& GetDataLock() override { return g_csData; }
    bool GetSampleSettings(SampleSettings& settings) override {
        settings = GetProject().m_SampleSettings;
        return true;
    }
    void ShowSampleSettings(const SampleSettings&) override {}
    void EnableSampleInputs(bool) override {}
    void EnableChannelBar(bool) override {}
    std::vector<int> GetSelectedChannels() override { return {}; }
    void SendChannelParams() override {}
    bool ConfirmProjectForSampling() override { return true; }
    bool PrepareProject(const std::string&) override { return true; }
    void SetProjectState(int state) override { GetProject().m_nProjectState = state; }
    void WriteProjectFile() override {}
    void WriteDeviceType() override {}
    void SaveChannelParamFile() override {}
    void ResetDataCounters() override {}
    bool VerifyStopRights() override { return true; }
    void PrepareViewsForSampling() override {}
    void ResetAllViews() override {}
    void ResetViewData(int) override {}
    void ReloadViewData(bool) override {}
    void EnsureRealtimeTableView() override {}
    void RefreshTableViews() override {}
    void ShowBalanceTableView() override {}
    void StartResultWorkers(int) override {}
    bool ViewsDrawEverySet() override { return true; }
    // Every place, as a view of all channels and digital words reads.
    std::vector<int> EverySetPlaces() override {
        std::vector<int> places(4096 + 8);
        for (std::size_t p = 0; p < places.size(); ++p)
            places[p] = static_cast<int>(p);
        return places;
    }
    void MarkCurveRows(int, int) override {}
    void SetStatusText(int, const std::string&) override {}
    void ShowDataCount(int, int, bool) override {}
    bool ChooseFile(bool, const std::string&, const std::string&, const std::string&, std::string&) override {
        return false;
    }
    bool IsForwardingOn() override { return false; }
    void QueueForwardValues(const float*, int) override {}
    void BroadcastPacket(int, std::int32_t) override {}
    void StartForwardSender(int) override {}
    void StopForwardSender() override {}
    bool HasSpectrumGraph() override { return false; }
    void FeedSpectrum(int, const std::vector<std::vector<float>>&, bool) override {}
    void PassSpectrumRunParams() override {}
    void RefreshSpectrumViews() override {}
    std::vector<std::string> GetVirtualChannelFormulas() override { return {}; }
    float GetTestLevel(int) override { return 0.0f; }
    void ShowProgressStep(int, const std::string&) override {}
    void CloseProgress() override {}
};

// GetComm and GetProjectState stay for the test to give.
struct FakeCaseSearchHost : CaseSearchHost {
    int ShowMessage(const std::string& text, platform::UINT flags) override {
        return platform::MessageBox(text, g_strAppTitle, flags);
    }
    void SetStatusText(const std::string&) override {}
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}
    void Log(const std::string& logName, const std::string& text) override {
        if (g_bOutDebugInfo)
            ::WriteLogFile(logName, text);
    }
    void CloseProject() override {}
    void SetProjectState(int) override {}
    void ClearAppendingFlag() override {}
    int GetFrameMode() override { return 0; }
    bool IsNetworkInterface() override { return true; }
    bool IsNetworkReady() override { return true; }
    int StopAcquisition() override { return StopCaseAcquisition(GetComm()); }
    void SetCasesFound(int) override {}
    void SetBalanceValid(int) override {}
    void SetReadingChannelInfo(bool) override {}
    int DownloadChannelParams(const std::vector<int>& channels) override {
        CCommBase* comm = GetComm();
        return comm ? comm->SetChannelParams(channels) : 0;
    }
    void CorrectAllChannels() override {}
    int GetAcqChannelTypeID(int channel) override { return g_ChanInfo.GetAcqChannelTypeID(channel); }
    void UpdateLeadTestOffer() override {}
    void CheckStrainReference() override {}
    void RefreshTestGrids() override {}
    void RefreshLinkedCaseIps(const std::vector<std::string>&) override {}
    int GetCaseVersion() override { return g_nPriCaseVersion; }
    void RefreshChannelParamBar() override {}
    void ResetAllViews() override {}
    int RecreateSampleParamBar() override { return 1; }
    void ShowEventSamplingOption() override {}
    void PassParamsToGraphInterface(bool) override {}
    void RepaintFrame() override {}
    bool IsRemoteRequest() override { return false; }
    void SetRemoteRequest(bool) override {}
    bool IsForwardingOn() override { return false; }
    void BroadcastPacket(int, const std::vector<std::uint8_t>&) override {}
    void NotifyCalibratorCasesChanged() override {}
    void SendKelvaneReply(int) override {}
    void ReleaseCaseOpMutex() override {}
    void Sleep(std::uint32_t milliseconds) override { platform::Sleep(milliseconds); }
};

// GetComm stays for the test to give.
struct FakeCaseConnectionsHost : CaseConnectionsHost {
    bool IsNetworkInterface() override { return true; }
    bool HasStatusBar() override { return true; }
    void SetStatusText(const std::string&) override {}
    void AddToConnectionWindow(const std::string&) override {}
    void UpdateConnectionWindow() override {}
    bool IsModuleInfoVisible() override { return false; }
    void SetModuleInfoText(const std::string&) override {}
    std::vector<CaseTableRecord> GetCaseTable() override { return {}; }
    void SetCasesFound(int) override {}
    void SetDeviceConnected(int) override {}
};

// GetConnectedCount, GetProjectState, DetectCases and Now stay for the test to give.
struct FakeFrameTimersHost : FrameTimersHost {
    bool HasStatusBar() override { return true; }
    void SetStatusText(const std::string&) override {}
    void KillTimer(int) override {}
    void ShowMessage(const std::string&, platform::UINT) override {}
    int GetAutoDetectTimeout() override { return g_nAutoDetectCaseOutTime; }
};
