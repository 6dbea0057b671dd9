// Lead-wire results: channel list, far-end voltage, grid columns and files.
#include "project/LeadWireResults.h"

#include "model/CaseTables.h"
#include "model/ChannelNaming.h"
#include "platform/Files.h"
#include "platform/Text.h"

#include <algorithm>
#include <cstdio>
#include <fstream>

std::vector<int> ListStrainChannels() {
    std::vector<int> channels;
    ForOnlineChannels([&](int id, int, int) {
        if (IsValidChannelId(id) && g_ChannelParams[id].nMeasureType == MEASURE_STRAIN)
            channels.push_back(id);
    });
    return channels;
}

float FarEndBridgeVoltage(int channel, float resistance) {
    if (!IsValidChannelId(channel))
        return 0.0f;
    const float gauge = g_ChannelParams[channel].fGaugeResistance;
    const float divisor = g_ChannelState[channel].fBridgeGain;
    if (gauge == 0.0f || divisor == 0.0f)
        return 0.0f;
    const float share = resistance / gauge + 1.0f;
    if (share == 0.0f)
        return 0.0f;
    return static_cast<float>(g_ChannelParams[channel].nBridgeVoltage) / share / divisor;
}

int ResultGridColumns(int width, int cellsPerChannel, int least) {
    const int cells = std::max(1, cellsPerChannel);
    const int columns = (width - 40) / 80;
    return std::max(least, columns - columns % cells);
}

bool WriteLeadResultsFile(const std::string& path, const LeadWireResults& results) {
    const std::string temporary = path + ".tmp";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        if (!file.write(reinterpret_cast<const char*>(&results), sizeof results) || !file.flush()) {
            file.close();
            platform::DeleteFile(temporary);
            return false;
        }
    }
    if (!platform::MoveFile(temporary, path)) {
        platform::DeleteFile(temporary);
        return false;
    }
    return true;
}

bool ReadLeadResultsFile(const std::string& path, LeadWireResults& results) {
    if (platform::FileSize(path) != static_cast<std::int64_t>(sizeof results))
        return false;
    std::ifstream file(path, std::ios::binary);
    LeadWireResults read;
    if (!file.read(reinterpret_cast<char*>(&read), sizeof read))
        return false;
    results = read;
    return true;
}

namespace {

std::string Field(const std::string& text) {
    return platform::Format("%-15s\t", text.c_str());
}

} // namespace

bool ExportLeadResultsText(const std::string& path, const std::vector<int>& channels,
                           const LeadWireResults& results, int cellsPerChannel) {
    const bool withVoltage = cellsPerChannel == 3;
    std::string text = Field(platform::Utf8ToGbk("通道号")) + Field(platform::Utf8ToGbk("电阻值(Ω)"));
    if (withVoltage)
        text += Field(platform::Utf8ToGbk("远端桥压(V)"));
    text += "\r\n";
    for (const int channel : channels) {
        if (!IsValidChannelId(channel) || results.states[channel] != kLeadMeasured)
            continue;
        text += Field(FormatChannelNameForFile(channel)) +
                Field(platform::Format("%.3f", results.resistances[channel]));
        if (withVoltage)
            text += Field(platform::Format("%.3f", results.voltages[channel]));
        text += "\r\n";
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    return static_cast<bool>(file.write(text.data(), static_cast<std::streamsize>(text.size())));
}
