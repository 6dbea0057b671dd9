// The table view's inputs from the program's tables.
#include "views/shared/TableWorldFromApp.h"

#include "acquisition/DigitalParamFile.h"
#include "datafiles/AppTables.h"
#include "model/AppSettings.h"
#include "model/CaseTables.h"
#include "model/ChannelNaming.h"
#include "model/RunFlags.h"
#include "model/ValueConversion.h"
#include "platform/Text.h"

#include <algorithm>
#include <cstring>

namespace {

// A zero-terminated GBK field as UTF-8, never reading past the field.
template <std::size_t N> std::string FieldText(const char (&field)[N]) {
    return platform::GbkToUtf8(std::string_view(field, strnlen(field, N)));
}

} // namespace

void FillTableWorldFromAppTables(TableWorld& world) {
    static const CAppChannelTable appChannels;
    world.caseList.assign(g_CaseList, g_CaseList + std::clamp<int>(g_nCaseCount, 0, MAX_CASE_COUNT));
    world.channelList.assign(g_ChannelList,
                             g_ChannelList + std::clamp<int>(g_nChannelCount, 0, MAX_CHANNEL_COUNT));
    world.nMeasChanCount = g_nMeasChanCount;
    world.channels.resize(MAX_CHANNEL_COUNT);
    for (int channel = 0; channel < MAX_CHANNEL_COUNT; ++channel) {
        const ChannelParamRecord& param = g_ChannelParams[channel];
        const AlarmRecord& alarm = g_AlarmTable[channel];
        TableChannelInfo& info = world.channels[std::size_t(channel)];
        info.nMeasureType = param.nMeasureType;
        info.bEnabled = param.bShown != 0;
        info.bPresent = g_ChannelState[channel].bPresent != 0;
        info.nDisplayType = param.nDisplayType;
        info.nBridgeType = param.nBridgeType;
        info.nZero = param.nZero;
        info.strDescription = FieldText(param.szDescription);
        info.strUnit = FieldText(param.szUnit);
        info.bAlarm = alarm.bEnabled != 0;
        info.nAlarmType = alarm.nAlarmType;
        info.fUpper = alarm.fUpper;
        info.fLower = alarm.fLower;
    }
    world.nModelType = g_nModelType;
    world.nRefChanOffset = g_nRefChanOffset;
    world.bSampling = g_bSampling.load() != 0;
    world.bPaused = g_bSamplePaused.load() != 0;
    world.bDigitalUsed = g_bDigitalUsed;
    world.digitalChannels = DigitalChannelsFromAppTables();
    world.layout = OnlineLayoutFromCaseTables(int(std::min<std::size_t>(world.digitalChannels.size(), 8)));
    world.channelTable = &appChannels;
}

std::vector<TableDigitalChannel> DigitalChannelsFromAppTables() {
    std::vector<TableDigitalChannel> channels;
    for (int i = 0; g_bDigitalUsed && i < std::clamp(g_nDigitalChanCount, 0, kMaxDigitalChannels); ++i) {
        const DigitalChannelRecord& record = g_DigitalChanTable[static_cast<std::size_t>(i)];
        channels.push_back({kFirstDigitalChannel + i, std::string(record.szName, strnlen(record.szName, 64)),
                            std::string(record.szDescription, strnlen(record.szDescription, 64)),
                            std::string(record.szUnit, strnlen(record.szUnit, 64))});
    }
    return channels;
}
