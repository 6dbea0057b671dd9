// Shared by the channel-bar rule tests: a small instrument description file,
// a channel-type source the tests steer, and two online cases of 16
// channels (0..15 and 16..31) on one controller.
#pragma once

#include <cstring>
#include <map>

#include "model/ChannelModelTestSupport.h"
#include "model/ChannelTypeSource.h"
#include "model/RunFlags.h"
#include "panels/bars/ChannelBarContext.h"

class SteeredChannelTypes : public IChannelTypeSource {
public:
    int GetAcqChannelTypeID(int channel) override { return channel >= 16 && channel < 32 ? 2 : 1; }
    int GetChannelSubVersion(int channel) override {
        auto it = subVersion.find(channel / 16);
        return it != subVersion.end() ? it->second : 1;
    }
    std::map<int, int> subVersion; // unit -> sub-version
};

inline const char* const kBarFixtureIni = R"([System]
MeasureSelCount=0
[SampleFrequency]
FrequencyLevelCount=4
Frequency0=1,1Hz,001
Frequency1=10,10Hz,004
Frequency2=100,100Hz,007
Frequency3=1000,1kHz,010
[SampleChanParams]
FullValueCount=4
FullValue0=5000,±5V,001
FullValue1=500,±500mV,002
FullValue2=20,±20mV,003
FullValue3=5,±5mV,004
[BridgeInputMode]
InputModeCount=3
InputMode0=方式1(120R),1/4桥120Ω,000
InputMode1=方式1(350R),1/4桥350Ω,001
InputMode2=方式2,1/4桥公共补偿,002
[BridgeVoltage]
BridgeVoltageCount=3
BridgeVoltage0=2,2V,002
BridgeVoltage1=5,5V,005
BridgeVoltage2=10,10V,010
[ChannelType001]
ACQSubVersion=1
FullValueCount=2
FullValue0=5000,±5V,001
FullValue1=500,±500mV,002
BridgeVoltageCount=2
BridgeVoltage0=5,5V,005
BridgeVoltage1=10,10V,010
MeasureSelCount=4
MeasureSel0=0
MeasureSel1=1
MeasureSel2=5
MeasureSel3=6
[ChannelType002]
ACQSubVersion=1
FullValueCount=2
FullValue0=50,±50mV,005
FullValue1=500,±500mV,002
MeasureSelCount=3
MeasureSel0=2
MeasureSel1=3
MeasureSel2=5
)";

class ChannelBarFixture {
public:
    ChannelBarFixture() {
        ResetChannelModel();
        SetChannelsPerModule(0);
        g_bSampling = 0;
        g_bSamplePaused = 0;
        SetChannelTypeSource(&types);
        WriteIniFile(folder.File("QV7416.INI"), kBarFixtureIni);
        WriteIniFile(folder.File("QV7411N.nut"),
                     "[Engineer Units]\nUnitsTotal=3\n[UNIT1]\nEU=με\n[UNIT2]\nEU=mV\n"
                     "[UNIT3]\nEU=kN\n");
        ctx.ini.SetFilePath(folder.File("QV7416.INI"));
        LoadBridgeModeNames(ctx.ini, ctx.bridgeModes);
        ctx.units = LoadEngineeringUnits(folder.File("QV7411N.nut"));
        ControllerRecord controller;
        std::strcpy(controller.szAddress, "192.168.0.10");
        controller.nController = 0;
        controller.nCases = 2;
        controller.nCaseNo[0] = 0;
        controller.nCaseNo[1] = 1;
        ctx.controllers.push_back(controller);
        SetOnlineCases({0, 1});
        for (int c = 0; c < 32; ++c) {
            UpdateChannelScale(c);
        }
    }
    ~ChannelBarFixture() { SetChannelTypeSource(nullptr); }

    static void SetType(int channel, int type) { g_ChannelParams[channel].nMeasureType = type; }

    ScratchFolder folder;
    SteeredChannelTypes types;
    ChannelBarContext ctx;
};
