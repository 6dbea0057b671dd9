// What a result calculation reads: the project's run (folder, name, sample
// count, online list, channel table) and where it reports. The gauge reader
// gives a chunk of gauge strains through the accessor in the run's own
// arrangement, with the stress display turned back into microstrain.
#pragma once

#include "datafiles/ChannelTable.h"
#include "datafiles/OnlineLayout.h"
#include "datafiles/ResultWorker.h"

#include <atomic>
#include <string>
#include <vector>

struct ResultCalcSource {
    platform::HWND hOwner = 0;
    std::string strProjectFolder;
    std::string strProjectName;
    int nSampleCount = 0;
    OnlineLayout layout;
    const IChannelTable* channels = nullptr;

    std::string DataPath() const { return strProjectFolder + "/" + strProjectName + ".dat"; }
    // folder + "/" + name + group number (from 1) + extension.
    std::string ResultPath(int groupNumber, const char* extension) const {
        return strProjectFolder + "/" + strProjectName + std::to_string(groupNumber) + extension;
    }
};

class GaugeStrainReader {
public:
    GaugeStrainReader(const ResultCalcSource& source, std::vector<int> gauges);
    // Reads samples first..first+n-1 (n up to one chunk); false when the run
    // cannot be read. Markers stay markers.
    bool Read(std::int64_t first, int n);
    const float* Strains(std::size_t gauge) const { return m_columns[gauge]; }

private:
    const ResultCalcSource& m_source;
    std::vector<int> m_gauges;
    std::vector<float> m_data;
    std::vector<float*> m_columns;
};

// Writes a chunk of result records behind the file's header.
class CRawFile;
bool WriteResultChunk(CRawFile& file, std::int64_t headerSize, std::int64_t recordSize, std::int64_t first,
                      const void* records, int n);
// True when any of the values is a stored-value marker.
bool AnyMarker(const float* values, int count);
