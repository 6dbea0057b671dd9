// What the calibrator's dialogs use of its frame: the generator, the data
// store, the channel block and lists, the coefficients of the last reply 9,
// and the coefficient-writing thread (notification 10).
#pragma once

#include "calibrator/CalibrateData.h"
#include "calibrator/CalibrateTypes.h"

#include <array>
#include <string>
#include <vector>

class CStrainSignalControl;

class KelvaneDialogHost {
public:
    virtual ~KelvaneDialogHost() = default;
    virtual CStrainSignalControl& Generator() = 0;
    virtual CalibrateData& Data() = 0;
    virtual CalibrateChannelParam ChannelBlock() const = 0;
    // The coefficient dialog makes a range column the measuring range before writing it.
    virtual void SetMeasureRange(int range) = 0;
    // The full-scale list of the instrument's settings file.
    virtual std::vector<int> FullValues() const = 0;
    virtual std::vector<CalibrateCoefRecord> CoefRecords() const = 0;
    virtual bool HasCoefReply() const = 0;
    // Starts the coefficient-writing thread: code 10 with the current block,
    // the global channel numbers (-1: not written) and the coefficients;
    // false when one is still writing.
    virtual bool StartCoefWriting(const std::array<std::int32_t, kCalibrateChannels>& channels,
                                  const std::array<float, kCalibrateChannels>& coefs) = 0;
    virtual bool IsCoefWriting() const = 0;
    virtual std::string ProgramFolder() const = 0;
};
