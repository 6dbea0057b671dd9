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

// The loop of IChannelTable::ConvertBlockReadings with the conversion a
// table's own, so that the table's override can inline it.
template <typename Convert>
void ConvertEachBlockReading(const CaseSampleBlock* blocks, std::size_t stride, int place, int n, float* out,
                             Convert convert) {
    for (int k = 0; k < n; ++k) {
        const CaseSampleBlock& block = blocks[std::size_t(k) * stride];
        const float raw = block.fValues[place];
        out[k] = IsSpecialValue(raw) ? raw : float(convert(block));
    }
}

class IChannelTable {
public:
    virtual ~IChannelTable() = default;
    // Engineering value of reading (channel mod 16) of the channel's block.
    virtual double ConvertBlockChannelValue(int channel, const CaseSampleBlock& block) const = 0;
    // The stored readers' values of a chunk of one channel: n blocks spaced
    // stride blocks apart, each the float of ConvertBlockChannelValue or the
    // reading at place itself where that is a stored marker. One call a
    // chunk, which a table can serve without a dispatch a value.
    virtual void ConvertBlockReadings(int channel, const CaseSampleBlock* blocks, std::size_t stride,
                                      int place, int n, float* out) const {
        ConvertEachBlockReading(blocks, stride, place, n, out, [&](const CaseSampleBlock& block) {
            return ConvertBlockChannelValue(channel, block);
        });
    }
    virtual double ConvertRawToValue(int channel, float raw) const = 0;
    virtual ChannelParamView GetChannelParam(int channel) const = 0;
};
