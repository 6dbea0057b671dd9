// The tab-separated sample log: one line per sample with the engineering
// value of every channel of every online case, under a head line that names
// the columns.
#pragma once

#include <string>

#include "model/CaseSampleBlock.h"

// frame: the current sample set, 512 case blocks indexed by case number;
// sampleTime: an 8-byte date. A new file starts with the head line. False
// when the file cannot be written.
bool WriteSampleLogLine(const std::string& fileName, const CaseSampleBlock* frame, double sampleTime);
