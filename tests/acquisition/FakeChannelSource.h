// Channel tables and instrument codes for encoder and link tests: every value
// is a plain field that a test sets.
#pragma once

#include "acquisition/CaseChannelSource.h"

#include <map>

struct FakeChannelSource : CaseChannelSource {
    struct Stored {
        float full = 0, bridge = 0, current = 0;
    };
    std::map<int, CaseChannelSettings> settings; // missing channels use defaultSettings
    CaseChannelSettings defaultSettings;
    std::map<int, Stored> stored;
    int typeId = 1, subVersion = 0;
    bool subVersionMatches = true;
    int typeFullCount = 0, typeBridgeCount = 0;
    float fullCoef = 1.0f, bridgeCoef = 1.0f, currentCoef = 1.0f;
    bool gndInput = false;

    bool GetChannelSettings(int c, CaseChannelSettings& s) override {
        auto it = settings.find(c);
        s = it == settings.end() ? defaultSettings : it->second;
        return c >= 0 && c < 4096;
    }
    void StoreChannelCoefs(int c, float f, float b, float i) override { stored[c] = {f, b, i}; }
    int GetAcqChannelTypeID(int) override { return typeId; }
    int GetChannelSubVersion(int) override { return subVersion; }
    float GetChannelFullCoief(int, int) override { return fullCoef; }
    float GetChannelBrdgeVltCoief(int, int) override { return bridgeCoef; }
    float GetChannelCurrentPulsCoief(int, int) override { return currentCoef; }
    int GetTypeFullValueCount(int, int) override { return typeFullCount; }
    int GetTypeBridgeVoltageCount(int, int) override { return typeBridgeCount; }
    bool MatchesSubVersion(int, int) override { return subVersionMatches; }
    int GetTypeFullValueCode(int, int level, int) override { return 9; }
    int GetFullValueCode(int level) override { return 4 + level; }
    int FindTypeBridgeVoltageCode(int, float, int) override { return 8; }
    int FindBridgeVoltageCode(float) override { return 3; }
    int GetInputModeCode(int index) override { return index + 1; }
    int GetSensorInputModeIndex(int word) override { return word + 10; }
    bool IsGndInputMode() override { return gndInput; }
    int GetParaCode(int level) override { return 0x12 + level; }
    int GetDataRatio(int level) override { return 3; }
    int GetPackageRatio(int level) override { return 4; }
};
