// A case-link host for tests: plain settings, identity conversion, and a
// record of the channel-information packets handed to the library.
#pragma once

#include "tests/FakeHosts.h"

#include <map>
#include <mutex>
#include <string>
#include <vector>

struct LinkTestHost : FakeCaseLinkHost {
    std::string programFolder;
    int dataThrow = 0;
    int measureType = 5; // not strain: coefficients stay +1
    int delayChanInfo = 2000;
    int averageCount = 20;
    std::mutex mutex; // guards the records below
    std::map<int, std::vector<std::uint8_t>> packets;
    std::vector<std::string> messages;

    std::string GetProgramFolder() override { return programFolder; }
    int GetDelayChanInfo() override { return delayChanInfo; }
    int GetAverageCount() override { return averageCount; }
    int GetDataThrow(int) override { return dataThrow; }
    int GetMeasureType(int) override { return measureType; }
    void ParseChannelInfo(int channel, const std::uint8_t* packet) override {
        std::lock_guard<std::mutex> lock(mutex);
        packets[channel].assign(packet, packet + 256);
    }
    void ShowMessage(const std::string& text) override {
        std::lock_guard<std::mutex> lock(mutex);
        messages.push_back(text);
    }
};
