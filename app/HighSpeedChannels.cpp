// Reading the high-speed channel list.
#include "app/HighSpeedChannels.h"

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

int IsHighSpeedSampling(int deviceType, float sampleFreq) {
    return (deviceType == 4 && std::fabs(static_cast<double>(sampleFreq) - 256.0) > 1e-15) ? 1 : 0;
}

int SpeedModeForCases(int deviceType, float sampleFreq) {
    return IsHighSpeedSampling(deviceType, sampleFreq) ? 2 : 1;
}
