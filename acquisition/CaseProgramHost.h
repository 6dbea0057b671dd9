// The program's binding of the case links, the driver and the encoder to its
// own tables: system settings, the instrument description, the channel
// records, value conversion, the channel information library and message boxes.
#pragma once

#include "acquisition/CaseChannelSource.h"
#include "acquisition/CaseLinkHost.h"
#include "platform/Files.h"

#include <string>
#include <utility>

class CaseProgramHost : public CaseLinkHost, public CaseChannelSource {
public:
    // programFolder: the folder of "MapCfg.ini" (the program's own folder).
    explicit CaseProgramHost(std::string programFolder = platform::ProgramFolder())
        : m_strProgramFolder(std::move(programFolder)) {}

    // CaseLinkHost
    std::string GetProgramFolder() override;
    void WriteLogFile(const std::string& logName, const std::string& text) override;
    int GetDelayChanInfo() override;
    int GetAverageCount() override;
    bool IsClkSyncMode() override;
    bool IsSamplePaused() override;
    int GetFrequencyLevelCount() override;
    float GetFrequency(int level) override;
    int FindFrequencyLevel(float rate) override;
    int GetDataThrow(int level) override;
    float GetChannelGainFactor(int channel) override;
    int GetMeasureType(int channel) override;
    void ConvertSampleBlockInPlace(CaseSampleBlock* blocks, int count, int moduleIndex) override;
    bool GetLinearStage(int moduleIndex, ModuleLinearStage& stage) override;
    void SetCurrentInfoCase(int caseNo) override;
    void ParseChannelInfo(int channel, const std::uint8_t* packet) override;
    void ShowMessage(const std::string& text) override;

    // CaseChannelSource
    bool GetChannelSettings(int channel, CaseChannelSettings& settings) override;
    void StoreChannelCoefs(int channel, float full, float bridge, float current) override;
    int GetAcqChannelTypeID(int channel) override;
    int GetChannelSubVersion(int channel) override;
    float GetChannelFullCoief(int channel, int code) override;
    float GetChannelBrdgeVltCoief(int channel, int code) override;
    float GetChannelCurrentPulsCoief(int channel, int code) override;
    int GetTypeFullValueCount(int typeId, int measureType) override;
    int GetTypeBridgeVoltageCount(int typeId, int measureType) override;
    bool MatchesSubVersion(int typeId, int subVersion) override;
    int GetTypeFullValueCode(int typeId, int level, int measureType) override;
    int GetFullValueCode(int level) override;
    int FindTypeBridgeVoltageCode(int typeId, float voltage, int measureType) override;
    int FindBridgeVoltageCode(float voltage) override;
    int GetInputModeCode(int index) override;
    int GetSensorInputModeIndex(int word) override;
    bool IsGndInputMode() override;
    int GetParaCode(int level) override;
    int GetDataRatio(int level) override;
    int GetPackageRatio(int level) override;

private:
    std::string m_strProgramFolder;
};
