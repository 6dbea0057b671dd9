// The per-run value files of the virtual channels: project folder + "/" +
// project name + n + ".vit" for virtual channel n (from 1), one float32 per
// stored sample, kept open for the run in a map from index (n - 1).
#pragma once

#include <map>
#include <memory>
#include <string>

#include "datafiles/RawFile.h"

class CProjectState;

std::string VirtualChannelValueFilePath(const CProjectState& state, int channel);

class CVirtualChannelValueFiles {
public:
    CVirtualChannelValueFiles() = default;
    ~CVirtualChannelValueFiles() { Close(); }
    CVirtualChannelValueFiles(const CVirtualChannelValueFiles&) = delete;
    CVirtualChannelValueFiles& operator=(const CVirtualChannelValueFiles&) = delete;

    // Opens one file per virtual channel: created empty for a new run (or
    // when missing), otherwise positioned after the project's stored
    // samples. A file that cannot be opened is left out. Returns the number
    // of files open; files still open from before are released first.
    int Open(const CProjectState& state);
    // Releases every open file object; the files on disk stay.
    void Close();
    // Appends one value to the file of a virtual channel index; 0 when that
    // file is not open or the write fails.
    int Append(int index, float value);
    int GetOpenCount() const { return static_cast<int>(m_files.size()); }

private:
    std::map<int, std::unique_ptr<CRawFile>> m_files;
};
