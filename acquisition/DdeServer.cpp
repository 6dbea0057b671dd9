// The local value service's rules and its tag table.
#include "acquisition/DdeServer.h"

#include "model/GlobalDataLock.h"

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <strings.h>

float g_fTagTable[MAX_CASE_COUNT * DDE_TAGS_PER_CASE] = {};

namespace {

// "<prefix><decimal>" with the prefix in any case: the number, or -1.
int PrefixedNumber(const std::string& name, const char* prefix) {
    const size_t length = std::char_traits<char>::length(prefix);
    if (name.size() <= length || name.size() > length + 3 || strncasecmp(name.c_str(), prefix, length) != 0) {
        return -1;
    }
    int number = 0;
    for (size_t i = length; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9') {
            return -1;
        }
        number = number * 10 + (name[i] - '0');
    }
    return number;
}

int OnlineSlot(int caseNumber) {
    for (int slot = 0; slot < g_nCaseCount && slot < MAX_CASE_COUNT; ++slot) {
        if (g_CaseList[slot] == caseNumber) {
            return slot;
        }
    }
    return -1;
}

} // namespace

void UpdateTagTable(const float* valueBuffer) {
    for (int slot = 0; slot < g_nCaseCount && slot < MAX_CASE_COUNT; ++slot) {
        float* tags = g_fTagTable + slot * DDE_TAGS_PER_CASE;
        tags[0] = static_cast<float>(g_CaseList[slot]);
        std::copy_n(valueBuffer + slot * CHANNELS_PER_MODULE, CHANNELS_PER_MODULE, tags + 1);
    }
}

void ResetTagTable() {
    std::fill(std::begin(g_fTagTable), std::end(g_fTagTable), 0.0f);
}

bool DdeAcceptTopic(const std::string& topic, int& caseNumber) {
    const int number = PrefixedNumber(topic, "Box");
    if (number < 1 || number > MAX_CASE_COUNT || OnlineSlot(number - 1) < 0) {
        return false;
    }
    caseNumber = number - 1;
    return true;
}

bool DdeRequestValue(int caseNumber, const std::string& item, std::string& text) {
    const int tag = PrefixedNumber(item, "Tag");
    if (tag < 0 || tag >= DDE_TAGS_PER_CASE) {
        return false;
    }
    float value = 0.0f;
    {
        std::lock_guard<platform::CriticalSection> lock(g_csData);
        const int slot = OnlineSlot(caseNumber);
        if (slot >= 0) {
            value = g_fTagTable[slot * DDE_TAGS_PER_CASE + tag];
        }
    }
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%f", static_cast<double>(value));
    text = buffer;
    return true;
}
