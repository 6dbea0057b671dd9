// The channel parameters and conversions the data files use, behind a small
// interface so that the readers and calculations do not depend on where the
// channel tables live.
#pragma once

#include "datafiles/SampleFileFormat.h"

#include <cstddef>

struct ChannelParamView {
    int nMeasureType = 0; // 0 strain/stress, 2 thermocouple, 3 RTD, 20 bridge mode
    int bEnabled = 1;
    int nDisplayType = 0; // 1 shown as stress
    float fPoisson = 0.0f;
    float fModulus = 0.0f; // GPa
};

class IChannelTable {
public:
    virtual ~IChannelTable() = default;
    // Engineering value of reading (channel mod 16) of the channel's block.
    virtual double ConvertBlockChannelValue(int channel, const CaseSampleBlock& block) const = 0;
    // The same value as a float for n blocks spaced stride blocks apart: the
    // readers convert a chunk of a channel in one call, which a table can do
    // without a dispatch per value.
    virtual void ConvertBlockChannelValues(int channel, const CaseSampleBlock* blocks, std::size_t stride,
                                           int n, float* out) const {
        for (int k = 0; k < n; ++k)
            out[k] = float(ConvertBlockChannelValue(channel, blocks[std::size_t(k) * stride]));
    }
    virtual double ConvertRawToValue(int channel, float raw) const = 0;
    virtual ChannelParamView GetChannelParam(int channel) const = 0;
};
