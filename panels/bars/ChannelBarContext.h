// What the channel-parameter bar's rules need besides the process-wide
// channel tables: the instrument description, the model, the bridge-mode
// names, the unit list, the controller table and the project state.
#pragma once

#include <string>
#include <vector>

#include "acquisition/NetComm.h"
#include "model/InstrumentIni.h"

class CHardwareParamCorrect;

constexpr int MODEL_TYPE_MAIN = 3;

struct ChannelBarContext {
    CInstrumentIni ini; // the instrument description file
    int nModelType = MODEL_TYPE_MAIN;
    int nProjectState = 0; // 2: the project holds sampled data
    int nChannelsPerUnit = 16;
    std::vector<std::string> bridgeModes; // names, by bridge-mode index
    std::vector<std::string> units;       // engineering units of the unit file
    std::vector<ControllerRecord> controllers;
    // The frame's corrector; the rules make their own when it is not set.
    CHardwareParamCorrect* pCorrector = nullptr;
};

// Names of the bridge modes of the description file; a file without any
// keeps the list given.
void LoadBridgeModeNames(const CInstrumentIni& ini, std::vector<std::string>& names);

// The unit file in the program folder.
inline constexpr const char* kUnitFileName = "QV7411N.nut";

// Units of the unit file (kUnitFileName); empty when the file is missing or
// lists none.
std::vector<std::string> LoadEngineeringUnits(const std::string& path);

// Index of the controller whose modules hold the channel; -1 when none does.
int FindControllerOfChannel(const std::vector<ControllerRecord>& controllers, int channel,
                            int channelsPerUnit);
