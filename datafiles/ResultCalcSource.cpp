// Gauge strains of a chunk of samples for the result calculations.
#include "datafiles/ResultCalcSource.h"

#include "datafiles/DataFileAccess.h"
#include "datafiles/RawFile.h"

#include <algorithm>

GaugeStrainReader::GaugeStrainReader(const ResultCalcSource& source, std::vector<int> gauges)
    : m_source(source), m_gauges(std::move(gauges)), m_data(m_gauges.size() * CDataFileAccess::kChunkSamples),
      m_columns(m_gauges.size()) {
    for (std::size_t i = 0; i < m_gauges.size(); ++i)
        m_columns[i] = &m_data[i * CDataFileAccess::kChunkSamples];
}

bool GaugeStrainReader::Read(std::int64_t first, int n) {
    if (!m_source.channels)
        return false;
    CDataFileAccess access(m_source.layout, *m_source.channels);
    if (!access.ReadChannelColumns(m_source.DataPath(), m_gauges, first, n, m_columns.data()))
        return false;
    for (std::size_t i = 0; i < m_gauges.size(); ++i) {
        const ChannelParamView param = m_source.channels->GetChannelParam(m_gauges[i]);
        if (param.nDisplayType != 1)
            continue;
        float* column = m_columns[i];
        for (int k = 0; k < n; ++k) {
            if (IsSpecialValue(column[k]))
                continue;
            column[k] =
                param.fModulus != 0.0f ? float(double(column[k]) * 1000.0 / param.fModulus) : kNoValue;
        }
    }
    return true;
}

bool WriteResultChunk(CRawFile& file, std::int64_t headerSize, std::int64_t recordSize, std::int64_t first,
                      const void* records, int n) {
    return file.WriteAt(headerSize + first * recordSize, records, recordSize * n);
}

bool AnyMarker(const float* values, int count) {
    return std::any_of(values, values + count, [](float v) { return IsSpecialValue(v) != 0; });
}
