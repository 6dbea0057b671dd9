// The MATLAB file library loaded at run time by the exports: one call
// writes a ".mat" file of sampled values.
#pragma once

extern "C" {

// Writes path as a MATLAB workspace holding "data", a count x channels
// double matrix (values holds channel after channel, count values each),
// and "frequency", the sampling frequency. 1 when the file was written.
int CreateMatFileEx(const char* path, double frequency, const double* values, int count, int channels);
}
