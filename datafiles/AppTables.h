// The data files' view of the application's process-wide tables: the online
// list of the case tables and the channel records with their conversions.
#pragma once

#include "datafiles/ChannelTable.h"
#include "datafiles/OnlineLayout.h"

// The online list as the case tables hold it now, with the storage
// arrangement of g_bPerCaseFiles.
OnlineLayout OnlineLayoutFromCaseTables(int digitalChannelCount = 0);

// Channel parameters and conversions of the channel records.
class CAppChannelTable : public IChannelTable {
public:
    double ConvertBlockChannelValue(int channel, const CaseSampleBlock& block) const override;
    void ConvertBlockReadings(int channel, const CaseSampleBlock* blocks, std::size_t stride, int place,
                              int n, float* out) const override;
    double ConvertRawToValue(int channel, float raw) const override;
    ChannelParamView GetChannelParam(int channel) const override;
};
