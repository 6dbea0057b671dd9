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

// Writes the list back: section "HighSpeed", "ChannelCount" and "Channel%d";
// channels outside 0-4095 are left out. False when the file cannot be written.
bool SaveHighSpeedChannels(const std::string& path, const std::vector<int>& channels);

// One acquisition module of a connected controller in the high-speed channel
// dialog, with the channel (0-15) sampled at high speed or -1 for none.
struct HighSpeedRow {
    std::string strAddress;
    int nChassis = 0;
    int nModule = 0;
    int nChoice = -1;
};
struct HighSpeedController {
    std::string strAddress;
    int nChassis = 0;
    std::vector<int> modules;
};
// A row for every module of every controller; a row's choice is its lowest
// channel in the list.
std::vector<HighSpeedRow> BuildHighSpeedRows(const std::vector<HighSpeedController>& controllers,
                                             const std::vector<int>& channels);
// Gives the row the choice, and with `following` every later row of the same controller.
void ChooseHighSpeedChannel(std::vector<HighSpeedRow>& rows, std::size_t row, int choice, bool following);
// (chassis x 8 + module) x 16 + choice for every row with a choice.
std::vector<int> CollectHighSpeedChannels(const std::vector<HighSpeedRow>& rows);

// TRUE for device type 4 at any frequency but 256 Hz.
int IsHighSpeedSampling(int deviceType, float sampleFreq);
// The speed mode sent to the cases: 2 high speed, 1 normal.
int SpeedModeForCases(int deviceType, float sampleFreq);
