// What the remote-command dispatcher needs of the main frame: the state that
// decides whether a command may run, the user commands it runs, and the
// remote-request flag through which those commands know who asked.
#pragma once

#include <vector>

class IRemoteCommandHost {
public:
    virtual ~IRemoteCommandHost() = default;

    // The remote-request flag: set before a command runs, read by the
    // commands to skip their questions, cleared once they have reported.
    virtual bool IsRemoteRequest() = 0;
    virtual void SetRemoteRequest(bool bRemote) = 0;

    // A run (or a balance acquisition) is active.
    virtual bool IsRunActive() = 0;
    // The Start command may be used now.
    virtual bool CanStartSample() = 0;
    // The forwarding server exists and forwarding is on.
    virtual bool IsForwardingOn() = 0;

    // The user commands: case search, balance, start and stop of a run.
    virtual void DetectCase() = 0;
    virtual void Balance() = 0;
    virtual void StartSample() = 0;
    virtual void StopSample() = 0;

    // The current value of every online channel, in channel-list order,
    // copied under whatever lock guards the frame's value buffer.
    virtual void GetCurrentValues(std::vector<float>& values) = 0;
};
