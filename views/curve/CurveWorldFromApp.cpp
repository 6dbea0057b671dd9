// The curve view's inputs from the program's tables.
#include "views/curve/CurveWorldFromApp.h"

#include "datafiles/AppTables.h"
#include "model/CaseTables.h"
#include "model/RunFlags.h"
#include "model/SensorMatch.h"
#include "platform/Text.h"

#include <algorithm>
#include <cstring>

namespace {

template <std::size_t N> std::string FieldText(const char (&field)[N]) {
    return platform::GbkToUtf8(std::string_view(field, strnlen(field, N)));
}

} // namespace

void FillCurveWorldFromAppTables(CurveWorld& world) {
    static const CAppChannelTable appChannels;
    const int measured = std::clamp<int>(g_nMeasChanCount, 0, MAX_CHANNEL_COUNT);
    world.measChanList.assign(g_MeasChanList, g_MeasChanList + measured);
    std::fill(world.setPosition.begin(), world.setPosition.end(), -1);
    // The frame keeps each measured value at its unit's slot times 16 plus
    // the channel's place in the unit.
    for (int id : world.measChanList) {
        if (id < 0 || id >= MAX_CHANNEL_COUNT)
            continue;
        const int slot = g_CaseSlot[id / 16];
        const int position = slot * 16 + id % 16;
        if (slot >= 0 && slot < g_nCaseCount && position < MAX_CHANNEL_COUNT)
            world.setPosition[std::size_t(id)] = position;
    }
    for (int id = 0; id < MAX_CHANNEL_COUNT; ++id) {
        CurveChannelText& text = world.channels[std::size_t(id)];
        text.strDescription = FieldText(g_ChannelParams[id].szDescription);
        text.strUnit = FieldText(g_ChannelParams[id].szUnit);
        text.fRange = g_ChannelState[id].fFullScale;
        text.bEnabled = g_ChannelParams[id].bShown != 0;
        text.bPresent = g_ChannelState[id].bPresent != 0;
        text.nMeasureType = g_ChannelParams[id].nMeasureType;
        text.nZero = g_ChannelParams[id].nZero;
    }
    world.channelList.assign(g_ChannelList,
                             g_ChannelList + std::clamp<int>(g_nChannelCount, 0, MAX_CHANNEL_COUNT));
    world.nCaseCount = g_nCaseCount;
    world.bSampling = g_bSampling.load() != 0;
    world.layout = OnlineLayoutFromCaseTables(int(std::min<std::size_t>(world.digitalChannels.size(), 8)));
    world.channelTable = &appChannels;
    std::copy(g_SensorMapId.begin(), g_SensorMapId.end(), world.matchedSensorChannels.begin());
}
