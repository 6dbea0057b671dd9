// Relative times of the sampled-data exports.
#include "datafiles/ExportRelativeTime.h"

#include "datafiles/DataFileAccess.h"
#include "model/TimeTexts.h"

#include <cmath>
#include <limits>

CExportRelativeTime::CExportRelativeTime(const ExportContext& context) {
    float seconds = 0.0f;
    m_bContinuous =
        GetContinuousSamplePeriod(context.nSamplingMode, context.fSamplingFrequency, seconds) != 0;
    m_dPeriod = seconds;
}

void CExportRelativeTime::SetReference(const SampleStatusRecord& record) {
    m_t0 = record.dtTime > 0.0 ? OleDateTimeToCTime(record.dtTime) : 0;
}

double CExportRelativeTime::Milliseconds(std::int64_t sample, const SampleStatusRecord& record) const {
    if (m_bContinuous)
        return double(sample) * m_dPeriod * 1000.0;
    if (m_t0 == 0 || !(record.dtTime > 0.0))
        return std::numeric_limits<double>::quiet_NaN();
    // The rows of one batch share their time: its conversion is kept.
    if (record.dtTime != m_dLastDate) {
        m_dLastDate = record.dtTime;
        m_nLastTime = OleDateTimeToCTime(record.dtTime);
    }
    return double(m_nLastTime - m_t0) * 1000.0;
}
