// The history view's bands, data, ranges, cursors and layout keys.
#include "views/history/HistoryViewModel.h"

#include "datafiles/DataFileAccess.h"
#include "datafiles/SampleFileFormat.h"
#include "model/NumberTexts.h"
#include "platform/Profile.h"
#include "platform/Text.h"
#include "views/curve/CurveWorld.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

bool IsGap(float value) {
    return !std::isfinite(value) || IsSpecialValue(value) != 0;
}

int Bounded(int value, int low, int high, int fallback) {
    return value < low || value > high ? fallback : value;
}

// Halving or doubling a range end; a result too small to draw becomes 1.0.
float Scaled(float value, float factor) {
    const float result = value * factor;
    return std::fabs(result) < 0.000001f ? 1.0f : result;
}

} // namespace

CHistoryViewModel::CHistoryViewModel() {
    for (int id = 0; id < 16; ++id)
        m_ChannelList.push_back(id);
    AssignChannels();
}

// ---------------------------------------------------------------- channels

void CHistoryViewModel::SetChannelList(const std::vector<int>& ids) {
    m_ChannelList.assign(ids.begin(), ids.begin() + std::min<std::size_t>(ids.size(), kMaxChannels));
    ClampPageOff();
    AssignChannels();
}

void CHistoryViewModel::UseMeasChannelList(const CurveWorld& world) {
    SetChannelList(world.measChanList);
}

void CHistoryViewModel::LayoutBands(int left, int top, int width, int height, double sx, double sy) {
    const int n = std::clamp(m_nBandsPerPage, 1, kMaxBands);
    m_fBandHeight = double(std::max(height, 0)) / n;
    m_nClientHeight = std::max(height, 0);
    const CGraphDisplayOptions& o = m_Options;
    for (int i = 0; i < kMaxBands; ++i) {
        HistoryBand& band = m_Bands[std::size_t(i)];
        const int bandTop = int(std::lround(top + i * m_fBandHeight));
        const int bandBottom = int(std::lround(top + (i + 1) * m_fBandHeight));
        band.rcBand = {left, bandTop, left + std::max(width, 0), bandBottom};
        PlotRect plot{band.rcBand.left + m_nMarginLeft, bandTop + m_nMarginTop,
                      band.rcBand.right - m_nMarginRight, bandBottom - m_nMarginBottom};
        const int plotHeight = plot.bottom - plot.top;
        const int plotWidth = plot.right - plot.left;
        band.bPlotIsBand = false;
        // Small bands keep their curve: the margins go first.
        if (plotHeight <= 20.0 * o.m_nYGridCount * sy && plotHeight / sy <= 20.0) {
            plot.top = bandTop;
            plot.bottom = bandBottom;
            band.bPlotIsBand = true;
        }
        if (plotWidth <= 50.0 * o.m_nXGridCount * sx && plotWidth <= 180.0 * sx) {
            plot.left = band.rcBand.left;
            plot.right = band.rcBand.right;
        }
        // A window too small for the margins still gets a drawable plot.
        plot.right = std::max(plot.right, plot.left + 1);
        plot.bottom = std::max(plot.bottom, plot.top + 1);
        band.series.m_rcPlot = plot;
    }
}

int CHistoryViewModel::MaxPageOff() const {
    return std::max(int(m_ChannelList.size()) - std::clamp(m_nBandsPerPage, 1, kMaxBands), 0);
}

void CHistoryViewModel::ClampPageOff() {
    const int count = int(m_ChannelList.size());
    const int bands = std::clamp(m_nBandsPerPage, 1, kMaxBands);
    if (m_nPageOff >= count)
        m_nPageOff = 0;
    if (m_nPageOff + bands >= count)
        m_nPageOff = count - bands;
    if (m_nPageOff < 0)
        m_nPageOff = 0;
}

bool CHistoryViewModel::ScrollTo(int pageOff) {
    const int old = m_nPageOff;
    m_nPageOff = std::clamp(pageOff, 0, MaxPageOff());
    AssignChannels();
    return m_nPageOff != old;
}

bool CHistoryViewModel::Wheel(int delta) {
    if (int(m_ChannelList.size()) <= m_nBandsPerPage)
        return false;
    return ScrollTo(m_nPageOff - delta / 120);
}

void CHistoryViewModel::AssignChannels() {
    const int count = int(m_ChannelList.size());
    const int last = count > 0 ? m_ChannelList.back() : -1;
    bool ended = false;
    for (int j = 0; j < kMaxBands; ++j) {
        const int index = m_nPageOff + j;
        HistoryBand& band = m_Bands[std::size_t(j)];
        if (ended || j >= m_nBandsPerPage || index < 0 || index >= count ||
            m_ChannelList[std::size_t(index)] > last)
            ended = true;
        band.nChannel = ended ? -1 : m_ChannelList[std::size_t(index)];
    }
}

bool CHistoryViewModel::SetBandChannel(int band, int channel) {
    const int index = m_nPageOff + band;
    if (band < 0 || band >= std::min(m_nBandsPerPage, kMaxBands) || index >= int(m_ChannelList.size()))
        return false;
    if (channel >= 0 && channel < kMaxChannels) {
        m_ChannelList[std::size_t(index)] = channel;
        AssignChannels();
    }
    m_Bands[std::size_t(band)].nChannel = channel >= 0 && channel < kMaxChannels ? channel : -1;
    return true;
}

int CHistoryViewModel::BandAt(int x, int y) const {
    if (m_ChannelList.empty())
        return -1;
    const int first = m_ChannelList.front(), last = m_ChannelList.back();
    for (int i = 0; i < std::clamp(m_nBandsPerPage, 1, kMaxBands); ++i) {
        const HistoryBand& band = m_Bands[std::size_t(i)];
        const PlotRect& r = band.rcBand;
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom)
            return band.nChannel >= first && band.nChannel <= last && band.nChannel >= 0 ? i : -1;
    }
    return -1;
}

// -------------------------------------------------------------------- data

void CHistoryViewModel::AllocBuffers() {
    const int length = std::max(m_nWindowCount, 0);
    for (HistoryBand& band : m_Bands) {
        band.series.FreeBuffers();
        band.series.m_nCount = length;
        band.series.AllocBuffers();
    }
    m_bBuffers = true;
}

void CHistoryViewModel::FreeBuffers() {
    for (HistoryBand& band : m_Bands) {
        band.series.FreeBuffers();
        band.series.m_nCount = 0;
    }
    m_bBuffers = false;
}

int CHistoryViewModel::ReceiveData(int kind, int count, const float* set, const float* const* arrays,
                                   const std::vector<int>& setPosition, int from) {
    const auto position = [&setPosition](int channel) {
        return channel >= 0 && channel < int(setPosition.size()) ? setPosition[std::size_t(channel)] : -1;
    };
    if (kind == 2) {
        m_nValidCount = std::clamp(count, 0, m_nWindowCount);
        if (arrays == nullptr)
            return m_nValidCount;
        for (HistoryBand& band : m_Bands) {
            const int p = position(band.nChannel);
            std::vector<float>& values = band.series.m_Values;
            // A channel without a place in the frame keeps its band empty.
            if (p < 0 || arrays[p] == nullptr)
                continue;
            const int end = std::min(m_nValidCount, int(values.size()));
            for (int i = std::max(from, 0); i < end; ++i)
                values[std::size_t(i)] = arrays[p][i];
        }
        return m_nValidCount;
    }
    if ((kind == 0 || kind == 1) && set != nullptr && m_nValidCount > 0) {
        for (HistoryBand& band : m_Bands) {
            const int p = position(band.nChannel);
            std::vector<float>& values = band.series.m_Values;
            if (p >= 0 && m_nValidCount <= int(values.size()))
                values[std::size_t(m_nValidCount - 1)] = set[p];
        }
    }
    return m_nValidCount;
}

bool CHistoryViewModel::LoadCurveData(const CurveWorld& world) {
    if (world.channelTable == nullptr)
        return false;
    const CDataFileAccess access(world.layout, *world.channelTable);
    const int first = std::max(m_nFirstSample, 0);
    const int count = std::clamp(m_nValidCount, 0, m_nWindowCount);
    bool ok = true;
    for (HistoryBand& band : m_Bands) {
        if (band.nChannel < 0)
            break;
        band.series.FreeBuffers();
        band.series.m_nCount = m_nWindowCount;
        band.series.AllocBuffers();
        if (count > 0 && band.nChannel < kMaxChannels &&
            access.ReadChannelRange(world.dataPath, band.nChannel, first, first + count - 1,
                                    band.series.m_Values.data()) == 0)
            ok = false;
    }
    m_bBuffers = true;
    return ok;
}

bool CHistoryViewModel::CurvesShown() const {
    if (m_bSampling)
        return true;
    return m_nStoredTotal > 0 && m_bStoredData;
}

// ------------------------------------------------------------------ ranges

bool CHistoryViewModel::ValidExtremes(int band, float& high, float& low) const {
    const std::vector<float>& values = m_Bands[std::size_t(band)].series.m_Values;
    const int n = std::min(m_nValidCount, int(values.size()));
    bool any = false;
    for (int i = 0; i < n; ++i) {
        const float v = values[std::size_t(i)];
        if (IsGap(v))
            continue;
        high = any ? std::max(high, v) : v;
        low = any ? std::min(low, v) : v;
        any = true;
    }
    return any;
}

void CHistoryViewModel::AxisRange(int band, float& yMax, float& yMin) const {
    switch (m_Options.m_nScareType) {
    case 1: {
        float high = 0.0f, low = 0.0f;
        if (!ValidExtremes(band, high, low)) {
            yMax = kDefaultRange;
            yMin = -kDefaultRange;
            return;
        }
        yMax = float(RoundAxisLimit(high, true));
        yMin = float(RoundAxisLimit(low, false));
        if (!(yMin < yMax))
            yMax = yMin + 1.0f;
        return;
    }
    case 2:
        yMax = m_fltOldCoordYMax;
        yMin = m_fltOldCoordYMin;
        return;
    default:
        yMax = kDefaultRange;
        yMin = -kDefaultRange;
        return;
    }
}

void CHistoryViewModel::CurveRange(int band, float& yMax, float& yMin) const {
    if (m_Options.m_nScareType == 1) {
        float high = 0.0f, low = 0.0f;
        if (!ValidExtremes(band, high, low)) {
            yMax = kDefaultRange;
            yMin = -kDefaultRange;
        } else {
            yMax = high;
            yMin = low;
        }
    } else {
        AxisRange(band, yMax, yMin);
    }
    // A flat curve or an empty range would divide by zero in the pixel mapping.
    if (!(yMax > yMin))
        yMax = yMin + 1.0f;
}

void CHistoryViewModel::TimeAxis(float& xMin, float& xMax) const {
    if (m_bSampling) {
        xMin = float(m_nFirstSample);
        xMax = float(m_nFirstSample + m_nLiveSpan - 1);
    } else if (m_bStoredData) {
        xMin = float(m_nFirstSample);
        xMax = float(m_nFirstSample + m_nWindowCount - 1);
    } else {
        xMin = 0.0f;
        xMax = float(m_nLiveSpan);
    }
    if (!(xMax > xMin))
        xMax = xMin + 1.0f;
}

void CHistoryViewModel::ApplyCurveLimits() {
    float xMin = 0.0f, xMax = 0.0f;
    TimeAxis(xMin, xMax);
    for (int i = 0; i < kMaxBands; ++i) {
        float yMax = 0.0f, yMin = 0.0f;
        CurveRange(i, yMax, yMin);
        CCurveSeries& s = m_Bands[std::size_t(i)].series;
        s.SetLimit1(yMax);
        s.SetLimit2(yMin);
        s.SetLimit3(xMax);
        s.SetLimit4(xMin);
    }
}

void CHistoryViewModel::ZoomY(bool zoomIn) {
    CGraphDisplayOptions& o = m_Options;
    if (!zoomIn && o.m_nScareType != 2) {
        // The first zoom out only fixes the scale.
        o.m_nScareType = 2;
        return;
    }
    o.m_nScareType = 2;
    const float factor = zoomIn ? 0.5f : 2.0f;
    o.m_fYmax = Scaled(o.m_fYmax, factor);
    o.m_fYmin = -o.m_fYmax;
    m_fltOldCoordYMax = Scaled(m_fltOldCoordYMax, factor);
    m_fltOldCoordYMin = Scaled(m_fltOldCoordYMin, factor);
}

void CHistoryViewModel::ToggleAutoScale() {
    m_Options.m_nScareType = m_Options.m_nScareType == 1 ? 2 : 1;
}

// ----------------------------------------------------------------- cursors

void CHistoryViewModel::ToggleCursorType(int type) {
    m_nCursorType = m_nCursorType == type ? 0 : type;
}

void CHistoryViewModel::ResetCursors() {
    for (HistoryBand& band : m_Bands)
        band.nCursor = {0, 0};
}

int CHistoryViewModel::LastCursorIndex() const {
    int last = m_nValidCount - 1;
    if (m_bStoredData && !m_bSampling)
        last = std::min(last, m_nStoredTotal - m_nFirstSample - 1);
    return std::max(last, 0);
}

void CHistoryViewModel::ClampCursors() {
    const int last = LastCursorIndex();
    for (HistoryBand& band : m_Bands)
        for (int& c : band.nCursor)
            c = std::clamp(c, 0, last);
}

int CHistoryViewModel::ActiveIndex(int band) const {
    const int cursor = m_nCursorType == 2 ? std::clamp(m_nActiveCursor, 0, 1) : 0;
    return m_Bands[std::size_t(std::clamp(band, 0, kMaxBands - 1))].nCursor[std::size_t(cursor)];
}

bool CHistoryViewModel::ClickAt(int x, int y) {
    const int band = BandAt(x, y);
    if (band < 0)
        return false;
    m_nSelectedBand = band;
    const CCurveSeries& s = m_Bands[std::size_t(band)].series;
    if (m_nCursorType == 2) {
        const int x0 = s.IndexToX(m_Bands[std::size_t(band)].nCursor[0]);
        const int x1 = s.IndexToX(m_Bands[std::size_t(band)].nCursor[1]);
        m_nActiveCursor = std::abs(x1 - x) < std::abs(x0 - x) ? 1 : 0;
    } else {
        m_nActiveCursor = 0;
    }
    return DragTo(x);
}

bool CHistoryViewModel::DragTo(int x) {
    if (m_nCursorType == 0 || m_nCursorType == 3)
        return false;
    const int band = std::clamp(m_nSelectedBand, 0, kMaxBands - 1);
    const CCurveSeries& s = m_Bands[std::size_t(band)].series;
    int index = std::clamp(s.PointToIndex(x, 0), 0, LastCursorIndex());
    // Without stored data or a run there is nothing to point at.
    if (!m_bStoredData && !m_bSampling && !m_bPaused)
        index = 0;
    const int cursor = m_nCursorType == 2 ? m_nActiveCursor : 0;
    if (m_bCursorSync) {
        for (HistoryBand& b : m_Bands)
            b.nCursor[std::size_t(cursor)] = index;
    } else {
        m_Bands[std::size_t(band)].nCursor[std::size_t(cursor)] = index;
    }
    return true;
}

bool CHistoryViewModel::MoveCursorByKey(int step) {
    if (m_nCursorType != 1 && m_nCursorType != 2)
        return false;
    const int band = std::clamp(m_nSelectedBand, 0, kMaxBands - 1);
    const int cursor = m_nCursorType == 2 ? m_nActiveCursor : 0;
    const int old = m_Bands[std::size_t(band)].nCursor[std::size_t(cursor)];
    const int index = std::clamp(old + step, 0, LastCursorIndex());
    if (m_bCursorSync) {
        for (HistoryBand& b : m_Bands)
            b.nCursor[std::size_t(cursor)] = index;
    } else {
        m_Bands[std::size_t(band)].nCursor[std::size_t(cursor)] = index;
    }
    return index != old;
}

int CHistoryViewModel::SyncSample() const {
    const int sample = m_nFirstSample + ActiveIndex(m_nSelectedBand);
    return std::max(std::min(sample, m_nStoredTotal - 1), 0);
}

// ------------------------------------------------------ information column

std::vector<HistoryInfoRow> CHistoryViewModel::InfoRows() const {
    std::vector<HistoryInfoRow> rows;
    const bool shown = m_bSampling || m_bStoredData;
    for (int i = 0; i < std::clamp(m_nBandsPerPage, 1, kMaxBands); ++i) {
        const HistoryBand& band = m_Bands[std::size_t(i)];
        HistoryInfoRow row;
        row.nChannel = band.nChannel;
        if (shown && band.nChannel >= 0 && m_nWindowCount > 0) {
            const int index = m_nCursorType == 0 ? m_nValidCount - 1 : ActiveIndex(i);
            row.fValue = band.series.GetValue(index);
        }
        rows.push_back(row);
    }
    return rows;
}

// -------------------------------------------------- sheet and layout file

bool CHistoryViewModel::ApplySheet(const CGraphDisplayOptions& options, int isGrid, int bandsPerPage,
                                   const CurveWorld& world) {
    m_Options = options;
    m_nIsGrid = isGrid;
    if (m_Options.m_nScareType == 0) {
        m_Options.m_fYmax = kDefaultRange;
        m_Options.m_fYmin = -kDefaultRange;
    }
    m_fltOldCoordYMax = m_Options.m_fYmax;
    m_fltOldCoordYMin = m_Options.m_fYmin;
    const int bands = Bounded(bandsPerPage, 1, kMaxBands, 4);
    if (bands == m_nBandsPerPage)
        return false;
    FreeBuffers();
    m_nBandsPerPage = bands;
    if (world.nProjectState >= 1 && world.nProjectState <= 3)
        UseMeasChannelList(world);
    ClampPageOff();
    AssignChannels();
    AllocBuffers();
    return true;
}

void CHistoryViewModel::SaveLayout(const std::string& file, int index) const {
    const std::string section = platform::Format("HistoryView%d", index);
    platform::ProfileWriteDeferral deferral;
    const auto writeInt = [&](const std::string& key, int value) {
        platform::WritePrivateProfileString(section, key, platform::Format("%d", value), file);
    };
    writeInt("m_bShowCol", m_bShowCol ? 1 : 0);
    writeInt("m_nPageOff", m_nPageOff);
    writeInt("m_STGraphOpt.iChannelCount", m_nBandsPerPage);
    writeInt("m_STGraphOpt.IsGrid", m_nIsGrid);
    m_Options.Save(file, "HistoryView", index);
    writeInt("m_nCursorType", m_nCursorType);
    writeInt("m_bCursorSync", m_bCursorSync ? 1 : 0);
    for (int i = 0; i < m_nBandsPerPage; ++i) {
        writeInt(platform::Format("m_Cursor0.DataPos%d", i), m_Bands[std::size_t(i)].nCursor[0]);
        writeInt(platform::Format("m_Cursor1.DataPos%d", i), m_Bands[std::size_t(i)].nCursor[1]);
    }
    platform::WritePrivateProfileString(section, "m_fltOldCoordYMax",
                                        platform::Format("%f", double(m_fltOldCoordYMax)), file);
    platform::WritePrivateProfileString(section, "m_fltOldCoordYMin",
                                        platform::Format("%f", double(m_fltOldCoordYMin)), file);
}

void CHistoryViewModel::LoadLayout(const std::string& file, int index) {
    const std::string section = platform::Format("HistoryView%d", index);
    const auto readInt = [&](const std::string& key, int fallback) {
        return platform::GetPrivateProfileInt(section, key, fallback, file);
    };
    const auto readFloat = [&](const std::string& key) {
        const float value =
            float(std::atof(platform::GetPrivateProfileString(section, key, "1.f", file).c_str()));
        return std::isfinite(value) ? value : 1.0f;
    };
    m_bShowCol = readInt("m_bShowCol", 0) == 1;
    m_nPageOff = std::max(readInt("m_nPageOff", 4), 0);
    m_nBandsPerPage = Bounded(readInt("m_STGraphOpt.iChannelCount", 4), 1, kMaxBands, 4);
    m_nIsGrid = readInt("m_STGraphOpt.IsGrid", 1) != 0 ? 1 : 0;
    m_Options.Load(file, "HistoryView", index);
    m_nCursorType = Bounded(readInt("m_nCursorType", 0), 0, 3, 0);
    m_bCursorSync = readInt("m_bCursorSync", 0) != 0;
    for (int i = 0; i < kMaxBands; ++i) {
        HistoryBand& band = m_Bands[std::size_t(i)];
        band.nCursor = {0, 0};
        if (i >= m_nBandsPerPage)
            continue;
        band.nCursor[0] = std::max(readInt(platform::Format("m_Cursor0.DataPos%d", i), 0), 0);
        band.nCursor[1] = std::max(readInt(platform::Format("m_Cursor1.DataPos%d", i), 0), 0);
    }
    m_fltOldCoordYMax = readFloat("m_fltOldCoordYMax");
    m_fltOldCoordYMin = readFloat("m_fltOldCoordYMin");
    ClampPageOff();
    AssignChannels();
}
