// What a case link and the network case driver need from the rest of the
// program: system settings, the instrument description, channel gains and
// conversion, the channel information library and message boxes. The program
// binds it to its tables; tests and tools give plain values.
#pragma once

#include <cstdint>
#include <string>

struct CaseSampleBlock;
struct ModuleLinearStage;

class CaseLinkHost {
public:
    virtual ~CaseLinkHost() = default;

    // Folder holding "MapCfg.ini" and the trace files.
    virtual std::string GetProgramFolder() = 0;
    // Trace line under a log name while debug output is on.
    virtual void WriteLogFile(const std::string& logName, const std::string& text) = 0;

    // System settings.
    virtual int GetDelayChanInfo() = 0; // ms
    virtual int GetAverageCount() = 0;
    virtual bool IsClkSyncMode() = 0;
    virtual bool IsSamplePaused() = 0;

    // Instrument description: frequency levels and samples to discard.
    virtual int GetFrequencyLevelCount() = 0;
    virtual float GetFrequency(int level) = 0;
    virtual int FindFrequencyLevel(float rate) = 0;
    virtual int GetDataThrow(int level) = 0;

    // Channel gain factor and measurement type of system channel c.
    virtual float GetChannelGainFactor(int channel) = 0;
    virtual int GetMeasureType(int channel) = 0;
    // Raw measured quantities of one module to engineering values, in place.
    virtual void ConvertSampleBlockInPlace(CaseSampleBlock* blocks, int count, int moduleIndex) = 0;
    // The same stage for one batch of the module, when it is the linear one
    // for all sixteen channels: the link then applies it as it decodes. False
    // when it is not; ConvertSampleBlockInPlace converts the batch then.
    virtual bool GetLinearStage(int moduleIndex, ModuleLinearStage& stage) = 0;

    // Channel information library: one 256-byte packet of system channel c.
    virtual void SetCurrentInfoCase(int caseNo) = 0;
    virtual void ParseChannelInfo(int channel, const std::uint8_t* packet) = 0;

    // Message box with the program's title and the exclamation icon.
    virtual void ShowMessage(const std::string& text) = 0;
};
