// The calibration data store: point tables, the readings of the run, the
// errors against the nominal values, the over-limit list and the correction
// coefficients. One object serves the frame, the run and the dialogs; every
// member is read and written under its lock, so the user-interface thread
// may show what the calibration thread is writing.
#pragma once

#include "calibrator/CalibrateTypes.h"

#include <array>
#include <map>
#include <mutex>
#include <vector>

// One result record: the unit number and a reading per channel; a channel
// without a reading holds NaN. Key kMaxErrorKey holds maximum errors.
struct CalibrateResultRecord {
    std::int32_t nUnit = -1;
    std::array<float, kCalibrateChannels> fValues{};
};

using CalibratePointTable = std::map<int, float>; // point index -> nominal value
using CalibrateResultTable = std::map<int, CalibrateResultRecord>;

// The points a strain run visits: the zero point, 9 down to 0, then 11 up to 20.
extern const std::array<int, kCalibratePoints> kCalibratePointOrder;
// The strain points used when no settings file exists.
CalibratePointTable DefaultStrainPointTable();
// True for the two reading markers (±8388609).
bool IsReadingMarker(float value);
// Whether a text is a number as the editors accept it: only "0123456789.-",
// a "-" only in front, not empty.
bool IsNumericText(const std::string& text);
// Least-squares slope of y = a·x + b; 0 for under two pairs or all x equal.
float FitSlope(const std::vector<double>& x, const std::vector<double>& y);

// The channel numbers of a coefficient write: (case × 8 + module) × 16 +
// channel for the listed channels (0-15), -1 for the others.
std::array<std::int32_t, kCalibrateChannels> WriteChannelNumbers(const CalibrateChannelParam& block,
                                                                 const std::vector<int>& channels);
// A run's coefficient for the instrument: times the instrument's current
// coefficient of the channel for the measuring range (the record at the
// range's position in the full-scale list, position 0 when the range is not
// in it); the run's coefficient alone when the reply holds no such record.
float CorrectedCoefficient(float runCoef, int channel, const std::vector<CalibrateCoefRecord>& records,
                           const std::vector<int>& fullValues, int measureRange);

class CalibrateData {
public:
    CalibrateData();
    CalibrateData(const CalibrateData&) = delete;
    CalibrateData& operator=(const CalibrateData&) = delete;

    // Run setup: run type and the channel block's bridge type and range.
    void SetRun(int runType, int bridgeType, int measureRange);
    int RunType() const;
    // Clears for a new run of the run type: current point 10, the current
    // point's errors, the over-limit list and that run type's results.
    void ResetForRun();
    void SetCurrent(int point, int channel);
    int CurrentPoint() const;
    int CurrentChannel() const;

    void SetExceptionPercent(int percent);
    void SetErrorPercent(float percent);
    float ErrorPercent() const;

    // Stores the current channel's reading of the block at the current
    // point (a full-bridge strain reading is divided by 0.25, markers never)
    // and checks it against the nominal value; true when accepted. Only an
    // accepted reading enters the errors.
    bool StoreReading(const CaseSampleBlock& block);

    // Every channel whose maximum error exceeds the error limit.
    void RebuildOverLimit();
    std::vector<int> OverLimit() const;
    bool AnyOverLimit() const;

    // Fits each channel's readings against the nominal values (see FitSlope)
    // over the points holding both, skipping markers and non-finite readings.
    void ComputeCorrection();
    std::array<float, kCalibrateChannels> Coefficients() const;
    void SetCoefficients(const std::array<float, kCalibrateChannels>& coefs);
    int Standing() const;
    void SetStanding(int standing);

    // Point tables (0 strain, 1 voltage); point 10 is always there with 0.
    CalibratePointTable PointTable(int runType) const;
    void SetPointTable(int runType, CalibratePointTable table);
    CalibrateResultTable Results(int runType) const;
    void SetResults(int runType, CalibrateResultTable results);
    std::map<int, float> CurrentErrors() const;

    // Channels to calibrate, ascending.
    std::vector<int> ChannelList() const;
    void SetChannelList(std::vector<int> channels);
    // Adds or removes one channel (row-header click).
    void ToggleChannel(int channel);
    // Corner click: all 16, or none when all 16 are in.
    void ToggleAllChannels();

    // The voltage point chosen for the next voltage run.
    int VoltagePoint() const;
    void SetVoltagePoint(int point);

private:
    CalibratePointTable& Points(int runType) {
        return runType == CHAN_TYPE_VOLTAGE ? m_voltagePoints : m_strainPoints;
    }
    CalibrateResultTable& ResultsOf(int runType) {
        return runType == CHAN_TYPE_VOLTAGE ? m_voltageResults : m_strainResults;
    }

    mutable std::mutex m_mutex; // guards every member below
    int m_nRunType = CHAN_TYPE_STRAIN;
    int m_nCurrentPoint = kZeroPoint;
    int m_nCurrentChannel = 0;
    int m_nBridgeType = BRIDGE_FULL;
    int m_nMeasureRange = 0;
    CalibratePointTable m_strainPoints;
    CalibratePointTable m_voltagePoints;
    CalibrateResultTable m_strainResults;
    CalibrateResultTable m_voltageResults;
    std::map<int, float> m_currentErrors;
    std::vector<int> m_overLimit;
    float m_fErrorPercent = 0.05f;
    int m_nExceptionPercent = 20;
    std::array<float, kCalibrateChannels> m_coefs{};
    int m_nStanding = -1;
    std::vector<int> m_channels;
    int m_nVoltagePoint = kZeroPoint;
};
