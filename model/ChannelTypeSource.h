// Where the conversion and the hardware correction learn a channel's
// acquisition channel type and sub-version: the channel information of the
// case modules. Tests install their own source.
#pragma once

class IChannelTypeSource {
public:
    virtual ~IChannelTypeSource() = default;
    virtual int GetAcqChannelTypeID(int channel) = 0;
    virtual int GetChannelSubVersion(int channel) = 0;
};

// The source in use: the program's channel information unless one was set.
IChannelTypeSource& GetChannelTypeSource();
// nullptr restores the program's channel information.
void SetChannelTypeSource(IChannelTypeSource* source);
