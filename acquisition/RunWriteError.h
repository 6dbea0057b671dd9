// The first error with which a run's data could not be stored, whoever met
// it: the case links writing their per-case files or the frame writing its
// per-unit files. The run stops on it and the user is told.
#pragma once

#include <atomic>
#include <string>

// An errno value; 0 while every write of the run has succeeded.
extern std::atomic<int> g_nRunWriteError;

// Keeps error as the run's write error unless one is kept already; true
// when it is the first.
bool ReportRunWriteError(int error);

// What the user (and the log) is told about a run stopped by the error.
std::string RunWriteErrorText(int error);

// Value of the end-of-run packet to a remote client when the run stopped
// because its data could not be written (1 is a run that ended normally).
constexpr int kRunEndWriteFailed = 0;
