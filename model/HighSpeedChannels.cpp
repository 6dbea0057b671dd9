// Reading the high-speed channel list.
#include "model/HighSpeedChannels.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/Files.h"
#include "platform/Profile.h"
#include "platform/Text.h"

std::string HighSpeedChannelFilePath(const std::string& programFolder, const std::string& modelName) {
    const std::string base = modelName.size() > 2 ? modelName.substr(2) : std::string();
    return platform::JoinPath(programFolder, base + ".HSC");
}

std::vector<int> LoadHighSpeedChannels(const std::string& path) {
    std::vector<int> channels;
    const int count = std::clamp(platform::GetPrivateProfileInt("HighSpeed", "ChannelCount", 0, path), 0,
                                 MAX_HIGH_SPEED_CHANNEL_COUNT);
    for (int i = 0; i < count; ++i) {
        char buffer[129] = {};
        platform::GetPrivateProfileString("HighSpeed", platform::Format("Channel%d", i), "", buffer,
                                          sizeof(buffer), path);
        if (buffer[0] != '\0') {
            channels.push_back(std::atoi(buffer));
        }
    }
    return channels;
}

bool SaveHighSpeedChannels(const std::string& path, const std::vector<int>& channels) {
    std::vector<int> kept;
    for (int channel : channels)
        if (channel >= 0 && channel < MAX_HIGH_SPEED_CHANNEL_COUNT)
            kept.push_back(channel);
    // Entries of a longer earlier list must not linger past the new count.
    platform::DeletePrivateProfileSection("HighSpeed", path);
    bool ok =
        platform::WritePrivateProfileString("HighSpeed", "ChannelCount", std::to_string(kept.size()), path);
    for (std::size_t i = 0; i < kept.size(); ++i)
        ok = platform::WritePrivateProfileString("HighSpeed",
                                                 platform::Format("Channel%d", static_cast<int>(i)),
                                                 std::to_string(kept[i]), path) &&
             ok;
    return ok;
}

std::vector<HighSpeedRow> BuildHighSpeedRows(const std::vector<HighSpeedController>& controllers,
                                             const std::vector<int>& channels) {
    std::vector<HighSpeedRow> rows;
    for (const HighSpeedController& controller : controllers) {
        for (int module : controller.modules) {
            HighSpeedRow row{controller.strAddress, controller.nChassis, module, -1};
            const int first = (controller.nChassis * 8 + module) * 16;
            for (int ch = 0; ch < 16 && row.nChoice < 0; ++ch)
                if (std::find(channels.begin(), channels.end(), first + ch) != channels.end())
                    row.nChoice = ch;
            rows.push_back(row);
        }
    }
    return rows;
}

void ChooseHighSpeedChannel(std::vector<HighSpeedRow>& rows, std::size_t row, int choice, bool following) {
    if (row >= rows.size() || choice < -1 || choice > 15)
        return;
    rows[row].nChoice = choice;
    for (std::size_t r = row + 1; following && r < rows.size() && rows[r].strAddress == rows[row].strAddress;
         ++r)
        rows[r].nChoice = choice;
}

std::vector<int> CollectHighSpeedChannels(const std::vector<HighSpeedRow>& rows) {
    std::vector<int> channels;
    for (const HighSpeedRow& row : rows) {
        const int channel = (row.nChassis * 8 + row.nModule) * 16 + row.nChoice;
        if (row.nChoice >= 0 && channel < MAX_HIGH_SPEED_CHANNEL_COUNT)
            channels.push_back(channel);
    }
    return channels;
}

int IsHighSpeedSampling(int deviceType, float sampleFreq) {
    return (deviceType == 4 && std::fabs(static_cast<double>(sampleFreq) - 256.0) > 1e-15) ? 1 : 0;
}

int SpeedModeForCases(int deviceType, float sampleFreq) {
    return IsHighSpeedSampling(deviceType, sampleFreq) ? 2 : 1;
}
