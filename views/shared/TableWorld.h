// What the table view reads of the program: the online units and channels
// with their parameters and alarm settings, the run flags, the frame's
// balance, check and result-group tables, and the stored run. The main frame
// keeps one of these up to date; tests fill one by hand.
#pragma once

#include "datafiles/ChannelTable.h"
#include "datafiles/OnlineLayout.h"
#include "datafiles/SampleFileFormat.h"
#include "model/ResultGroups.h"

#include <map>
#include <string>
#include <vector>

struct TableChannelInfo {
    int nMeasureType = 0; // 0 strain/stress, 2 thermocouple, 3 RTD, 20 bridge mode
    bool bEnabled = false;
    bool bPresent = false;
    int nDisplayType = 0; // 1 shown as stress
    int nBridgeType = 0;
    int nZero = 0; // 0x800001: not balanced
    std::string strDescription;
    std::string strUnit;
    // Alarm settings
    bool bAlarm = false;
    int nAlarmType = 0; // 0 over, 1 under, 2 inside, 3 outside
    float fUpper = 0.0f;
    float fLower = 0.0f;
};

struct TableDigitalChannel {
    int nId = 0;
    std::string strName;
    std::string strDescription;
    std::string strUnit;
};

struct TableController {
    std::string strAddress;
    int nIndex = 0;
    std::vector<int> units;
};

constexpr int kNotBalancedZero = 0x800001;

struct TableWorld {
    TableWorld() : channels(kAnalogChannels) {}

    // Online units by slot and the online channels in frame order.
    std::vector<int> caseList;
    std::vector<int> channelList;
    std::vector<TableChannelInfo> channels; // by channel number, 4096 entries
    int nMeasChanCount = 0;
    int nModelType = 0;
    int nRefChanOffset = 0;

    bool bSampling = false;
    bool bPaused = false;

    bool bDigitalUsed = false;
    std::vector<TableDigitalChannel> digitalChannels; // at most 8

    bool bBalanceResults = false;
    std::string strBalanceTime;
    std::vector<CaseSampleBlock> zeroSet; // the frame's zero sample set, by slot
    std::vector<float> checkValues;       // 16 a unit, by slot
    std::string strSelfTestTime;

    std::vector<RosetteGroupRecord> rosetteGroups;
    std::vector<ResidualStressGroupRecord> residualGroups;

    bool bPageByUnit = false;
    bool bPageByController = false;
    std::vector<TableController> controllers;

    // The stored run and the frame's state around it.
    int nProjectState = 0;
    int nStoredCount = 0;
    std::string dataPath;
    std::string statusPath;
    std::string digitalPath;
    OnlineLayout layout;
    const IChannelTable* channelTable = nullptr;
    std::map<int, int> precisionByType; // the frame's copy; new views start from it

    int SlotOf(int unit) const;
    const TableChannelInfo& Channel(int channel) const;
    bool IsShown(int channel) const { return Channel(channel).bEnabled && Channel(channel).bPresent; }
    bool IsLiveOrStoredShown(bool storedData) const { return bSampling || bPaused || storedData; }
};
