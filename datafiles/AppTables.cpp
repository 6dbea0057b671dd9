// Reads the application's case tables and channel records for the data files.
#include "datafiles/AppTables.h"

#include "model/CaseTables.h"
#include "model/ChannelRecords.h"
#include "model/ProjectState.h"
#include "model/ValueConversion.h"

#include <algorithm>

OnlineLayout OnlineLayoutFromCaseTables(int digitalChannelCount) {
    OnlineLayout layout;
    layout.channelPos.assign(MAX_CHANNEL_COUNT, -1);
    const int cases = std::clamp<int>(g_nCaseCount, 0, MAX_CASE_COUNT);
    for (int slot = 0; slot < cases; ++slot) {
        const int unit = g_CaseList[slot];
        layout.caseList.push_back(unit);
        if (unit >= 0 && unit < 256)
            layout.caseSlot[unit] = slot;
    }
    layout.nCaseCount = cases;
    const int channels = std::clamp<int>(g_nChannelCount, 0, MAX_CHANNEL_COUNT);
    for (int i = 0; i < channels; ++i) {
        const int channel = g_ChannelList[i];
        if (channel < 0 || channel >= MAX_CHANNEL_COUNT)
            continue;
        layout.channelList.push_back(channel);
        layout.channelPos[channel] = g_ChannelPos[channel];
    }
    layout.bPerCaseFiles = g_bPerCaseFiles != 0;
    layout.nDigitalChanCount = digitalChannelCount;
    return layout;
}

double CAppChannelTable::ConvertBlockChannelValue(int channel, const CaseSampleBlock& block) const {
    return ::ConvertBlockChannelValue(channel, block);
}

void CAppChannelTable::ConvertBlockReadings(int channel, const CaseSampleBlock* blocks, std::size_t stride,
                                            int place, int n, float* out) const {
    ConvertEachBlockReading(blocks, stride, place, n, out, [&](const CaseSampleBlock& block) {
        return ::ConvertBlockChannelValue(channel, block);
    });
}

double CAppChannelTable::ConvertRawToValue(int channel, float raw) const {
    return ::ConvertRawToValue(channel, raw);
}

ChannelParamView CAppChannelTable::GetChannelParam(int channel) const {
    if (channel < 0 || channel >= MAX_CHANNEL_COUNT)
        return ChannelParamView{-1, 0, 0, 0.0f, 0.0f};
    const ChannelParamRecord& p = g_ChannelParams[channel];
    return ChannelParamView{p.nMeasureType, p.bShown, p.nDisplayType, p.fPoissonRatio, p.fElasticModulus};
}
