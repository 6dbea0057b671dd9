// Relative times of the sampled-data exports: in continuous sampling the
// sample index times the sampling period, otherwise the whole seconds since
// a reference sample's time. Not a number when a record has no time.
#pragma once

#include "datafiles/ExportContext.h"
#include "datafiles/SampleFileFormat.h"

#include <cstdint>

class CExportRelativeTime {
public:
    explicit CExportRelativeTime(const ExportContext& context);
    // The reference of the non-continuous times.
    void SetReference(const SampleStatusRecord& record);
    // Milliseconds of a sample with its status record.
    double Milliseconds(std::int64_t sample, const SampleStatusRecord& record) const;

private:
    bool m_bContinuous = false;
    double m_dPeriod = 0.0; // seconds
    std::int64_t m_t0 = 0;
    mutable double m_dLastDate = 0.0; // the last record time converted, and its result
    mutable std::int64_t m_nLastTime = 0;
};
