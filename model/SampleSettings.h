// The sampling settings record and the settings stored beside it in the
// project file (single-point monitoring, strain reference, storage switch,
// controller count, display precision), with their two profile operations.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

// Twenty 32-bit words; a byte field takes the start of its word.
struct SampleSettings {
    std::int32_t nSampleMode = 1; // 0 timed, 1 single, 2 continuous, 3 event
    std::int32_t nSampleInterval = 10;
    std::int32_t nTimerCount = 0;
    std::uint8_t bSetTimerCount = 0;
    char szSampleStatus[23] = {};
    std::int32_t nSampleRate = 1;
    std::uint8_t bSingleCount = 0;
    std::uint8_t padding41[3] = {};
    std::int32_t nCountStart = 1;
    float fSampleFreq = 30.0f;
    std::int32_t nReserved = 0;
    std::int32_t nAnalysisMode = 0;
    std::int32_t nAnalysisBlockSize = 256;
    std::int32_t nSampleBlockSize = 256;
    std::int32_t nAverageMode = 0;
    std::int32_t nAveragePointCount = 1;
    std::uint8_t bEliminateMaxMin = 0;
    std::uint8_t padding77[3] = {};
};
static_assert(sizeof(SampleSettings) == 80);
static_assert(offsetof(SampleSettings, szSampleStatus) == 13);
static_assert(offsetof(SampleSettings, nSampleRate) == 36);
static_assert(offsetof(SampleSettings, fSampleFreq) == 48);
static_assert(offsetof(SampleSettings, bEliminateMaxMin) == 76);

constexpr int SAMPLE_MODE_TIMED = 0;
constexpr int SAMPLE_MODE_SINGLE = 1;
constexpr int SAMPLE_MODE_CONTINUOUS = 2;
constexpr int SAMPLE_MODE_EVENT = 3;

// The fields of the main frame stored with the record.
struct StoredWithSampleSettings {
    int nMonitorCaseId = 0;
    int nMonitorChanId = 0;
    int bAutoTrigger = 1;
    int bMultiTrigger = 1;
    int bMoreLevel = 1;
    float fMonitorLevel = 0.0f;
    int bStrainRefUsed = 0;
    int nStrainRefChan = 0;
    int bPerCaseFiles = 0;
    int nControllerCount = 0;
    std::map<int, int> precision; // measurement type -> decimals shown
};

constexpr int MAX_CONTROLLER_COUNT = 32;
constexpr int MAX_AVERAGE_POINTS = 256;
constexpr int MAX_ANALYSIS_BLOCK_SIZE = 65536;

// Writes SystemParam, SingleMonitor, StrainRef, CaseDataFile,
// ControllerModule and DataPrecision, in that order.
void SaveSystemParam(const std::string& path, const SampleSettings& settings,
                     const StoredWithSampleSettings& stored);
// Reads SystemParam (the analysis keys only with the spectrum option on) and
// DataPrecision into the record and the precision map.
void LoadSystemParam(const std::string& path, bool spectrumOption, SampleSettings& settings,
                     std::map<int, int>& precision);
// Reads SingleMonitor, StrainRef, CaseDataFile and ControllerModule (the
// project-file reader's share).
void LoadStoredWithSampleSettings(const std::string& path, StoredWithSampleSettings& stored);

// Seconds per sample for time axes.
double GetSampleTimeStep(const SampleSettings& settings);

// The status text of the record, never reading past its field.
std::string SampleStatusText(const SampleSettings& settings);
void SetSampleStatusText(SampleSettings& settings, const std::string& text);
