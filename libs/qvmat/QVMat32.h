// The MATLAB file library loaded at run time by the exports: one call
// writes a ".mat" file of sampled values, or the file is written in pieces
// so that a long run never has to be held in memory at once.
#pragma once

extern "C" {

// Writes path as a MATLAB workspace holding "data", a count x channels
// double matrix (values holds channel after channel, count values each),
// and "frequency", the sampling frequency. 1 when the file was written.
int CreateMatFileEx(const char* path, double frequency, const double* values, int count, int channels);

// The same file written in pieces: MatFileCreate starts it for count
// samples of every channel (null when it cannot be made), each
// MatFileAppendRows adds rows samples of every channel (values channel
// after channel, rows values each) below those already written, and
// MatFileEnd completes and closes it, 1 when all count samples reached the
// file. MatFileEnd must be called for every created file.
void* MatFileCreate(const char* path, double frequency, int count, int channels);
int MatFileAppendRows(void* file, const double* values, int rows);
int MatFileEnd(void* file);
}
