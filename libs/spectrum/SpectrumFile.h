// The ".fft" files: one a channel, headerless, a sequence of blocks of L
// records (real, imaginary: two little-endian 32-bit floats). A file never
// mixes two line counts: an append that finds a partial block refuses, and
// the line count of a project's files is recorded in its project file.
#pragma once

#include "libs/spectrum/SpectrumMath.h"

#include <string>

namespace lurrow {

enum class AppendResult { Appended, PartialBlock, Failed };

// path + "/" + name + "_%d" + ".fft".
LURROW_API std::string FftFileName(const std::string& path, const std::string& name, int channel);
// Whole blocks of `lines` records in the file; 0 when it is missing.
LURROW_API int CountFftBlocks(const std::string& file, int lines);
// Block b (0-based); false when the file is missing or holds no block b.
LURROW_API bool ReadFftBlock(const std::string& file, int lines, int block, Spectrum& out);
// Appends one block of spectrum.size() records, creating the file.
LURROW_API AppendResult AppendFftBlock(const std::string& file, const Spectrum& spectrum);

// The line count recorded for a project's ".fft" files (key "LineCount" of
// section "FFTSpectrum" in path/name.dap); 0 when none was recorded.
LURROW_API int RecordedLineCount(const std::string& path, const std::string& name);
LURROW_API void RecordLineCount(const std::string& path, const std::string& name, int lines);

} // namespace lurrow
