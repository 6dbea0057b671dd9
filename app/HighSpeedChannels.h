// The high-speed channel list (an INI-format ".HSC" file in the program
// folder) and the test for the high-speed sampling mode.
#pragma once

#include <string>
#include <vector>

constexpr int MAX_HIGH_SPEED_CHANNEL_COUNT = 4096;

// program folder + "/" + the model name from its third character + ".HSC".
std::string HighSpeedChannelFilePath(const std::string& programFolder, const std::string& modelName);
// Channel%d for 0..ChannelCount-1 (bounded), empty entries skipped; an empty
// list for a missing file.
std::vector<int> LoadHighSpeedChannels(const std::string& path);

// TRUE for device type 4 at any frequency but 256 Hz.
int IsHighSpeedSampling(int deviceType, float sampleFreq);
// The speed mode sent to the cases: 2 high speed, 1 normal.
int SpeedModeForCases(int deviceType, float sampleFreq);
