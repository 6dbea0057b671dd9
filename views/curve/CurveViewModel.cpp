// The curve view's data, ranges, cursors and layout keys.
#include "views/curve/CurveViewModel.h"

#include "datafiles/DataFileAccess.h"
#include "datafiles/SampleFileFormat.h"
#include "model/CaseSampleBlock.h"
#include "platform/Profile.h"
#include "platform/Text.h"
#include "views/curve/CurveResults.h"
#include "views/curve/CurveWorld.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr int kFirstVirtual = 4096;
constexpr int kFirstDigital = 4224;
constexpr int kDigitalCount = 8;
constexpr float kMarginUp = 1.1111112f;
constexpr float kMarginDown = 0.9f;

bool IsGap(float value) {
    return !std::isfinite(value) || IsSpecialValue(value) != 0;
}

// A layout value outside lo..hi takes the default.
int Bounded(int value, int lo, int hi, int fallback) {
    return value < lo || value > hi ? fallback : value;
}

} // namespace

CCurveViewModel::CCurveViewModel() : m_nSelLineID_Group(kMaxDistributionIds, 0) {
    ResetDisplay();
}

void CCurveViewModel::ResetDisplay() {
    std::fill(m_nSelLineID_Group.begin(), m_nSelLineID_Group.end(), 0);
    m_nDistributionCount = 0;
    m_nActiveLine = 0;
    m_nShowDataLineCount = 1;
    m_nShowGraphType = 1;
    m_nPointCount = m_nWindowCount = m_nPageLength = 256;
    m_nFirstSample = 0;
    m_Curves.clear();
    m_CurveIds.clear();
    m_bBuffersReady = false;
    m_fltCurYMax = kDefaultRange;
}

// ---------------------------------------------------------------- buffers

int CCurveViewModel::BufferLength() const {
    if (m_nShowGraphType == 2 && m_bSampling)
        return kMaxXYPoints;
    int n = std::max(m_nWindowCount, 1);
    // A live page never writes past its buffer.
    if (m_bSampling && m_nShowGraphType == 1)
        n = std::max(n, m_nPageLength);
    return n;
}

bool CCurveViewModel::AllocCurveBuffers(const CurveWorld& world) {
    if (HasCurves() || m_nShowDataLineCount < 1)
        return false;
    m_nShowDataLineCount = std::min(m_nShowDataLineCount, kMaxCurves);
    const int n = BufferLength();
    if (m_bSampling && m_nPointCount > n)
        m_nPointCount = n;
    m_Curves.assign(std::size_t(m_nShowDataLineCount), CCurveSeries{});
    for (CCurveSeries& curve : m_Curves) {
        curve.m_nCount = n;
        if (curve.AllocBuffers() == 0)
            continue;
        curve.SetLimit1(kDefaultRange);
        curve.SetLimit2(-kDefaultRange);
        for (int i = 0; i < n; ++i)
            curve.m_Times[std::size_t(i)] = double(m_nFirstSample + i) * m_fSampleInterval;
        if (m_nShowGraphType == 2) {
            curve.SetLimit3(kDefaultRange);
            curve.SetLimit4(-kDefaultRange);
        } else {
            curve.SetLimit3(float(m_nPageLength));
            curve.SetLimit4(0.0f);
        }
        curve.m_rcPlot = m_rcPlot;
    }
    m_bBuffersReady = true;
    RevalidateChannels(world);
    m_nXYCount = 0;
    m_nXYHead = 0;
    RecomputeExtremes();
    return true;
}

bool CCurveViewModel::FreeCurveBuffers() {
    if (!HasCurves())
        return false;
    m_Curves.clear();
    m_bBuffersReady = false;
    m_bDataExtremes = false;
    return true;
}

void CCurveViewModel::ClearPointValues() {
    for (CCurveSeries& curve : m_Curves)
        std::fill(curve.m_Values.begin(), curve.m_Values.end(), kNoValue);
    m_bDataExtremes = false;
}

void CCurveViewModel::AssignChannelIds() {
    m_CurveIds.assign(m_Curves.size(), 0);
    for (std::size_t i = 0; i < m_Curves.size(); ++i) {
        if (m_nLineType == 1 && m_nShowGraphType == 3)
            m_CurveIds[i] = m_nSelLineID_Group[i];
        else
            m_CurveIds[i] = m_nShowGraphTypeIds[i];
    }
}

int CCurveViewModel::CurveChannel(int curve) const {
    if (curve < 0 || curve >= int(m_CurveIds.size()))
        return curve >= 0 && curve < kMaxCurves ? m_nShowGraphTypeIds[std::size_t(curve)] : 0;
    return m_CurveIds[std::size_t(curve)];
}

std::vector<int> CCurveViewModel::GetChannelIDs() const {
    std::vector<int> ids;
    for (int i = 0; i < m_nShowDataLineCount; ++i)
        ids.push_back(CurveChannel(i));
    return ids;
}

void CCurveViewModel::RevalidateChannels(const CurveWorld& world) {
    const int measured = int(world.measChanList.size());
    if (measured > 0) {
        m_nActiveLine = std::clamp(m_nActiveLine, 0, measured - 1);
        if (m_nLineType == 1) {
            const int first = world.FirstMeasured(), last = world.LastMeasured();
            for (int i = 0; i < kMaxCurves; ++i) {
                const int id = m_nShowGraphTypeIds[std::size_t(i)];
                if (id < kFirstVirtual && (id < first || id > last))
                    m_nShowGraphTypeIds[std::size_t(i)] = world.measChanList[std::size_t(i % measured)];
            }
        }
    }
    m_nActiveLine = std::clamp(m_nActiveLine, 0, std::max(m_nShowDataLineCount - 1, 0));
    m_nSelIndex_Group.fill(0);
    AssignChannelIds();
}

void CCurveViewModel::SetDrawingMode(int mode, const CurveWorld& world) {
    if (mode < 1 || mode > 3)
        return;
    FreeCurveBuffers();
    // The distribution line runs over its chosen channels, never over the time
    // window's length of unset ids; without a choice it takes the measured channels.
    if (mode == 3 && m_nShowGraphType != 3) {
        if (m_nDistributionCount < 1) {
            const int n = std::min(int(world.measChanList.size()), kMaxDistributionIds);
            std::copy_n(world.measChanList.begin(), n, m_nSelLineID_Group.begin());
            m_nDistributionCount = n;
        }
        if (m_nDistributionCount > 0) {
            m_nPointCount = m_nWindowCount = m_nDistributionCount;
            ClampCursors();
        }
    }
    m_nShowGraphType = mode;
    AllocCurveBuffers(world);
}

void CCurveViewModel::TakeTheoryValues(const CurveWorld& world) {
    m_TheoryValues.clear();
    for (int channel : GetChannelIDs()) {
        auto it = world.theoryValues.find(channel);
        if (it == world.theoryValues.end() || it->second.empty())
            it = world.theoryValues.find(-1);
        m_TheoryValues.push_back(it != world.theoryValues.end() ? it->second : std::vector<float>{});
    }
}

bool CCurveViewModel::ResetSignalKind(const CurveWorld& world) {
    m_bPeakListShown = false;
    m_bTheoryShown = false;
    if (m_nLineType != 2 && m_nLineType != 4)
        return false;
    m_nLineType = 1;
    if (FreeCurveBuffers())
        AllocCurveBuffers(world);
    else
        RevalidateChannels(world);
    return true;
}

void CCurveViewModel::SetPointCount(int count) {
    const int held = m_Curves.empty() ? count : m_Curves.front().m_nCount;
    m_nPointCount = std::clamp(count, 0, std::max(held, 0));
}

// ------------------------------------------------------------------- data

bool CCurveViewModel::ChannelValue(int id, const float* sampleSet, const CurveWorld& world,
                                   float& value) const {
    if (id >= 0 && id < kFirstVirtual) {
        const int position = world.setPosition[std::size_t(id)];
        if (sampleSet == nullptr || position < 0)
            return false;
        value = sampleSet[position];
        return true;
    }
    if (id >= kFirstVirtual && id < kFirstDigital) {
        const auto it = m_VirtualValues.find(id - kFirstVirtual);
        if (it == m_VirtualValues.end())
            return false;
        value = it->second;
        return true;
    }
    if (id >= kFirstDigital && id < kFirstDigital + kDigitalCount && sampleSet != nullptr) {
        value = sampleSet[id - 128];
        return true;
    }
    return false;
}

float CCurveViewModel::PointValue(int curve, int index) const {
    if (curve < 0 || curve >= int(m_Curves.size()))
        return kNoValue;
    const std::vector<float>& values = m_Curves[std::size_t(curve)].m_Values;
    const int size = int(values.size());
    if (size == 0 || index < 0 || index >= size)
        return kNoValue;
    if (m_nShowGraphType == 2 && m_nXYCount >= std::min(size, kMaxXYPoints))
        index = (m_nXYHead + index) % std::min(size, kMaxXYPoints);
    return values[std::size_t(index)];
}

void CCurveViewModel::StorePoint(int curve, int index, float value) {
    std::vector<float>& values = m_Curves[std::size_t(curve)].m_Values;
    if (index >= 0 && index < int(values.size()))
        values[std::size_t(index)] = value;
}

void CCurveViewModel::TakeExtreme(float value) {
    if (IsGap(value))
        return;
    if (!m_bDataExtremes) {
        m_fDataMax = m_fDataMin = value;
        m_bDataExtremes = true;
        return;
    }
    m_fDataMax = std::max(m_fDataMax, value);
    m_fDataMin = std::min(m_fDataMin, value);
}

void CCurveViewModel::RecomputeExtremes() {
    m_bDataExtremes = false;
    for (std::size_t c = 0; c < m_Curves.size(); ++c) {
        const std::vector<float>& values = m_Curves[c].m_Values;
        const int n = std::min(m_nShowGraphType == 2 ? m_nXYCount : m_nPointCount, int(values.size()));
        for (int i = 0; i < n; ++i)
            TakeExtreme(values[std::size_t(i)]);
    }
}

int CCurveViewModel::AppendRealTimeData(int kind, int count, const float* sampleSet,
                                        const float* const* blocks, const CurveWorld& world) {
    if (!HasCurves())
        return m_nPointCount;
    const int length = m_Curves.front().m_nCount;
    const int curves = int(m_Curves.size());
    const auto valueOf = [&](int curve) {
        float v = kNoValue;
        ChannelValue(CurveChannel(curve), sampleSet, world, v);
        return v;
    };
    if (kind == 1) {
        m_nPointCount = std::max(m_nPointCount, 1);
        if (m_nShowGraphType == 1) {
            const int index = std::min(m_nPointCount, length) - 1;
            // Extremes grow while the page fills; a page started anew drops them.
            const bool extend = index > 0;
            if (!extend)
                m_bDataExtremes = false;
            for (int c = 0; c < curves; ++c) {
                const float v = valueOf(c);
                StorePoint(c, index, v);
                TakeExtreme(v);
            }
        } else if (m_nShowGraphType == 2) {
            const int ring = std::min(length, kMaxXYPoints);
            int index = m_nXYCount;
            bool leaving = false;
            if (m_nXYCount >= ring) {
                index = m_nXYHead;
                m_nXYHead = (m_nXYHead + 1) % ring;
                for (int c = 0; c < curves; ++c) {
                    const float old = m_Curves[std::size_t(c)].m_Values[std::size_t(index)];
                    leaving = leaving || (!IsGap(old) && (old >= m_fDataMax || old <= m_fDataMin));
                }
            }
            for (int c = 0; c < curves; ++c)
                StorePoint(c, index, valueOf(c));
            m_nXYCount = std::min(m_nXYCount + 1, ring);
            m_nPointCount = m_nXYCount;
            if (leaving) {
                RecomputeExtremes();
            } else {
                for (int c = 0; c < curves; ++c)
                    TakeExtreme(m_Curves[std::size_t(c)].m_Values[std::size_t(index)]);
            }
        } else if (m_nShowGraphType == 3 && m_STRealViewOption.nAutoDistribution != 0) {
            const int points = std::min(m_nPointCount, length);
            for (int c = 0; c + 1 < curves; ++c)
                std::copy_n(m_Curves[std::size_t(c + 1)].m_Values.begin(), points,
                            m_Curves[std::size_t(c)].m_Values.begin());
            for (int j = 0; j < points; ++j) {
                float v = kNoValue;
                ChannelValue(m_nSelLineID_Group[std::size_t(j)], sampleSet, world, v);
                StorePoint(curves - 1, j, v);
            }
            RecomputeExtremes();
        }
    } else if (kind == 2 && blocks != nullptr && m_nShowGraphType != 3) {
        const int n = std::clamp(count, 0, length);
        for (int c = 0; c < curves; ++c) {
            const int id = CurveChannel(c);
            const auto it = std::find(world.measChanList.begin(), world.measChanList.end(), id);
            if (id >= kFirstVirtual || it == world.measChanList.end())
                continue;
            const float* column = blocks[it - world.measChanList.begin()];
            if (column != nullptr)
                std::copy_n(column, n, m_Curves[std::size_t(c)].m_Values.begin());
        }
        m_nPointCount = n;
        if (m_nShowGraphType == 2)
            m_nXYCount = std::min(n, kMaxXYPoints), m_nXYHead = 0;
        RecomputeExtremes();
    }
    if (m_Options.m_nScareType == 1)
        ComputeAutoRange();
    return m_nPointCount;
}

bool CCurveViewModel::LoadCurveData(const CurveWorld& world) {
    if (!HasCurves() || world.channelTable == nullptr)
        return false;
    const int first = std::max(m_nFirstSample, 0);
    const int length = m_Curves.front().m_nCount;
    const int count = std::clamp(m_nPointCount, 0, length);
    const CDataFileAccess access(world.layout, *world.channelTable);
    // One channel over count samples from a start, by its channel class.
    const auto readChannel = [&](int id, int start, int n, float* out) {
        if (n <= 0)
            return true;
        if (id >= 0 && id < kFirstVirtual)
            return access.ReadChannelRange(world.dataPath, id, start, start + n - 1, out) != 0;
        if (id >= kFirstVirtual && id < kFirstDigital) {
            std::vector<float> values[128];
            if (ReadVirtualChannels(world.virtualBase, {id}, start, n, values) == 0)
                return false;
            const std::vector<float>& column = values[id - kFirstVirtual];
            if (int(column.size()) < n)
                return false;
            std::copy_n(column.begin(), n, out);
            return true;
        }
        if (id >= kFirstDigital && id < kFirstDigital + kDigitalCount) {
            std::map<int, std::vector<float>> values;
            if (ReadDigitalRecords(world.layout, world.digitalPath, start, n, values) == 0)
                return false;
            const std::vector<float>& column = values[id - kFirstDigital];
            if (int(column.size()) < n)
                return false;
            std::copy_n(column.begin(), n, out);
            return true;
        }
        return false;
    };
    bool ok = true;
    if (m_nLineType == 1 && (m_nShowGraphType == 1 || m_nShowGraphType == 2)) {
        for (std::size_t c = 0; c < m_Curves.size() && ok; ++c)
            ok = readChannel(CurveChannel(int(c)), first, count, m_Curves[c].m_Values.data());
        if (m_nShowGraphType == 2)
            m_nXYCount = std::min(count, kMaxXYPoints), m_nXYHead = 0;
    } else if (m_nLineType == 1 && m_nShowGraphType == 3) {
        const bool manual = m_STRealViewOption.nAutoDistribution == 0;
        for (std::size_t c = 0; c < m_Curves.size() && ok; ++c) {
            const int sample = manual ? m_nSelIndex_Group[c] : first + int(c);
            for (int j = 0; j < count && ok; ++j)
                ok = readChannel(m_nSelLineID_Group[std::size_t(j)], sample, 1,
                                 &m_Curves[c].m_Values[std::size_t(j)]);
        }
    } else if (IsResultCurveKind(m_nLineType) && m_nShowGraphType == 1) {
        // Each curve a group's result value; a group without results leaves the others drawn.
        for (std::size_t c = 0; c < m_Curves.size(); ++c)
            ok = ReadResultCurve(world, m_nLineType, CurveChannel(int(c)), m_Options.m_nYType, first, count,
                                 m_Curves[c].m_Values.data()) &&
                 ok;
    }
    RecomputeExtremes();
    if (ok && m_Options.m_nScareType == 1)
        ComputeAutoRange();
    return ok;
}

// ----------------------------------------------------------------- ranges

void CCurveViewModel::InitRangeFromChannels(const CurveWorld& world) {
    if (!HasCurves()) {
        m_fAutoYMax = kDefaultRange;
        m_fAutoYMin = -kDefaultRange;
    } else {
        float hi = 0.0f, lo = 0.0f;
        for (int c = 0; c < int(m_Curves.size()); ++c) {
            const int id = CurveChannel(c);
            if (id < 0 || id >= kFirstVirtual)
                continue;
            const float range = world.channels[std::size_t(id)].fRange;
            hi = std::max(hi, range);
            lo = std::min(lo, range);
        }
        m_fAutoYMax = hi;
        m_fAutoYMin = lo;
    }
    if (m_nShowGraphType == 2) {
        m_dXMax = m_fAutoYMax;
        m_dXMin = m_fAutoYMin;
    } else {
        m_dXMax = 256.0;
        m_dXMin = 0.0;
    }
}

bool CCurveViewModel::AutoRangeWaits() const {
    return m_bSampling && !m_bNewSampleData;
}

void CCurveViewModel::ComputeAutoRange() {
    if (AutoRangeWaits())
        return;
    float hi = m_bDataExtremes ? m_fDataMax : 0.0f;
    float lo = m_bDataExtremes ? m_fDataMin : 0.0f;
    hi = hi >= 0.0f ? hi * kMarginUp : hi * kMarginDown;
    lo = lo >= 0.0f ? lo * kMarginDown : lo * kMarginUp;
    if (m_nShowGraphType == 2) {
        const float m = std::max(std::fabs(hi), std::fabs(lo));
        hi = m;
        lo = -m;
        m_dXMax = m;
        m_dXMin = -m;
    }
    if (hi <= lo)
        hi = lo + 1.0f;
    m_fAutoYMax = hi;
    m_fAutoYMin = lo;
}

void CCurveViewModel::FinishAutoRange() {
    if (m_Options.m_fYmax <= m_Options.m_fYmin)
        m_Options.m_fYmax = m_Options.m_fYmin + 1.0f;
}

void CCurveViewModel::ApplyFrameRanges() {
    CGraphDisplayOptions& o = m_Options;
    const auto fallback = [&o](bool withX) {
        o.m_fYmax = kDefaultRange;
        o.m_fYmin = -kDefaultRange;
        if (withX) {
            o.m_fXmax = kDefaultRange;
            o.m_fXmin = -kDefaultRange;
        }
    };
    // A stored range: Y always, X only for XY curves.
    const auto take = [&o, this](float yMax, float yMin, float xMax, float xMin) {
        o.m_fYmax = yMax;
        o.m_fYmin = yMin;
        if (m_nShowGraphType == 2) {
            o.m_fXmax = xMax;
            o.m_fXmin = xMin;
        }
    };
    const bool noData = !m_bStoredData || !m_bBuffersReady;
    switch (o.m_nScareType) {
    case 0:
        take(m_fltOldCoordYMax, m_fltOldCoordYMin, m_fltOldCoordXMax, m_fltOldCoordXMin);
        break;
    case 1:
        if (m_nShowGraphType == 1) {
            if (!m_bSampling && (m_nPointCount < 1 || noData)) {
                fallback(false);
            } else {
                o.m_fYmax = m_fAutoYMax;
                o.m_fYmin = m_fAutoYMin;
                FinishAutoRange();
            }
        } else if (m_nShowGraphType == 2) {
            if (!m_bSampling && noData) {
                fallback(true);
            } else {
                o.m_fYmax = m_fAutoYMax;
                o.m_fYmin = m_fAutoYMin;
                o.m_fXmax = float(m_dXMax);
                o.m_fXmin = float(m_dXMin);
                if (m_bSampling) {
                    FinishAutoRange();
                    if (o.m_fXmax <= o.m_fXmin)
                        o.m_fXmax = o.m_fXmin + 1.0f;
                }
            }
        } else {
            if ((!m_bSampling || m_nPointCount < 1) && noData) {
                fallback(false);
            } else {
                o.m_fYmax = m_fAutoYMax;
                o.m_fYmin = m_fAutoYMin;
            }
        }
        break;
    default:
        take(m_fZoomYMax, m_fZoomYMin, m_fZoomXMax, m_fZoomXMin);
        break;
    }
    if (m_nShowGraphType == 1) {
        if (m_bSampling || m_bStoredData) {
            o.m_fXmin = float(m_nFirstSample);
            o.m_fXmax = float(m_nFirstSample + m_nWindowCount - 1);
        } else {
            o.m_fXmin = 0.0f;
            o.m_fXmax = float(m_nPageLength - 1);
        }
    }
}

void CCurveViewModel::ApplyCurveLimits() {
    const CGraphDisplayOptions& o = m_Options;
    float yMax = o.m_fYmax, yMin = o.m_fYmin, xMax = o.m_fXmax, xMin = o.m_fXmin;
    if (o.m_nScareType == 1) {
        yMax = m_fAutoYMax;
        yMin = m_fAutoYMin;
        xMax = float(m_dXMax);
        xMin = float(m_dXMin);
    } else if (o.m_nScareType == 2) {
        yMax = m_fZoomYMax;
        yMin = m_fZoomYMin;
        xMax = m_fZoomXMax;
        xMin = m_fZoomXMin;
    }
    // An empty range would divide by zero in the pixel mappings.
    if (!(yMax > yMin))
        yMax = yMin + 1.0f;
    if (!(xMax > xMin))
        xMax = xMin + 1.0f;
    for (CCurveSeries& curve : m_Curves) {
        curve.SetLimit1(yMax);
        curve.SetLimit2(yMin);
        if (m_nShowGraphType == 2) {
            curve.SetLimit3(xMax);
            curve.SetLimit4(xMin);
        }
    }
}

bool CCurveViewModel::CanZoomIn() const {
    return m_fltZoomY < 4096.0f && (m_Options.m_nScareType == 0 || m_Options.m_nScareType == 2);
}

bool CCurveViewModel::CanZoomOut() const {
    return m_fltZoomY > 0.00390625f && (m_Options.m_nScareType == 0 || m_Options.m_nScareType == 2);
}

void CCurveViewModel::ZoomY(bool zoomIn) {
    if (zoomIn ? !CanZoomIn() : !CanZoomOut())
        return;
    CGraphDisplayOptions& o = m_Options;
    if (o.m_nScareType != 2) {
        ApplyFrameRanges();
        m_fltOldCoordYMax = o.m_fYmax;
        m_fltOldCoordYMin = o.m_fYmin;
        m_fltOldCoordXMax = o.m_fXmax;
        m_fltOldCoordXMin = o.m_fXmin;
    } else {
        o.m_fYmax = m_fltOldCoordYMax;
        o.m_fYmin = m_fltOldCoordYMin;
        o.m_nScareType = 0;
    }
    const float factor = zoomIn ? 0.5f : 2.0f;
    m_fltOldCoordYMax *= factor;
    m_fltOldCoordYMin *= factor;
    o.m_fYmax = std::fabs(o.m_fYmax) * factor;
    o.m_fYmin = -o.m_fYmax;
    m_fltZoomY = zoomIn ? m_fltZoomY * 2.0f : m_fltZoomY * 0.5f;
    m_nZoomSteps += zoomIn ? -1 : 1;
    ApplyFrameRanges();
}

void CCurveViewModel::Zoom(int mode, float fx, float fy, int countLevel) {
    CGraphDisplayOptions& o = m_Options;
    if (mode != 0 && mode != 1)
        return;
    const auto by = [mode](float value, float factor) {
        return mode == 0 ? value * factor : factor != 0.0f ? value / factor : value;
    };
    o.m_fYmax = by(std::fabs(o.m_fYmax), fy);
    o.m_fYmin = -o.m_fYmax;
    o.m_fXmax = by(o.m_fXmax, fx);
    o.m_fXmin = -o.m_fXmax;
    m_fltOldCoordYMax = by(m_fltOldCoordYMax, fy);
    m_fltOldCoordYMin = by(m_fltOldCoordYMin, fy);
    m_fltOldCoordXMax = by(m_fltOldCoordXMax, fx);
    m_fltOldCoordXMin = by(m_fltOldCoordXMin, fx);
    if (countLevel == 1)
        m_nZoomLevelX += mode == 0 ? 1 : -1;
    ApplyFrameRanges();
}

bool CCurveViewModel::CanZoomX(bool zoomIn) const {
    const bool xy = m_nShowGraphType == 2;
    const bool withinLevel = zoomIn ? m_nZoomLevelX > -16 : m_nZoomLevelX < 16;
    switch (m_Options.m_nScareType) {
    case 1:
        return !xy;
    case 2:
        return !xy && withinLevel;
    default:
        return withinLevel;
    }
}

bool CCurveViewModel::SetYRangeFromPixels(int y1, int y2) {
    if (m_nActiveLine < 0 || m_nActiveLine >= int(m_Curves.size()) || y1 == y2)
        return false;
    // The pixels map through the range the curves are drawn with now.
    ApplyCurveLimits();
    double upper = 0.0, lower = 0.0;
    m_Curves[std::size_t(m_nActiveLine)].PixelsToValues(std::min(y1, y2), std::max(y1, y2), upper, lower);
    if (!std::isfinite(upper) || !std::isfinite(lower) || !(upper > lower))
        return false;
    m_Options.m_fYmax = m_fltOldCoordYMax = float(upper);
    m_Options.m_fYmin = m_fltOldCoordYMin = float(lower);
    return true;
}

bool CCurveViewModel::ZoomToBand(int y1, int y2) {
    const int top = std::min(m_rcPlot.top, m_rcPlot.bottom), bottom = std::max(m_rcPlot.top, m_rcPlot.bottom);
    if (!SetYRangeFromPixels(std::clamp(y1, top, bottom), std::clamp(y2, top, bottom)))
        return false;
    m_Options.m_nScareType = 0;
    ApplyFrameRanges();
    return true;
}

void CCurveViewModel::FollowLatestPoint() {
    if (m_bCursorFollow != 0 && (m_nCursorType == 1 || m_nCursorType == 2) && m_nPointCount > 0)
        m_Cursor0 = m_nPointCount - 1;
}

bool CCurveViewModel::SetDistributionManual(int storedCount) {
    if (m_STRealViewOption.nAutoDistribution == 0)
        return false;
    m_STRealViewOption.nAutoDistribution = 0;
    const int n = std::clamp(m_nShowDataLineCount, 0, kMaxCurves);
    const int s = m_nFirstSample;
    for (int i = 0; i < n; ++i) {
        int batch = 0;
        if (m_bSampling)
            batch = storedCount - n + i; // the n newest
        else if (s == 0)
            batch = i;
        else if (n < s)
            batch = s - n + 2 + i;
        // Every batch stays within the stored samples.
        m_nSelIndex_Group[std::size_t(i)] = std::clamp(batch, 0, std::max(storedCount - 1, 0));
    }
    return true;
}

void CCurveViewModel::SetDistributionBatches(const std::vector<int>& batches, const CurveWorld& world) {
    if (batches.empty())
        return;
    FreeCurveBuffers();
    const int n = std::min(int(batches.size()), kMaxCurves);
    m_nShowDataLineCount = n;
    for (int i = 0; i < n; ++i)
        m_nSelIndex_Group[std::size_t(i)] = std::max(batches[std::size_t(i)], 0);
    m_STRealViewOption.nAutoGroups = n;
    m_nActiveLine = std::min(m_nActiveLine, n - 1);
    const std::array<std::int32_t, kMaxCurves> kept = m_nSelIndex_Group;
    AllocCurveBuffers(world);
    // The rebuild revalidates the channels, which clears the batches.
    m_nSelIndex_Group = kept;
}

void CCurveViewModel::ToggleAutoScale() {
    CGraphDisplayOptions& o = m_Options;
    if (o.m_nScareType != 1) {
        if (o.m_nScareType == 0) {
            ApplyFrameRanges();
            m_fltOldCoordYMax = o.m_fYmax;
            m_fltOldCoordYMin = o.m_fYmin;
            m_fltOldCoordXMax = o.m_fXmax;
            m_fltOldCoordXMin = o.m_fXmin;
        }
        o.m_nScareType = 1;
        ComputeAutoRange();
    } else {
        o.m_fYmax = m_fltOldCoordYMax;
        o.m_fYmin = m_fltOldCoordYMin;
        o.m_fXmax = m_fltOldCoordXMax;
        o.m_fXmin = m_fltOldCoordXMin;
        o.m_nScareType = 0;
    }
    ApplyFrameRanges();
}

// --------------------------------------------------- plot, cursors, legend

void CCurveViewModel::LayoutPlot(int clientWidth, int clientHeight) {
    m_rcClient = {0, 0, std::max(clientWidth, 0), std::max(clientHeight, 0)};
    m_rcPlot = {m_nMarginLeft, m_nMarginTop, clientWidth - m_nMarginRight, clientHeight - m_nMarginBottom};
    // A window smaller than its margins still has a plot of two pixels.
    m_rcPlot.right = std::max(m_rcPlot.right, m_rcPlot.left + 2);
    m_rcPlot.bottom = std::max(m_rcPlot.bottom, m_rcPlot.top + 2);
    for (CCurveSeries& curve : m_Curves)
        curve.m_rcPlot = m_rcPlot;
}

void CCurveViewModel::ToggleCursorType(int type) {
    m_nCursorType = m_nCursorType == type ? 0 : type;
}

void CCurveViewModel::ClampCursors() {
    const int last = std::max(m_nPointCount - 1, 0);
    m_Cursor0 = std::clamp(m_Cursor0, 0, last);
    m_Cursor1 = std::clamp(m_Cursor1, 0, last);
}

bool CCurveViewModel::SetCursorPosition(int absoluteIndex) {
    if (m_nCursorType == 0)
        return false;
    const int wanted = absoluteIndex - m_nFirstSample;
    const int index = std::clamp(wanted, 0, std::max(m_nPointCount - 1, 0));
    int& cursor = m_nCursorType == 2 && m_nActiveCursor == 1 ? m_Cursor1 : m_Cursor0;
    cursor = index;
    return index == wanted;
}

bool CCurveViewModel::PlaceCursorAt(int x) {
    if (m_nCursorType == 0 || m_nShowGraphType == 2 || !HasCurves())
        return false;
    const CCurveSeries& active =
        m_Curves[std::size_t(std::clamp(m_nActiveLine, 0, int(m_Curves.size()) - 1))];
    if (m_nCursorType == 2) {
        const int d0 = std::abs(active.IndexToX(m_Cursor0) - x);
        const int d1 = std::abs(active.IndexToX(m_Cursor1) - x);
        m_nActiveCursor = d1 < d0 ? 1 : 0;
    }
    int index = 0;
    if (m_bStoredData || m_bSampling || m_bPaused)
        index = std::min(active.PointToIndex(x, 0), std::max(m_nPointCount - 1, 0));
    int& cursor = m_nCursorType == 2 && m_nActiveCursor == 1 ? m_Cursor1 : m_Cursor0;
    cursor = index;
    return true;
}

bool CCurveViewModel::MoveCursorByKey(int step) {
    if (m_nCursorType != 1 && m_nCursorType != 2)
        return false;
    int& cursor = m_nCursorType == 2 && m_nActiveCursor == 1 ? m_Cursor1 : m_Cursor0;
    const int moved = std::clamp(cursor + step, 0, std::max(m_nPointCount - 1, 0));
    if (moved == cursor)
        return false;
    cursor = moved;
    return true;
}

std::vector<LegendEntry> CCurveViewModel::LegendEntries(double scaleX, double scaleY) const {
    std::vector<LegendEntry> entries;
    if (m_nShowGraphType < 1 || m_rcPlot.right >= m_rcClient.right)
        return entries;
    int count = m_nShowDataLineCount;
    int skip = 0;
    if (m_nShowGraphType == 2) {
        if (m_bXYRet != 0) {
            skip = 1;
            count -= 1;
        } else {
            count /= 2;
        }
    }
    const auto sx = [scaleX](int v) { return int(std::lround(v * scaleX)); };
    const auto sy = [scaleY](int v) { return int(std::lround(v * scaleY)); };
    for (int e = 0; e < count; ++e) {
        LegendEntry entry;
        entry.rect = {sx(m_rcPlot.right + 5), sy(m_rcPlot.top + 18 * e), sx(m_rcPlot.right + 19),
                      sy(m_rcPlot.top + 18 * e + 14)};
        entry.nColour = e;
        entry.nCurve = e + skip;
        entry.bActive = entry.nCurve == m_nActiveLine;
        entries.push_back(entry);
    }
    return entries;
}

bool CCurveViewModel::LegendDoubleClick(int x, int y) {
    for (const LegendEntry& entry : LegendEntries()) {
        if (x >= entry.rect.left && x < entry.rect.right && y >= entry.rect.top && y < entry.rect.bottom) {
            m_nActiveLine = entry.nCurve;
            return true;
        }
    }
    return false;
}

// ------------------------------------------------- selection and attributes

CurveSignalChoice CCurveViewModel::CurrentChoice() const {
    CurveSignalChoice choice;
    choice.nKind = m_nLineType;
    choice.nMode = m_nShowGraphType;
    if (m_nShowGraphType == 3) {
        choice.ids.assign(m_nSelLineID_Group.begin(),
                          m_nSelLineID_Group.begin() + std::clamp(m_nPointCount, 0, kMaxDistributionIds));
    } else {
        const int from = m_nShowGraphType == 2 && m_bXYRet != 0 ? 1 : 0;
        for (int i = from; i < std::min(m_nShowDataLineCount, kMaxCurves); ++i)
            choice.ids.push_back(m_nShowGraphTypeIds[std::size_t(i)]);
    }
    choice.bXYRef = m_bXYRet;
    choice.nXYRefId = m_nXYRefChannelID;
    choice.nXYRefIndex = m_nXYRefChannelIndex;
    choice.bXYRefIsX = m_bXYRefFixX;
    return choice;
}

void CCurveViewModel::ApplySignalChoice(const CurveSignalChoice& choice, const CurveWorld& world) {
    FreeCurveBuffers();
    const int oldMode = m_nShowGraphType;
    m_nLineType = choice.nKind == 6 || choice.nKind == 7 ? 1 : choice.nKind;
    m_nShowGraphType = std::clamp(choice.nMode, 1, 3);
    if (m_nShowGraphType == 3) {
        const int n = std::min(int(choice.ids.size()), kMaxDistributionIds);
        std::copy_n(choice.ids.begin(), n, m_nSelLineID_Group.begin());
        m_nDistributionCount = n;
        m_nPointCount = m_nWindowCount = std::max(n, 1);
        m_nShowDataLineCount = Bounded(m_STRealViewOption.nAutoGroups, 1, 4, 1);
        ClampCursors();
    } else {
        const int n = std::min(int(choice.ids.size()), kMaxCurves);
        std::copy_n(choice.ids.begin(), n, m_nShowGraphTypeIds.begin());
        m_nShowDataLineCount = std::max(n, 1);
        if (m_bSampling && m_nWindowCount < m_nPageLength)
            m_nWindowCount = m_nPageLength;
    }
    if (m_nShowGraphType != 1)
        m_bPeakListShown = false;
    m_bXYRet = choice.bXYRef;
    m_nXYRefChannelID = choice.nXYRefId;
    m_nXYRefChannelIndex = choice.nXYRefIndex;
    m_bXYRefFixX = choice.bXYRefIsX;
    if (m_nShowGraphType == 2 && m_bXYRet != 0) {
        const int kept = std::min(m_nShowDataLineCount, kMaxCurves - 1);
        for (int i = kept; i > 0; --i)
            m_nShowGraphTypeIds[std::size_t(i)] = m_nShowGraphTypeIds[std::size_t(i - 1)];
        m_nShowGraphTypeIds[0] = m_nXYRefChannelID;
        m_nShowDataLineCount = kept + 1;
    }
    AllocCurveBuffers(world);
    if (m_Options.m_nScareType == 1)
        ComputeAutoRange();
    m_nActiveLine = m_nShowGraphType == 2 && m_bXYRet != 0 && m_nXYRefChannelIndex == 0 ? 1 : 0;
    if (m_nShowGraphType == 2 && oldMode != 2) {
        m_dXMax = m_fltOldCoordXMax = kDefaultRange;
        m_dXMin = m_fltOldCoordXMin = -kDefaultRange;
    }
    if (m_Options.m_nXShowType == 0 && m_nShowGraphType == 1)
        m_Options.m_nXPrecision = 0;
}

void CCurveViewModel::ApplyGraphAttributes(const CGraphDisplayOptions& options, const RealViewOption& option,
                                           const CurveWorld& world) {
    m_Options = options;
    RealViewOption taken = option;
    taken.nAutoGroups = Bounded(taken.nAutoGroups, 1, 4, 1);
    taken.nPeakListCount = Bounded(taken.nPeakListCount, 0, 20, 10);
    if (m_nShowGraphType == 3 && taken.nAutoDistribution != 0) {
        FreeCurveBuffers();
        m_STRealViewOption = taken;
        m_nShowDataLineCount = taken.nAutoGroups;
        m_nActiveLine = std::min(m_nActiveLine, m_nShowDataLineCount - 1);
        AllocCurveBuffers(world);
    }
    m_STRealViewOption = taken;
    if (m_Options.m_nScareType == 0) {
        m_Options.m_fYmax = m_fltOldCoordYMax;
        m_Options.m_fYmin = m_fltOldCoordYMin;
        m_Options.m_fXmax = m_fltOldCoordXMax;
        m_Options.m_fXmin = m_fltOldCoordXMin;
    } else if (m_Options.m_nScareType == 2) {
        m_fZoomYMax = m_Options.m_fYmax;
        m_fZoomYMin = m_Options.m_fYmin;
        m_fZoomXMax = m_Options.m_fXmax;
        m_fZoomXMin = m_Options.m_fXmin;
    } else {
        ComputeAutoRange();
    }
    m_nXGridCount = m_Options.m_nXGridCount;
    m_nYGridCount = m_Options.m_nYGridCount;
    m_nPeakListCount = taken.nPeakListCount;
    if (m_Options.m_nXShowType == 0 && m_nShowGraphType == 1)
        m_Options.m_nXPrecision = 0;
}

// ------------------------------------------------------------ layout file

void CCurveViewModel::SaveLayout(const std::string& file, int index) const {
    const std::string section = platform::Format("RealView%d", index);
    // One write of the file for all the keys.
    platform::ProfileWriteDeferral deferral;
    m_Options.Save(file, "RealView", index);
    const auto writeInt = [&](const std::string& key, int value) {
        platform::WritePrivateProfileString(section, key, platform::Format("%d", value), file);
    };
    const auto writeFloat = [&](const std::string& key, float value) {
        platform::WritePrivateProfileString(section, key, platform::Format("%f", double(value)), file);
    };
    writeInt("m_nCursorType", m_nCursorType);
    writeInt("m_nActiveCursor", m_nActiveCursor);
    writeInt("m_bCursorFollow", m_bCursorFollow);
    writeInt("m_Cursor0", m_Cursor0);
    writeInt("m_Cursor1", m_Cursor1);
    writeInt("m_nShowGraphType", m_nShowGraphType);
    writeInt("m_nLineType", m_nLineType);
    writeInt("m_nActiveLine", m_nActiveLine);
    writeInt("m_bXYRet", m_bXYRet);
    writeInt("m_nXYRefChannelID", m_nXYRefChannelID);
    writeInt("m_nXYRefChannelIndex", m_nXYRefChannelIndex);
    writeInt("m_bXYRefFixX", m_bXYRefFixX);
    writeInt("m_nShowDataLineCount", m_nShowDataLineCount);
    writeFloat("m_fltCurYMax", m_fltCurYMax);
    for (int i = 0; i < std::min(m_nShowDataLineCount, kMaxCurves); ++i) {
        writeInt(platform::Format("m_nShowGraphType%d", i), m_nShowGraphTypeIds[std::size_t(i)]);
        writeInt(platform::Format("m_nSelIndex_Group%d", i), m_nSelIndex_Group[std::size_t(i)]);
    }
    if (m_nShowGraphType == 3) {
        for (int j = 0; j < std::clamp(m_nPointCount, 0, kMaxDistributionIds); ++j)
            writeInt(platform::Format("m_nSelLineID_Group%d", j), m_nSelLineID_Group[std::size_t(j)]);
    }
    writeInt("m_wndRctTrkCursor.m_rect.left", m_CursorBox[0]);
    writeInt("m_wndRctTrkCursor.m_rect.top", m_CursorBox[1]);
    writeInt("m_wndRctTrkStatisticVal.m_rect.left", m_StatisticBox[0]);
    writeInt("m_wndRctTrkStatisticVal.m_rect.top", m_StatisticBox[1]);
    writeInt("m_wndPeakList.m_rect.left", m_PeakListBox[0]);
    writeInt("m_wndPeakList.m_rect.top", m_PeakListBox[1]);
    platform::WritePrivateProfileStruct(section, "m_STRealViewOption", &m_STRealViewOption,
                                        sizeof m_STRealViewOption, file);
    writeFloat("m_fltOldCoordYMax", m_fltOldCoordYMax);
    writeFloat("m_fltOldCoordXMax", m_fltOldCoordXMax);
    writeFloat("m_fltOldCoordYMin", m_fltOldCoordYMin);
    writeFloat("m_fltOldCoordXMin", m_fltOldCoordXMin);
    writeFloat("m_fltZoomY", m_fltZoomY);
}

void CCurveViewModel::LoadLayout(const std::string& file, int index) {
    const std::string section = platform::Format("RealView%d", index);
    m_Options.Load(file, "RealView", index);
    const auto readInt = [&](const std::string& key, int fallback) {
        return platform::GetPrivateProfileInt(section, key, fallback, file);
    };
    // A key that is absent or empty takes the default.
    const auto readFloat = [&](const std::string& key, float fallback) {
        const std::string text = platform::GetPrivateProfileString(section, key, "", file);
        return text.empty() ? fallback : float(std::atof(text.c_str()));
    };
    m_nCursorType = Bounded(readInt("m_nCursorType", 0), 0, 3, 0);
    m_nActiveCursor = Bounded(readInt("m_nActiveCursor", 0), 0, 1, 0);
    m_bCursorFollow = readInt("m_bCursorFollow", 0) != 0 ? 1 : 0;
    m_Cursor0 = std::max(readInt("m_Cursor0", 0), 0);
    m_Cursor1 = std::max(readInt("m_Cursor1", 0), 0);
    m_nShowGraphType = Bounded(readInt("m_nShowGraphType", 1), 1, 3, 1);
    m_nLineType = readInt("m_nLineType", 1);
    if (m_nLineType != 1 && m_nLineType != 2 && m_nLineType != 4)
        m_nLineType = 1;
    m_nActiveLine = readInt("m_nActiveLine", 0);
    m_bXYRet = readInt("m_bXYRet", 0) != 0 ? 1 : 0;
    m_nXYRefChannelID = readInt("m_nXYRefChannelID", 0);
    m_nXYRefChannelIndex = Bounded(readInt("m_nXYRefChannelIndex", 0), 0, kMaxCurves - 1, 0);
    m_bXYRefFixX = readInt("m_bXYRefFixX", 0) != 0 ? 1 : 0;
    m_nShowDataLineCount = Bounded(readInt("m_nShowDataLineCount", 1), 1, kMaxCurves, 1);
    m_nActiveLine = Bounded(m_nActiveLine, 0, m_nShowDataLineCount - 1, 0);
    m_fltCurYMax = readFloat("m_fltCurYMax", 5000.0f);
    for (int i = 0; i < m_nShowDataLineCount; ++i) {
        m_nShowGraphTypeIds[std::size_t(i)] = readInt(platform::Format("m_nShowGraphType%d", i), 0);
        m_nSelIndex_Group[std::size_t(i)] =
            std::max(readInt(platform::Format("m_nSelIndex_Group%d", i), 0), 0);
    }
    if (m_nShowGraphType == 3) {
        int n = 0;
        for (; n < kMaxDistributionIds; ++n) {
            const std::string key = platform::Format("m_nSelLineID_Group%d", n);
            if (platform::GetPrivateProfileString(section, key, "", file).empty())
                break;
            m_nSelLineID_Group[std::size_t(n)] = readInt(key, 0);
        }
        if (n > 0)
            m_nPointCount = m_nWindowCount = n;
        m_nDistributionCount = n;
    }
    m_CursorBox = {readInt("m_wndRctTrkCursor.m_rect.left", 0), readInt("m_wndRctTrkCursor.m_rect.top", 0)};
    m_StatisticBox = {readInt("m_wndRctTrkStatisticVal.m_rect.left", 0),
                      readInt("m_wndRctTrkStatisticVal.m_rect.top", 0)};
    m_PeakListBox = {readInt("m_wndPeakList.m_rect.left", 0), readInt("m_wndPeakList.m_rect.top", 0)};
    RealViewOption option = m_STRealViewOption;
    if (platform::GetPrivateProfileStruct(section, "m_STRealViewOption", &option, sizeof option, file)) {
        option.nAutoGroups = Bounded(option.nAutoGroups, 1, 4, 1);
        option.nPeakListCount = Bounded(option.nPeakListCount, 0, 20, 10);
        m_STRealViewOption = option;
    }
    m_nPeakListCount = m_STRealViewOption.nPeakListCount;
    m_fltOldCoordYMax = readFloat("m_fltOldCoordYMax", kDefaultRange);
    m_fltOldCoordXMax = readFloat("m_fltOldCoordXMax", kDefaultRange);
    m_fltOldCoordYMin = readFloat("m_fltOldCoordYMin", -kDefaultRange);
    m_fltOldCoordXMin = readFloat("m_fltOldCoordXMin", -kDefaultRange);
    m_fltZoomY = readFloat("m_fltZoomY", 1.0f);
    if (!(m_fltZoomY > 0.0f))
        m_fltZoomY = 1.0f;
    m_nXGridCount = m_Options.m_nXGridCount;
    m_nYGridCount = m_Options.m_nYGridCount;
}

int CCurveViewModel::ChannelUnderActiveCursor() const {
    const int index = std::clamp(m_Cursor0, 0, kMaxDistributionIds - 1);
    return m_nSelLineID_Group[std::size_t(index)];
}
