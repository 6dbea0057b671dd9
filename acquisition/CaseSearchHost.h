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
    virtual int ShowMessage(const std::string& text, platform::UINT flags) = 0;
    // Pane 0 of the status bar.
    virtual void SetStatusText(const std::string& text) = 0;
    virtual void BeginWaitCursor() = 0;
    virtual void EndWaitCursor() = 0;
    // A trace line under a log name ("Sample", "Detect"), written only while
    // debug output is on.
    virtual void Log(const std::string& logName, const std::string& text) = 0;

    // Project.
    virtual int GetProjectState() = 0;
    virtual void CloseProject() = 0;
    virtual void SetProjectState(int state) = 0;
    virtual void ClearAppendingFlag() = 0;
    // The frame mode word that decides whether a detection asks first.
    virtual int GetFrameMode() = 0;
    // The network interface is in use and its listener is ready.
    virtual bool IsNetworkInterface() = 0;
    virtual bool IsNetworkReady() = 0;

    // Acquisition side.
    // Stops any acquisition on the cases; 0 when the cases did not answer.
    virtual int StopAcquisition() = 0;
    virtual void SetCasesFound(int found) = 0;
    virtual void SetBalanceValid(int valid) = 0;
    virtual void SetReadingChannelInfo(bool reading) = 0;
    // Sends the parameters of these channels to the cases.
    virtual int DownloadChannelParams(const std::vector<int>& channels) = 0;
    // Corrects the parameters of every channel for the found hardware.
    virtual void CorrectAllChannels() = 0;
    // Acquisition type of a channel from the channel information library.
    virtual int GetAcqChannelTypeID(int channel) = 0;
    // The found hardware offers the lead-wire and self-test measurements.
    virtual void UpdateLeadTestOffer() = 0;
    // The frame's strain reference channel is no longer an online strain channel.
    virtual void CheckStrainReference() = 0;
    virtual void RefreshTestGrids() = 0;
    virtual void RefreshLinkedCaseIps(const std::vector<std::string>& addresses) = 0;
    // Case version that sets the channels per module.
    virtual int GetCaseVersion() = 0;

    // Bars and views.
    virtual void RefreshChannelParamBar() = 0;
    virtual void ResetAllViews() = 0;
    virtual int RecreateSampleParamBar() = 0;
    virtual void ShowEventSamplingOption() = 0;
    virtual void PassParamsToGraphInterface(bool resetViews) = 0;
    virtual void RepaintFrame() = 0;

    // Links.
    virtual bool IsRemoteRequest() = 0;
    virtual void SetRemoteRequest(bool remote) = 0;
    virtual bool IsForwardingOn() = 0;
    virtual void BroadcastPacket(int type, const std::vector<std::uint8_t>& payload) = 0;
    virtual void NotifyCalibratorCasesChanged() = 0;
    virtual void SendKelvaneReply(int code) = 0;
    // Releases the process-wide case-operation lock when this thread holds it.
    virtual void ReleaseCaseOpMutex() = 0;
    // Pause after a stop before the cases are searched (ms).
    virtual void Sleep(std::uint32_t milliseconds) = 0;
};
