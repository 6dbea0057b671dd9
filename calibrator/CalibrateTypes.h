// Records of the calibrator: the calibration channel block and the
// controller record carried on the link, the coefficient records of reply 9,
// the result-file options and the run settings of the instrument's settings
// file. Wire records are packed little-endian as they travel.
#pragma once

#include "model/CaseSampleBlock.h"

#include <array>
#include <cstdint>
#include <string>

constexpr int kCalibrateChannels = 16; // channels of one module
constexpr int kCalibratePoints = 21;   // point indices 0-20
constexpr int kZeroPoint = 10;         // the zero point
constexpr int kMaxErrorKey = 21;       // result-table key of the maximum errors
constexpr int kModulesPerCase = 8;
// Markers a channel reports instead of a reading.
constexpr float kReadingMarker = 8388609.0f;

enum CalibrateChanType : std::int32_t { CHAN_TYPE_STRAIN = 0, CHAN_TYPE_VOLTAGE = 1 };
enum CalibrateBridgeType : std::int32_t { BRIDGE_FULL = 0, BRIDGE_HALF = 1, BRIDGE_QUARTER = 2 };

#pragma pack(push, 1)
// The calibration channel block of commands 5, 9 and 10.
struct CalibrateChannelParam {
    std::int32_t nCase = 0;         // case whose module is calibrated
    std::int32_t nModule = 0;       // module in the case, 0-7
    std::int32_t ChanType = 0;      // CalibrateChanType
    std::int32_t BridgeType = 0;    // CalibrateBridgeType
    std::int32_t MeasureRange = 0;  // strain: full scale / 1000; voltage: the range itself
    std::int32_t BridgeVoltage = 2; // bridge voltage
    std::uint8_t UserDefined = 0;   // user-defined lead flag
    std::uint8_t padding[3] = {};
    float StandardLeadR = 0.0f; // standard lead resistance
    float LeadR = 0.0f;         // user-defined lead resistance
};

// One controller of reply 0.
struct CalibrateControllerRecord {
    char szAddress[16] = {};
    std::int32_t nCase = 0;    // shown + 1 as the machine number
    std::int32_t nModules = 0; // at most 8
    std::int32_t nModuleNo[kModulesPerCase] = {};
};
#pragma pack(pop)
static_assert(sizeof(CalibrateChannelParam) == 36, "calibration channel block is 36 bytes");
static_assert(sizeof(CalibrateControllerRecord) == 56, "controller record is 56 bytes");

// Global number of a channel of the block's module (channel 0-15).
inline std::int64_t GlobalChannelNumber(const CalibrateChannelParam& block, int channel) {
    return static_cast<std::int64_t>(block.nCase) * 128 + static_cast<std::int64_t>(block.nModule) * 16 +
           channel;
}

// One coefficient record of reply 9: a coefficient per channel for one range.
using CalibrateCoefRecord = std::array<float, kCalibrateChannels>;

// Result-file options, shared with the file-name dialog.
struct DataFileOption {
    std::string FileName; // base name, at most 15 characters
    std::string FilePath; // result folder; empty: the program folder
    int SaveMode = 0;     // 0 automatic, 1 manual
    int SaveType = 0;     // 0 ".xls", non-zero ".doc"
    bool Multifile = false;
    bool DateStoring = false;
    int DateIndex = 0; // 0-5
    bool TimeStoring = false;
    int TimeIndex = 0; // 0-3
    bool NumStoring = false;
    int StartNum = 0;
};

// Section "Calibration" of the instrument's settings file.
struct CalibrationSettings {
    float StandardLeadR = 0.0f;
    int SteadySleep = 1000; // ms before each reading and balance request
    int Standing = -1;      // -1 no repeat, 0 for ever, N runs in all
    bool ErrorPrompt = false;
    int ErrorGetTimes = 3;
    int ExceptionPercent = 20;
    bool ErrorCorrect = false;
    float ErrorPercent = 0.05f;
    int CalibrateType = 1; // 1 channel by channel, 0 point by point
};

// The test description kept with the point tables.
struct DetectParam {
    std::string DetectedName, DetectedNumber, DetectName, DetectNumber, DetectPerson, Corrector, Assessor,
        Date;
};
