// What the curve views read of the program: the measured channels and where
// each one's value sits in the current sample set, the channels' texts and
// measuring ranges, the virtual and digital channels, and the stored run.
// The main frame fills one from its tables; tests fill one by hand.
#pragma once

#include "datafiles/ChannelTable.h"
#include "datafiles/OnlineLayout.h"

#include <array>
#include <map>
#include <string>
#include <vector>

struct CurveChannelText {
    std::string strDescription;
    std::string strUnit;
    float fRange = 0.0f; // measuring range: the automatic range starts from it
    bool bEnabled = false;
    bool bPresent = false;
    int nMeasureType = 0;
    int nZero = 0; // 0x800001: not balanced
};

struct CurveNamedChannel {
    std::string strName;
    std::string strUnit;
};

struct CurveWorld {
    CurveWorld() : channels(4096), setPosition(4096, -1) {}

    // Measured channels in frame order.
    std::vector<int> measChanList;
    std::vector<CurveChannelText> channels; // by channel id, 4096 entries
    // Channel id -> its index in the current sample set; -1 when the
    // channel is not measured and so has no value.
    std::vector<int> setPosition;
    std::vector<CurveNamedChannel> virtualChannels; // the n-th has id 4095 + n
    std::vector<CurveNamedChannel> digitalChannels; // at most 8; the n-th has id 4223 + n
    int nCaseCount = 0;                             // online units
    std::vector<int> channelList;                   // online channels in frame order
    bool bBalanceResultsInUse = false;
    bool bSampling = false;
    int nSampleMode = 0; // 2: continuous
    std::vector<std::string> rosetteGroupNames;
    std::vector<std::string> residualGroupNames;
    int thermalCurveIds[2] = {0, 1};

    // The stored run.
    int nProjectState = 0;
    int nStoredCount = 0;
    std::string dataPath;
    std::string digitalPath;
    std::string virtualBase;  // folder + "/" + name: the ".vit" files follow with their number
    std::string markPath;     // the project's ".mrk" sample marks
    std::string zeroTimePath; // "rezu.ini" of the project folder, else of the program folder
    // The eight matched sensor channels of the heat-exchanger settings (-1:
    // none), whose zero-time values the view confirms.
    std::array<int, 8> matchedSensorChannels{-1, -1, -1, -1, -1, -1, -1, -1};
    // The frame's theory values: channel -> values by stored sample, -1 for all channels.
    std::map<int, std::vector<float>> theoryValues;
    OnlineLayout layout;
    const IChannelTable* channelTable = nullptr;

    bool HoldsData() const { return nProjectState == 2 || nProjectState == 3; }
    int FirstMeasured() const { return measChanList.empty() ? -1 : measChanList.front(); }
    int LastMeasured() const { return measChanList.empty() ? -1 : measChanList.back(); }
};
