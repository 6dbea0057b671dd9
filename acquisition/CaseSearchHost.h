// What the case search and the case detection need from the main frame: its
// communication object, project, bars, views, status bar, cursor, logs and
// links. The frame implements it; tests give recorders. Every call comes on
// the user-interface thread.
#pragma once

#include "platform/Message.h"

#include <cstdint>
#include <string>
#include <vector>

class CCommBase;

class CaseSearchHost {
public:
    virtual ~CaseSearchHost() = default;

    virtual CCommBase* GetComm() = 0;

    // Message box captioned with the program title; returns the answer.
    virtual int ShowMessage(const std::string& text, platform::UINT flags);
    // Pane 0 of the status bar.
    virtual void SetStatusText(const std::string& text) {}
    virtual void BeginWaitCursor() {}
    virtual void EndWaitCursor() {}
    // A trace line under a log name ("Sample", "Detect"), written only while
    // debug output is on.
    virtual void Log(const std::string& logName, const std::string& text);

    // Project.
    virtual int GetProjectState() = 0;
    virtual void CloseProject() {}
    virtual void SetProjectState(int state) {}
    virtual void ClearAppendingFlag() {}
    // The frame mode word that decides whether a detection asks first.
    virtual int GetFrameMode() { return 0; }
    // The network interface is in use and its listener is ready.
    virtual bool IsNetworkInterface() { return true; }
    virtual bool IsNetworkReady() { return true; }

    // Acquisition side.
    // Stops any acquisition on the cases; 0 when the cases did not answer.
    virtual int StopAcquisition();
    virtual void SetCasesFound(int found) {}
    virtual void SetBalanceValid(int valid) {}
    virtual void SetReadingChannelInfo(bool reading) {}
    // Sends the parameters of these channels to the cases.
    virtual int DownloadChannelParams(const std::vector<int>& channels);
    // Corrects the parameters of every channel for the found hardware.
    virtual void CorrectAllChannels() {}
    // Acquisition type of a channel from the channel information library.
    virtual int GetAcqChannelTypeID(int channel);
    // The found hardware offers the lead-wire and self-test measurements.
    virtual void UpdateLeadTestOffer() {}
    // The frame's strain reference channel is no longer an online strain channel.
    virtual void CheckStrainReference() {}
    virtual void RefreshTestGrids() {}
    virtual void RefreshLinkedCaseIps(const std::vector<std::string>& addresses) {}
    // Case version that sets the channels per module.
    virtual int GetCaseVersion();

    // Bars and views.
    virtual void RefreshChannelParamBar() {}
    virtual void ResetAllViews() {}
    virtual int RecreateSampleParamBar() { return 1; }
    virtual void ShowEventSamplingOption() {}
    virtual void PassParamsToGraphInterface(bool resetViews) {}
    virtual void RepaintFrame() {}

    // Links.
    virtual bool IsRemoteRequest() { return false; }
    virtual void SetRemoteRequest(bool remote) {}
    virtual bool IsForwardingOn() { return false; }
    virtual void BroadcastPacket(int type, const std::vector<std::uint8_t>& payload) {}
    virtual void NotifyCalibratorCasesChanged() {}
    virtual void SendKelvaneReply(int code) {}
    // Releases the process-wide case-operation lock when this thread holds it.
    virtual void ReleaseCaseOpMutex() {}
    // Pause after a stop before the cases are searched (ms).
    virtual void Sleep(std::uint32_t milliseconds);
};
