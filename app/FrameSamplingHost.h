// The main frame as the sampling side and the remote-command dispatcher see
// it: one adapter that turns their host calls into the frame's bars, views,
// project handling, status bar and forwarding server.
#pragma once

#include "acquisition/RemoteCommandHost.h"
#include "acquisition/SamplingHost.h"

class CMainFrame;
class CSamplingControl;

class CFrameSamplingHost : public SamplingHost, public IRemoteCommandHost {
public:
    explicit CFrameSamplingHost(CMainFrame& frame) : m_frame(frame) {}

    // The sampling side holds the one remote-request flag; set once it exists.
    void SetSampling(CSamplingControl* sampling) { m_pSampling = sampling; }

    // SamplingHost.
    CCommBase* GetComm() override;
    CProjectState& GetProject() override;
    bool GetSampleSettings(SampleSettings& settings) override;
    void ShowSampleSettings(const SampleSettings& settings) override;
    void EnableSampleInputs(bool enable) override;
    void EnableChannelBar(bool enable) override;
    void SendChannelParams() override;
    bool ConfirmProjectForSampling() override;
    bool PrepareProject(const std::string& projectFilePath) override;
    void SetProjectState(int state) override;
    void WriteProjectFile() override;
    void WriteDeviceType() override;
    void SaveChannelParamFile() override;
    void ResetDataCounters() override;
    void ResetAllViews() override;
    void ReloadViewData(bool append) override;
    void RefreshTableViews() override;
    bool ViewsDrawEverySet() override;
    std::vector<int> EverySetPlaces() override;
    void MarkCurveRows(int from, int to) override;
    void SetStatusText(int pane, const std::string& text) override;
    void ShowDataCount(int count, int stored, bool sampling) override;
    bool ChooseFile(bool save, const std::string& filter, const std::string& title, const std::string& folder,
                    std::string& path) override;
    void QueueForwardValues(const float* values, int caseCount) override;
    void BroadcastPacket(int type, std::int32_t value) override;
    void StartForwardSender(int caseCount) override;
    void StopForwardSender() override;
    bool HasSpectrumGraph() override;
    void FeedSpectrum(int blockSize, const std::vector<std::vector<float>>& buffers, bool save) override;
    void PassSpectrumRunParams() override;
    void RefreshSpectrumViews() override;
    void ShowProgressStep(int step, const std::string& text) override;
    void CloseProgress() override;
    platform::CriticalSection& GetDataLock() override;
    std::vector<int> GetSelectedChannels() override;
    bool VerifyStopRights() override;
    void PrepareViewsForSampling() override;
    void ResetViewData(int kind) override;
    void EnsureRealtimeTableView() override;
    void ShowBalanceTableView() override;
    void StartResultWorkers(int storedCount) override;
    std::vector<std::string> GetVirtualChannelFormulas() override;
    float GetTestLevel(int level) override;

    // IRemoteCommandHost and SamplingHost alike.
    bool IsForwardingOn() override;

    // IRemoteCommandHost.
    bool IsRemoteRequest() override;
    void SetRemoteRequest(bool remote) override;
    bool IsRunActive() override;
    bool CanStartSample() override;
    void DetectCase() override;
    void Balance() override;
    void StartSample() override;
    void StopSample() override;
    void GetCurrentValues(std::vector<float>& values) override;

private:
    CMainFrame& m_frame;
    CSamplingControl* m_pSampling = nullptr;
};
