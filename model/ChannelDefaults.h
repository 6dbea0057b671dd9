// Factory defaults of the channel records, the defaults that follow a change
// of measurement type, and the correction that moves every online channel's
// full scale, bridge voltage and type onto what its hardware allows.
#pragma once

#include <functional>
#include <string>
#include <utility>

#include "model/ChannelRecords.h"
#include "model/InstrumentIni.h"

// Every parameter, state and alarm record to its reset value.
void ResetChannelRecords();

// Defaults for a channel that takes a new measurement type (the caller stores
// the type itself).
void ApplyMeasureTypeDefaults(int measureType, int channel);

class CHardwareParamCorrect {
public:
    // Message shown once when the description file is missing.
    static constexpr const char* MSG_NO_DESCRIPTION_FILE = "未查找到硬件配置文件，不能进行参数的正确性修正！";

    CHardwareParamCorrect(ChannelParamRecord* records, ChannelStateRecord* states, const std::string& path,
                          int hardwareKind);
    virtual ~CHardwareParamCorrect() = default;

    void CorrectAllChannels();
    void SetDefaultUnit(int channel);

    // How the missing-file message reaches the user (a message box by default).
    void SetMessageReporter(std::function<void(const std::string&)> reporter) {
        m_reporter = std::move(reporter);
    }

private:
    void CorrectChannel(int channel);
    bool CorrectByChannelType(int channel, int typeId, int subVersion);
    void CorrectByGeneralRanges(int channel);
    void CorrectBridgeVoltage(int channel);

    ChannelParamRecord* m_pRecords;
    ChannelStateRecord* m_pStates;
    CInstrumentIni m_ini;
    int m_nHardwareKind;
    bool m_bMissingFileReported = false;
    std::function<void(const std::string&)> m_reporter;
};
