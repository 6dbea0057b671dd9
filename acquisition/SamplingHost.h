// What the sampling side needs from the main frame: its bars, views, project
// handling, status bar, file dialogs and forwarding server. The main frame
// implements it; tests give recorders. Every call comes on the
// user-interface thread unless its comment says otherwise.
#pragma once

#include "app/GlobalDataLock.h"
#include "app/ProjectState.h"
#include "app/SampleSettings.h"
#include "platform/Sync.h"

#include <cstdint>
#include <string>
#include <vector>

class CCommBase;
struct CaseSampleBlock;

class SamplingHost {
public:
    virtual ~SamplingHost() = default;

    // The frame's communication object (any thread); nullptr when none exists.
    virtual CCommBase* GetComm() = 0;
    // The frame's current project (folder, name, state, counts, settings).
    virtual CProjectState& GetProject() = 0;
    // Guards the value arrays shared with the views and the files written
    // during a run (the frame's global data lock).
    virtual platform::CriticalSection& GetDataLock() { return g_csData; }

    // Sampling-parameter bar: the validated record (false when the bar
    // refuses its inputs), showing a record again, enabling its inputs.
    virtual bool GetSampleSettings(SampleSettings& settings) {
        settings = GetProject().m_SampleSettings;
        return true;
    }
    virtual void ShowSampleSettings(const SampleSettings&) {}
    virtual void EnableSampleInputs(bool) {}
    virtual void EnableChannelBar(bool) {}
    // Channels selected in the channel-parameter bar, in selection order.
    virtual std::vector<int> GetSelectedChannels() { return {}; }
    // The bar asks the cases for the channel parameters again (WM_USER+1246).
    virtual void SendChannelParams() {}

    // Project handling.
    virtual bool ConfirmProjectForSampling() { return true; }
    virtual void PrepareProject(const std::string&) {}
    virtual void SetProjectState(int state) { GetProject().m_nProjectState = state; }
    virtual void WriteProjectFile() {}
    virtual void WriteDeviceType() {}
    virtual void SaveChannelParamFile() {}
    virtual void ResetDataCounters() {}
    // Stop rights: false when the operator cancels the verification.
    virtual bool VerifyStopRights() { return true; }

    // Views.
    virtual void PrepareViewsForSampling() {}
    virtual void ResetAllViews() {}
    virtual void ResetViewData(int) {}
    virtual void ReloadViewData(bool /*append*/) {}
    virtual void EnsureRealtimeTableView() {}
    virtual void RefreshTableViews() {}
    virtual void ShowBalanceTableView() {}
    virtual void StartResultWorkers(int /*storedCount*/) {}
    // Every open curve view updates its rows from..to of the current block.
    virtual void MarkCurveRows(int /*from*/, int /*to*/) {}

    // Status bar: pane texts and the two data counts.
    virtual void SetStatusText(int /*pane*/, const std::string&) {}
    virtual void ShowDataCount(int /*count*/, int /*stored*/, bool /*sampling*/) {}

    // File dialog in a folder; false when cancelled.
    virtual bool ChooseFile(bool /*save*/, const std::string& /*filter*/, const std::string& /*title*/,
                            const std::string& /*folder*/, std::string& /*path*/) {
        return false;
    }

    // Remote-data forwarding server.
    virtual bool IsForwardingOn() { return false; }
    virtual void QueueForwardValues(const float*, int /*caseCount*/) {}
    virtual void BroadcastPacket(int /*type*/, std::int32_t /*value*/) {}
    virtual void StartForwardSender(int /*caseCount*/) {}
    virtual void StopForwardSender() {}

    // The spectrum windows' graph object: whether it exists, and the hand-over
    // of one analysis block per online channel (frame order).
    virtual bool HasSpectrumGraph() { return false; }
    virtual void FeedSpectrum(int /*blockSize*/, const std::vector<std::vector<float>>& /*buffers*/,
                              bool /*save*/) {}
    // At a run's start: the run's parameters go to the graph object, which
    // resets its windows. At its end: the windows re-read and redraw when
    // the graph object holds data.
    virtual void PassSpectrumRunParams() {}
    virtual void RefreshSpectrumViews() {}

    // Formula texts of the project's virtual channels, in channel order.
    virtual std::vector<std::string> GetVirtualChannelFormulas() { return {}; }

    // Lead-wire and self-test: the instrument file's test levels (0 first,
    // 1 second) and the progress window.
    virtual float GetTestLevel(int) { return 0.0f; }
    virtual void ShowProgressStep(int /*step*/, const std::string&) {}
    virtual void CloseProgress() {}
};
