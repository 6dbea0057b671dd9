// What the case-protocol encoder reads about a channel: its channel and range
// records, the channel information of its module and the codes of the
// instrument description file. The program binds it to those tables; tests
// give their own values.
#pragma once

#include <cstdint>

struct CaseChannelSettings {
    std::int32_t nMeasureType = 0;   // 0 strain/stress, 1 bridge sensor, ... 5 voltage
    std::int32_t nBridgeType = 0;    // bridge type index of the channel record
    float fBridgeVoltage = 2.0f;     // volts
    float fGaugeResistance = 120.0f; // ohm
    std::int32_t nFullScaleLevel = 0;
    std::int32_t nSensorInputMode = 0;
    std::int32_t nInputFlag = 0;
};

class CaseChannelSource {
public:
    virtual ~CaseChannelSource() = default;

    // Channel c = case x 128 + module x 16 + channel. False when c is unknown.
    virtual bool GetChannelSettings(int channel, CaseChannelSettings& settings) = 0;
    virtual void StoreChannelCoefs(int channel, float full, float bridge, float current) = 0;

    // Channel information of the case modules.
    virtual int GetAcqChannelTypeID(int channel) = 0;
    virtual int GetChannelSubVersion(int channel) = 0;
    virtual float GetChannelFullCoief(int channel, int code) = 0;
    virtual float GetChannelBrdgeVltCoief(int channel, int code) = 0;
    virtual float GetChannelCurrentPulsCoief(int channel, int code) = 0;

    // Instrument description file.
    virtual int GetTypeFullValueCount(int typeId, int measureType) = 0;
    virtual int GetTypeBridgeVoltageCount(int typeId, int measureType) = 0;
    virtual bool MatchesSubVersion(int typeId, int subVersion) = 0;
    virtual int GetTypeFullValueCode(int typeId, int level, int measureType) = 0;
    virtual int GetFullValueCode(int level) = 0;
    virtual int FindTypeBridgeVoltageCode(int typeId, float voltage, int measureType) = 0;
    virtual int FindBridgeVoltageCode(float voltage) = 0;
    virtual int GetInputModeCode(int index) = 0;
    virtual int GetSensorInputModeIndex(int word) = 0;
    virtual bool IsGndInputMode() = 0;
    virtual int GetParaCode(int level) = 0;
    virtual int GetDataRatio(int level) = 0;
    virtual int GetPackageRatio(int level) = 0;
};
