#include "calibrator/CalibrateData.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>

const std::array<int, kCalibratePoints> kCalibratePointOrder = {10, 9,  8,  7,  6,  5,  4,  3,  2,  1, 0,
                                                                11, 12, 13, 14, 15, 16, 17, 18, 19, 20};

namespace {

constexpr float kNoReading = std::numeric_limits<float>::quiet_NaN();

CalibrateResultRecord EmptyRecord() {
    CalibrateResultRecord record;
    record.fValues.fill(kNoReading);
    return record;
}

void KeepZeroPoint(CalibratePointTable& table) {
    table[kZeroPoint] = 0.0f;
}

} // namespace

CalibratePointTable DefaultStrainPointTable() {
    static const float values[kCalibratePoints] = {20000, 15000, 10000, 5000,  2000,   1000,   500,
                                                   200,   100,   50,    0,     -50,    -100,   -200,
                                                   -500,  -1000, -2000, -5000, -10000, -15000, -20000};
    CalibratePointTable table;
    for (int i = 0; i < kCalibratePoints; ++i)
        table[i] = values[i];
    return table;
}

bool IsReadingMarker(float value) {
    return std::fabs(value) == kReadingMarker;
}

bool IsNumericText(const std::string& text) {
    if (text.empty())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '-' && i == 0)
            continue;
        if ((c < '0' || c > '9') && c != '.')
            return false;
    }
    return true;
}

float FitSlope(const std::vector<double>& x, const std::vector<double>& y) {
    const std::size_t n = std::min(x.size(), y.size());
    if (n < 2)
        return 0.0f;
    double sx = 0, sy = 0, sxy = 0, sxx = 0;
    for (std::size_t i = 0; i < n; ++i) {
        sx += x[i];
        sy += y[i];
        sxy += x[i] * y[i];
        sxx += x[i] * x[i];
    }
    const double nd = static_cast<double>(n);
    const double denominator = nd * sxx - sx * sx;
    // All x equal: no line through them.
    if (!(std::fabs(denominator) > 1e-12 * std::max(1.0, nd * sxx)))
        return 0.0f;
    const double a = (nd * sxy - sx * sy) / denominator;
    return std::isfinite(a) ? static_cast<float>(a) : 0.0f;
}

std::array<std::int32_t, kCalibrateChannels> WriteChannelNumbers(const CalibrateChannelParam& block,
                                                                 const std::vector<int>& channels) {
    std::array<std::int32_t, kCalibrateChannels> numbers;
    numbers.fill(-1);
    for (int c : channels) {
        const std::int64_t number = GlobalChannelNumber(block, c);
        if (c >= 0 && c < kCalibrateChannels && number >= 0 && number <= INT32_MAX)
            numbers[static_cast<std::size_t>(c)] = static_cast<std::int32_t>(number);
    }
    return numbers;
}

float CorrectedCoefficient(float runCoef, int channel, const std::vector<CalibrateCoefRecord>& records,
                           const std::vector<int>& fullValues, int measureRange) {
    if (channel < 0 || channel >= kCalibrateChannels)
        return runCoef;
    const auto found = std::find(fullValues.begin(), fullValues.end(), measureRange);
    const std::size_t position =
        found == fullValues.end() ? 0 : static_cast<std::size_t>(found - fullValues.begin());
    if (position >= records.size())
        return runCoef;
    return runCoef * records[position][static_cast<std::size_t>(channel)];
}

CalibrateData::CalibrateData() {
    m_strainPoints = DefaultStrainPointTable();
    KeepZeroPoint(m_voltagePoints);
    for (int c = 0; c < kCalibrateChannels; ++c)
        m_channels.push_back(c);
}

void CalibrateData::SetRun(int runType, int bridgeType, int measureRange) {
    std::lock_guard lock(m_mutex);
    m_nRunType = runType == CHAN_TYPE_VOLTAGE ? CHAN_TYPE_VOLTAGE : CHAN_TYPE_STRAIN;
    m_nBridgeType = bridgeType;
    m_nMeasureRange = measureRange;
}

int CalibrateData::RunType() const {
    std::lock_guard lock(m_mutex);
    return m_nRunType;
}

void CalibrateData::ResetForRun() {
    std::lock_guard lock(m_mutex);
    m_nCurrentPoint = kZeroPoint;
    m_currentErrors.clear();
    m_overLimit.clear();
    ResultsOf(m_nRunType).clear();
}

void CalibrateData::SetCurrent(int point, int channel) {
    std::lock_guard lock(m_mutex);
    m_nCurrentPoint = point;
    m_nCurrentChannel = channel;
}

int CalibrateData::CurrentPoint() const {
    std::lock_guard lock(m_mutex);
    return m_nCurrentPoint;
}

int CalibrateData::CurrentChannel() const {
    std::lock_guard lock(m_mutex);
    return m_nCurrentChannel;
}

void CalibrateData::SetExceptionPercent(int percent) {
    std::lock_guard lock(m_mutex);
    m_nExceptionPercent = percent;
}

void CalibrateData::SetErrorPercent(float percent) {
    std::lock_guard lock(m_mutex);
    m_fErrorPercent = percent;
}

float CalibrateData::ErrorPercent() const {
    std::lock_guard lock(m_mutex);
    return m_fErrorPercent;
}

bool CalibrateData::StoreReading(const CaseSampleBlock& block) {
    std::lock_guard lock(m_mutex);
    const int channel = m_nCurrentChannel;
    const int point = m_nCurrentPoint;
    if (channel < 0 || channel >= kCalibrateChannels || point < 0 || point >= kCalibratePoints)
        return false;
    float r = block.fValues[channel];
    const bool marker = IsReadingMarker(r);
    if (m_nRunType == CHAN_TYPE_STRAIN && m_nBridgeType == BRIDGE_FULL && !marker)
        r /= 0.25f;
    CalibrateResultTable& results = ResultsOf(m_nRunType);
    auto found = results.find(point);
    if (found == results.end())
        found = results.emplace(point, EmptyRecord()).first;
    found->second.nUnit = block.nHeader;
    found->second.fValues[static_cast<std::size_t>(channel)] = r;

    const CalibratePointTable& points = Points(m_nRunType);
    const auto nominal = points.find(point);
    if (nominal == points.end())
        return true;
    const double v = nominal->second;
    // A reading that is no number is never accepted.
    if (!std::isfinite(r))
        return false;
    const double deviation = std::fabs(v) <= 1e-15 ? std::fabs(std::fabs(r) - 0.1) / 0.1
                                                   : std::fabs((std::fabs(r) - std::fabs(v)) / v) * 100.0;
    if (deviation > m_nExceptionPercent)
        return false;
    if (m_nMeasureRange != 0 && !marker) {
        const double fullScale =
            m_nRunType == CHAN_TYPE_STRAIN ? static_cast<double>(m_nMeasureRange) * 1000.0 : m_nMeasureRange;
        const float e = static_cast<float>(std::fabs((r - v) / fullScale) * 100.0);
        m_currentErrors[channel] = e;
        auto maxRecord = results.find(kMaxErrorKey);
        if (maxRecord == results.end()) {
            CalibrateResultRecord zeros;
            zeros.fValues.fill(0.0f);
            maxRecord = results.emplace(kMaxErrorKey, zeros).first;
        }
        float& stored = maxRecord->second.fValues[static_cast<std::size_t>(channel)];
        stored = std::max(stored, e);
    }
    return true;
}

void CalibrateData::RebuildOverLimit() {
    std::lock_guard lock(m_mutex);
    m_overLimit.clear();
    const CalibrateResultTable& results = ResultsOf(m_nRunType);
    const auto maxRecord = results.find(kMaxErrorKey);
    if (maxRecord == results.end())
        return;
    for (int c = 0; c < kCalibrateChannels; ++c)
        if (maxRecord->second.fValues[static_cast<std::size_t>(c)] > m_fErrorPercent)
            m_overLimit.push_back(c);
}

std::vector<int> CalibrateData::OverLimit() const {
    std::lock_guard lock(m_mutex);
    return m_overLimit;
}

bool CalibrateData::AnyOverLimit() const {
    std::lock_guard lock(m_mutex);
    const CalibrateResultTable& results =
        m_nRunType == CHAN_TYPE_VOLTAGE ? m_voltageResults : m_strainResults;
    const auto maxRecord = results.find(kMaxErrorKey);
    if (maxRecord == results.end())
        return false;
    return std::any_of(maxRecord->second.fValues.begin(), maxRecord->second.fValues.end(),
                       [this](float e) { return e > m_fErrorPercent; });
}

void CalibrateData::ComputeCorrection() {
    std::lock_guard lock(m_mutex);
    const CalibrateResultTable& results = ResultsOf(m_nRunType);
    const CalibratePointTable& points = Points(m_nRunType);
    for (int c = 0; c < kCalibrateChannels; ++c) {
        std::vector<double> x, y;
        for (const auto& [point, record] : results) {
            if (point < 0 || point >= kCalibratePoints)
                continue;
            const auto nominal = points.find(point);
            const float r = record.fValues[static_cast<std::size_t>(c)];
            if (nominal == points.end() || !std::isfinite(r) || IsReadingMarker(r))
                continue;
            x.push_back(std::fabs(r));
            y.push_back(std::fabs(nominal->second));
        }
        m_coefs[static_cast<std::size_t>(c)] = FitSlope(x, y);
    }
}

std::array<float, kCalibrateChannels> CalibrateData::Coefficients() const {
    std::lock_guard lock(m_mutex);
    return m_coefs;
}

void CalibrateData::SetCoefficients(const std::array<float, kCalibrateChannels>& coefs) {
    std::lock_guard lock(m_mutex);
    m_coefs = coefs;
}

int CalibrateData::Standing() const {
    std::lock_guard lock(m_mutex);
    return m_nStanding;
}

void CalibrateData::SetStanding(int standing) {
    std::lock_guard lock(m_mutex);
    m_nStanding = standing;
}

CalibratePointTable CalibrateData::PointTable(int runType) const {
    std::lock_guard lock(m_mutex);
    return runType == CHAN_TYPE_VOLTAGE ? m_voltagePoints : m_strainPoints;
}

void CalibrateData::SetPointTable(int runType, CalibratePointTable table) {
    std::lock_guard lock(m_mutex);
    std::erase_if(table,
                  [](const auto& entry) { return entry.first < 0 || entry.first >= kCalibratePoints; });
    KeepZeroPoint(table);
    Points(runType) = std::move(table);
}

CalibrateResultTable CalibrateData::Results(int runType) const {
    std::lock_guard lock(m_mutex);
    return runType == CHAN_TYPE_VOLTAGE ? m_voltageResults : m_strainResults;
}

void CalibrateData::SetResults(int runType, CalibrateResultTable results) {
    std::lock_guard lock(m_mutex);
    ResultsOf(runType) = std::move(results);
}

std::map<int, float> CalibrateData::CurrentErrors() const {
    std::lock_guard lock(m_mutex);
    return m_currentErrors;
}

std::vector<int> CalibrateData::ChannelList() const {
    std::lock_guard lock(m_mutex);
    return m_channels;
}

void CalibrateData::SetChannelList(std::vector<int> channels) {
    std::erase_if(channels, [](int c) { return c < 0 || c >= kCalibrateChannels; });
    std::sort(channels.begin(), channels.end());
    channels.erase(std::unique(channels.begin(), channels.end()), channels.end());
    std::lock_guard lock(m_mutex);
    m_channels = std::move(channels);
}

void CalibrateData::ToggleChannel(int channel) {
    std::vector<int> channels = ChannelList();
    const auto found = std::find(channels.begin(), channels.end(), channel);
    if (found != channels.end())
        channels.erase(found);
    else
        channels.push_back(channel);
    SetChannelList(std::move(channels));
}

void CalibrateData::ToggleAllChannels() {
    std::vector<int> all;
    if (ChannelList().size() != kCalibrateChannels)
        for (int c = 0; c < kCalibrateChannels; ++c)
            all.push_back(c);
    SetChannelList(std::move(all));
}

int CalibrateData::VoltagePoint() const {
    std::lock_guard lock(m_mutex);
    return m_nVoltagePoint;
}

void CalibrateData::SetVoltagePoint(int point) {
    std::lock_guard lock(m_mutex);
    m_nVoltagePoint = point;
}
