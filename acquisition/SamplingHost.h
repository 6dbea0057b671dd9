// What the sampling side needs from the main frame: its bars, views, project
// handling, status bar, file dialogs and forwarding server. The main frame
// implements it; tests give recorders. Every call comes on the
// user-interface thread unless its comment says otherwise.
#pragma once

#include "model/GlobalDataLock.h"
#include "model/ProjectState.h"
#include "model/SampleSettings.h"
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
    virtual platform::CriticalSection& GetDataLock() = 0;

    // Sampling-parameter bar: the validated record (false when the bar
    // refuses its inputs), showing a record again, enabling its inputs.
    virtual bool GetSampleSettings(SampleSettings& settings) = 0;
    virtual void ShowSampleSettings(const SampleSettings&) = 0;
    virtual void EnableSampleInputs(bool) = 0;
    virtual void EnableChannelBar(bool) = 0;
    // Channels selected in the channel-parameter bar, in selection order.
    virtual std::vector<int> GetSelectedChannels() = 0;
    // The bar asks the cases for the channel parameters again (WM_USER+1246).
    virtual void SendChannelParams() = 0;

    // Project handling.
    virtual bool ConfirmProjectForSampling() = 0;
    // False when the project could not be prepared; a remote request shows no message.
    virtual bool PrepareProject(const std::string&) = 0;
    virtual void SetProjectState(int state) = 0;
    virtual void WriteProjectFile() = 0;
    virtual void WriteDeviceType() = 0;
    virtual void SaveChannelParamFile() = 0;
    virtual void ResetDataCounters() = 0;
    // Stop rights: false when the operator cancels the verification.
    virtual bool VerifyStopRights() = 0;

    // Views.
    virtual void PrepareViewsForSampling() = 0;
    virtual void ResetAllViews() = 0;
    virtual void ResetViewData(int) = 0;
    virtual void ReloadViewData(bool /*append*/) = 0;
    virtual void EnsureRealtimeTableView() = 0;
    virtual void RefreshTableViews() = 0;
    virtual void ShowBalanceTableView() = 0;
    virtual void StartResultWorkers(int /*storedCount*/) = 0;
    // Whether an open view draws every set of a continuous run (a curve or
    // history view); the others take the newest set.
    virtual bool ViewsDrawEverySet() = 0;
    // The value-buffer places (channel places, then the 8 digital words)
    // that those views read.
    virtual std::vector<int> EverySetPlaces() = 0;
    // Every open curve view updates its rows from..to of the current block.
    virtual void MarkCurveRows(int /*from*/, int /*to*/) = 0;

    // Status bar: pane texts and the two data counts.
    virtual void SetStatusText(int /*pane*/, const std::string&) = 0;
    virtual void ShowDataCount(int /*count*/, int /*stored*/, bool /*sampling*/) = 0;

    // File dialog in a folder; false when cancelled.
    virtual bool ChooseFile(bool /*save*/, const std::string& /*filter*/, const std::string& /*title*/,
                            const std::string& /*folder*/, std::string& /*path*/) = 0;

    // Remote-data forwarding server.
    virtual bool IsForwardingOn() = 0;
    virtual void QueueForwardValues(const float*, int /*caseCount*/) = 0;
    virtual void BroadcastPacket(int /*type*/, std::int32_t /*value*/) = 0;
    virtual void StartForwardSender(int /*caseCount*/) = 0;
    virtual void StopForwardSender() = 0;

    // The spectrum windows' graph object: whether it exists, and the hand-over
    // of one analysis block per online channel (frame order).
    virtual bool HasSpectrumGraph() = 0;
    virtual void FeedSpectrum(int /*blockSize*/, const std::vector<std::vector<float>>& /*buffers*/,
                              bool /*save*/) = 0;
    // At a run's start: the run's parameters go to the graph object, which
    // resets its windows. At its end: the windows re-read and redraw when
    // the graph object holds data.
    virtual void PassSpectrumRunParams() = 0;
    virtual void RefreshSpectrumViews() = 0;

    // Formula texts of the project's virtual channels, in channel order.
    virtual std::vector<std::string> GetVirtualChannelFormulas() = 0;

    // Lead-wire and self-test: the instrument file's test levels (0 first,
    // 1 second) and the progress window.
    virtual float GetTestLevel(int) = 0;
    virtual void ShowProgressStep(int /*step*/, const std::string&) = 0;
    virtual void CloseProgress() = 0;
};
