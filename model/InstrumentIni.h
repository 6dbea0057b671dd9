// Reader of the instrument description file (the model's ".INI" beside the
// program): sampling-frequency levels, full-scale ranges, bridge input modes,
// bridge voltages and measurement types, in general and per hardware channel
// type. Every getter reads the file anew, so an edited file takes effect at
// the next call; the platform's profile cache keeps that to one parse.
#pragma once

#include <string>
#include <vector>

class CInstrumentIni {
public:
    // Every list count read from the file is bounded to 0..kMaxItemCount.
    static constexpr int kMaxItemCount = 256;
    static int BoundItemCount(int count);

    CInstrumentIni() = default;
    virtual ~CInstrumentIni() = default;

    void SetFilePath(const std::string& path) { m_strFilePath = path; }
    const std::string& GetFilePath() const { return m_strFilePath; }

    // Item readers. An item holds its value, a comma, and text that ends in
    // the three-digit code sent to the case.
    static std::string ReadValueBeforeComma(const std::string& text);
    static int ReadValueText(const std::string& section, const std::string& key, const std::string& file,
                             std::string& out);
    static int ReadValueCode(const std::string& section, const std::string& key, const std::string& file);

    int GetFrequencyLevelCount() const;
    int GetFrequencyText(int i, std::string& out) const;
    int FindFrequencyLevel(double hz) const;
    int GetParaCode(int i) const;
    int GetDataRatio(int i) const;
    int GetPackageRatio(int i) const;
    int GetDataThrow(int i) const;

    int GetFullValueCount() const;
    float GetFullValue(int i) const;
    int GetFullValueCode(int i) const;
    int FindFullValueIndex(double value) const;
    int GetTypeFullValueCount(int type, int measure) const;
    float GetTypeFullValue(int type, int i, int measure) const;
    int GetTypeFullValueCode(int type, int i, int measure) const;

    int GetInputModeCount() const;
    int GetInputModeText(int i, std::string& out) const;
    int GetInputModeCode(int i) const;

    int GetBridgeVoltageCount() const;
    int GetBridgeVoltageText(int i, std::string& out) const;
    int GetTypeBridgeVoltageCount(int type, int measure) const;
    int GetTypeBridgeVoltageText(int type, int i, int measure, std::string& out) const;
    int FindBridgeVoltageCode(double volts) const;
    int FindTypeBridgeVoltageCode(int type, int measure, double volts) const;

    int GetMeasureSelCount() const;
    int GetMeasureSel(int i) const;
    int GetTypeMeasureSelCount(int type) const;
    int GetTypeMeasureSel(int type, int i) const;

    bool MatchesSubVersion(int type, int subversion) const;

    // The general list counts of the file that lie outside 0..kMaxItemCount,
    // as "[section] key=value" texts (read bounded all the same).
    std::vector<std::string> FindCountsOutOfRange() const;

private:
    int ReadInt(const std::string& section, const std::string& key, int nDefault) const;
    int ReadCount(const std::string& section, const std::string& key) const;
    // Key of a type section's full-scale item i, chosen by measure type.
    std::string TypeFullValueKey(int type, int i, int measure, bool& inTypeSection) const;
    std::string TypeBridgeVoltagePrefix(int type, int measure) const;

    std::string m_strFilePath;
};

// The one process-wide instance; the main frame sets its path at creation.
extern CInstrumentIni g_InstrumentIni;
