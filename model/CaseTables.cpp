// Builders of the case and channel tables.
#include "model/CaseTables.h"

#include <algorithm>
#include <bitset>
#include <vector>

#include "platform/Profile.h"
#include "platform/Text.h"

std::int32_t g_nCaseCount = 0;
std::int32_t g_CaseList[MAX_CASE_COUNT];
std::int32_t g_CaseSlot[MAX_CASE_COUNT];
std::int32_t g_nChannelCount = 0;
std::int32_t g_ChannelList[MAX_CHANNEL_COUNT];
std::int32_t g_ChannelPos[MAX_CHANNEL_COUNT];
std::int32_t g_nMeasChanCount = 0;
std::int32_t g_MeasChanList[MAX_CHANNEL_COUNT];
std::int32_t g_MeasChanPos[MAX_CHANNEL_COUNT];
std::int32_t g_nPriCaseVersion = 0;
std::int32_t g_nChansPerCase = 32;

namespace {

const char* const SECTION_CHANNEL_PARAM = "ChannelParam";

// Appends the 16 channels of every slot's case to the channel list (a slot
// holding -1 keeps its place but adds no channels); returns the count.
int FillChannelsFromCases() {
    int count = 0;
    for (int s = 0; s < g_nCaseCount; ++s) {
        const int c = g_CaseList[s];
        if (c < 0) {
            continue;
        }
        for (int k = 0; k < CHANNELS_PER_MODULE; ++k) {
            const int id = c * CHANNELS_PER_MODULE + k;
            g_ChannelList[count++] = id;
            g_ChannelPos[id] = s * CHANNELS_PER_MODULE + k;
        }
    }
    return count;
}

// A case in two slots would break the slot table and convert its block twice.
bool HasRepeatedCase(const std::vector<int>& cases) {
    std::bitset<MAX_CHANNEL_CASE_COUNT> seen;
    for (int c : cases) {
        if (c >= 0 && seen.test(c)) {
            return true;
        }
        if (c >= 0) {
            seen.set(c);
        }
    }
    return false;
}

int ReadProjectInt(const char* keyFormat, int index, int nDefault, const std::string& path) {
    return platform::GetPrivateProfileInt(SECTION_CHANNEL_PARAM, platform::Format(keyFormat, index), nDefault,
                                          path);
}

// Current form: CaseCount slots with their case numbers.
int LoadCaseForm(int caseCount, const std::string& path) {
    if (caseCount > MAX_CASE_COUNT) {
        return 0;
    }
    std::vector<int> cases(caseCount);
    for (int i = 0; i < caseCount; ++i) {
        cases[i] = ReadProjectInt("CaseID%d", i, -1, path);
        if (cases[i] < -1 || cases[i] >= MAX_CHANNEL_CASE_COUNT) {
            return 0;
        }
    }
    if (HasRepeatedCase(cases)) {
        return 0;
    }
    g_nCaseCount = caseCount;
    for (int i = 0; i < caseCount; ++i) {
        g_CaseList[i] = cases[i];
        if (cases[i] != -1) {
            g_CaseSlot[cases[i]] = i;
        }
    }
    g_nChannelCount = FillChannelsFromCases();
    return 1;
}

// Older form: a plain channel list, whose every 16th entry names a slot's case.
int LoadChannelForm(const std::string& path) {
    const int channelCount = ReadProjectInt("ChannelCount", 0, 0, path);
    if (channelCount > MAX_CHANNEL_COUNT) {
        return 0;
    }
    g_nChannelCount = channelCount;
    if (channelCount < 1) {
        return 0;
    }
    for (int i = 0; i < channelCount; ++i) {
        const int id = ReadProjectInt("ChannelID%d", i, -1, path);
        if (id >= MAX_CHANNEL_COUNT) {
            return 0;
        }
        g_ChannelList[i] = id;
        if (id < 0) {
            return 0;
        }
    }
    std::vector<int> cases(channelCount / CHANNELS_PER_MODULE);
    for (std::size_t s = 0; s < cases.size(); ++s) {
        cases[s] = g_ChannelList[s * CHANNELS_PER_MODULE] / CHANNELS_PER_MODULE;
    }
    if (HasRepeatedCase(cases)) {
        return 0;
    }
    g_nCaseCount = static_cast<int>(cases.size());
    for (int s = 0; s < g_nCaseCount; ++s) {
        g_CaseList[s] = cases[s];
        g_CaseSlot[cases[s]] = s;
    }
    FillChannelsFromCases();
    return 1;
}

} // namespace

int GetChannelsPerModule() {
    return CHANNELS_PER_MODULE;
}

void SetChannelsPerModule(int version) {
    g_nChansPerCase = version == 4 ? 32 : 16;
}

int BuildCaseTablesFromOnlineFlags(const std::int32_t online[MAX_CASE_COUNT]) {
    std::fill(std::begin(g_CaseList), std::end(g_CaseList), 0);
    std::fill(std::begin(g_CaseSlot), std::end(g_CaseSlot), 0);
    g_nCaseCount = 0;
    int ignored = 0;
    for (int c = 0; c < MAX_CASE_COUNT; ++c) {
        if (online[c] == 0) {
            continue;
        }
        if (c >= MAX_CHANNEL_CASE_COUNT) {
            ++ignored;
            continue;
        }
        g_CaseSlot[c] = g_nCaseCount;
        g_CaseList[g_nCaseCount++] = c;
    }
    std::fill(std::begin(g_ChannelList), std::end(g_ChannelList), 0);
    std::fill(std::begin(g_ChannelPos), std::end(g_ChannelPos), 0);
    g_nChannelCount = FillChannelsFromCases();
    for (int i = 0; i < g_nChannelCount; ++i) {
        g_ChannelState[g_ChannelList[i]].bPresent = 1;
    }
    return ignored;
}

int LoadCaseTablesFromProjectFile(const std::string& path) {
    const int caseCount = ReadProjectInt("CaseCount", 0, 0, path);
    if (caseCount > 0) {
        return LoadCaseForm(caseCount, path);
    }
    g_nCaseCount = caseCount;
    return LoadChannelForm(path);
}

void BuildMeasuredChannelList() {
    int count = 0;
    const int channels = std::clamp<int>(g_nChannelCount, 0, MAX_CHANNEL_COUNT);
    for (int i = 0; i < channels; ++i) {
        const int id = g_ChannelList[i];
        if (!IsValidChannelId(id) || g_ChannelParams[id].bShown == 0 || g_ChannelState[id].bPresent == 0) {
            continue;
        }
        g_MeasChanPos[id] = count;
        g_MeasChanList[count++] = id;
    }
    g_nMeasChanCount = count;
}

void ResetCaseTables() {
    g_nCaseCount = 0;
    g_nChannelCount = 0;
    g_nMeasChanCount = 0;
    std::fill(std::begin(g_CaseList), std::end(g_CaseList), 0);
    std::fill(std::begin(g_CaseSlot), std::end(g_CaseSlot), 0);
    std::fill(std::begin(g_ChannelList), std::end(g_ChannelList), 0);
    std::fill(std::begin(g_ChannelPos), std::end(g_ChannelPos), 0);
    std::fill(std::begin(g_MeasChanList), std::end(g_MeasChanList), 0);
    std::fill(std::begin(g_MeasChanPos), std::end(g_MeasChanPos), 0);
    g_nPriCaseVersion = 0;
    g_nChansPerCase = 32;
}
