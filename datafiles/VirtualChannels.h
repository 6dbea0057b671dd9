// Recomputation of the virtual channels' ".vit" files (one float32 per
// sample) from a stored run, read through the accessor in the run's own
// arrangement.
#pragma once

#include "datafiles/ChannelTable.h"
#include "datafiles/FormulaProgram.h"
#include "datafiles/OnlineLayout.h"

#include <string>
#include <vector>

constexpr int kMaxVirtualChannels = 128;

// What a computation needs of the project.
struct VirtualChannelRun {
    const OnlineLayout& layout;
    const IChannelTable& channels;
    std::string dataPath; // the run's ".dat" path
    int sampleCount = 0;
    int projectState = 0; // 2 and 3 hold data
};

// data folder + "/" + data base name + n + ".vit", n counted from 1.
std::string VirtualChannelFileName(const std::string& dataPath, int n);

// Recomputes the files of virtual channels 1..count from formulas[n - 1].
// A formula that does not compile gives 0.0 for every sample (its status is
// reported in statuses when given). Returns 0 when count is below 1, the
// project holds no data, a file cannot be created (the channels before it
// are complete) or the run cannot be read.
int ComputeVirtualChannels(const VirtualChannelRun& run, const std::vector<std::string>& formulas, int count,
                           std::vector<FormulaProgram::Status>* statuses = nullptr);

// The older two-operand virtual channels.
struct OperatorVirtualChannel {
    int nOperation = 0;       // 1 a - b, 2 a * b, 3 a / b, else a + b
    int nPosA = 0, nPosB = 0; // positions in the channel list
    float fKA = 1.0f, fKB = 1.0f;
    std::string strFirst;  // "^" in it: a and b are squared instead of scaled
    std::string strSecond; // "^" in it: the square root of the result
};

int ComputeOperatorVirtualChannels(const VirtualChannelRun& run,
                                   const std::vector<OperatorVirtualChannel>& defs, int count);
