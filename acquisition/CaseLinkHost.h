// What a case link and the network case driver need from the rest of the
// program: system settings, the instrument description, channel gains and
// conversion, the channel information library and message boxes. The program
// binds it to its tables; tests and tools give plain values.
#pragma once

#include <cstdint>
#include <string>

struct CaseSampleBlock;

class CaseLinkHost {
public:
    virtual ~CaseLinkHost() = default;

    // Folder holding "MapCfg.ini" and the trace files.
    virtual std::string GetProgramFolder() { return {}; }
    // Trace line under a log name while debug output is on.
    virtual void WriteLogFile(const std::string& logName, const std::string& text) {}

    // System settings.
    virtual int GetDelayChanInfo() { return 10000; } // ms
    virtual int GetAverageCount() { return 20; }
    virtual bool IsClkSyncMode() { return false; }
    virtual bool IsSamplePaused() { return false; }

    // Instrument description: frequency levels and samples to discard.
    virtual int GetFrequencyLevelCount() { return 1; }
    virtual float GetFrequency(int level) { return 10.0f; }
    virtual int FindFrequencyLevel(float rate) { return 0; }
    virtual int GetDataThrow(int level) { return 0; }

    // Channel gain factor and measurement type of system channel c.
    virtual float GetChannelGainFactor(int channel) { return 1.0f; }
    virtual int GetMeasureType(int channel) { return 5; }
    // Raw measured quantities of one module to engineering values, in place.
    virtual void ConvertSampleBlockInPlace(CaseSampleBlock* blocks, int count, int moduleIndex) {}

    // Channel information library: one 256-byte packet of system channel c.
    virtual void SetCurrentInfoCase(int caseNo) {}
    virtual void ParseChannelInfo(int channel, const std::uint8_t* packet) {}

    // Message box with the program's title and the exclamation icon.
    virtual void ShowMessage(const std::string& text) {}
};
