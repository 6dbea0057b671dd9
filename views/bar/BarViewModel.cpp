// The bar view's bars, values, geometry and layout keys.
#include "views/bar/BarViewModel.h"

#include "datafiles/SampleFileFormat.h"
#include "platform/Profile.h"
#include "platform/Text.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

bool IsMarker(float value) {
    return !std::isfinite(value) || IsSpecialValue(value) != 0;
}

} // namespace

CBarViewModel::CBarViewModel() {
    for (int i = 0; i < kMaxBars; ++i)
        m_Ids[std::size_t(i)] = i;
    m_FullScale.fill(1.0f);
}

void CBarViewModel::TakeOnlineChannels(const BarWorld& world) {
    const std::vector<int>& online = world.table.channelList;
    m_nBarCount = std::clamp(int(online.size()), 1, kMaxBars);
    for (int i = 0; i < kMaxBars; ++i)
        m_Ids[std::size_t(i)] = i < int(online.size()) ? online[std::size_t(i)] : i;
}

bool CBarViewModel::SetBars(const std::vector<int>& ids) {
    std::vector<int> kept;
    for (int id : ids)
        if (id >= 0 && id < kAnalogChannels && int(kept.size()) < kMaxBars)
            kept.push_back(id);
    if (kept.empty())
        return false;
    m_nBarCount = int(kept.size());
    std::copy(kept.begin(), kept.end(), m_Ids.begin());
    return true;
}

std::vector<int> CBarViewModel::BarIds() const {
    return std::vector<int>(m_Ids.begin(), m_Ids.begin() + m_nBarCount);
}

// -------------------------------------------------------------------- data

bool CBarViewModel::AllocDataBuffer(int caseCount) {
    if (!m_Buffer.empty())
        return false;
    if (caseCount >= 1)
        m_Buffer.assign(std::size_t(caseCount) * 16, 0.0f);
    return true;
}

void CBarViewModel::ReceiveData(int kind, const float* values, int caseCount) {
    if (kind != 1 || values == nullptr || m_Buffer.empty())
        return;
    const std::size_t count = std::min(m_Buffer.size(), std::size_t(std::max(caseCount, 0)) * 16);
    std::copy(values, values + count, m_Buffer.begin());
}

bool CBarViewModel::RefreshValues(int newData, const BarWorld& world) {
    if (m_Buffer.empty())
        return false;
    for (int i = 0; i < kMaxBars; ++i) {
        const std::size_t b = std::size_t(i);
        if (newData == 0) {
            m_Current[b] = m_Maximum[b] = 0.0f;
            m_HasValue[b] = m_HasMaximum[b] = false;
        } else if (i < m_nBarCount) {
            // A channel without a place in the set shows no value.
            const int id = m_Ids[b];
            const int slot = world.table.SlotOf(id / 16);
            const std::size_t place = std::size_t(slot) * 16 + std::size_t(id % 16);
            if (slot < 0 || place >= m_Buffer.size()) {
                m_HasValue[b] = false;
                continue;
            }
            const float value = m_Buffer[place];
            m_Current[b] = value;
            // A marker is neither a value nor a maximum.
            m_HasValue[b] = !IsMarker(value);
            if (m_HasValue[b] && (!m_HasMaximum[b] || value > m_Maximum[b])) {
                m_Maximum[b] = value;
                m_HasMaximum[b] = true;
            }
        }
        const int id = m_Ids[b];
        m_FullScale[b] =
            id >= 0 && id < int(world.fullScale.size()) ? std::fabs(world.fullScale[std::size_t(id)]) : 0.0f;
    }
    return true;
}

std::string CBarViewModel::CurrentText(int bar) const {
    const float value = m_Current[std::size_t(bar)];
    std::string text;
    if (IsSpecialValue(value) != 0 && FormatSpecialValue(0, value, text) != 0)
        return text;
    if (!m_HasValue[std::size_t(bar)])
        return std::string();
    return platform::Format("%.2f", double(value));
}

// ---------------------------------------------------------------- geometry

BarLayout CBarViewModel::Layout(int clientWidth, int clientHeight) const {
    BarLayout layout;
    layout.width = std::max(clientWidth, 0);
    layout.height = std::max(clientHeight, 0);
    int columns = std::max((clientWidth - 25) / kCellWidth, 0);
    int rows = std::max((clientHeight - 20) / kCellHeight, 0);
    if (m_nBarCount > rows * columns && columns < 8) {
        // The bars that do not fit are reached by scrolling.
        columns = std::min(m_nBarCount / std::max(rows, 1), 8);
        columns = std::max(columns, 1);
        rows = (m_nBarCount + columns - 1) / columns;
        if (clientWidth < columns * kCellWidth + 25)
            layout.width = columns * kCellWidth;
        if (clientHeight < rows * kCellHeight + 20)
            layout.height = rows * kCellHeight + 20;
    }
    layout.columns = std::max(columns, 1);
    layout.rows = std::max(rows, 1);
    return layout;
}

BarRect CBarViewModel::BarOf(int bar, int layoutWidth) const {
    // At least one column, even in a window too narrow for a cell.
    const int columns = std::max(1, layoutWidth / kCellWidth);
    const int row = bar / columns, column = bar % columns;
    BarRect r;
    r.left = column * kCellWidth + 40;
    r.right = r.left + 40;
    r.top = row * kCellHeight + 25;
    r.bottom = r.top + 180;
    return r;
}

int CBarViewModel::FillY(float value, float fullScale, const BarRect& bar) {
    const int middle = bar.bottom - (bar.bottom - bar.top) / 2;
    if (!(fullScale > 0.0f) || !std::isfinite(value))
        return middle;
    const double reach = std::clamp(double(value) / fullScale * 90.0, -1e6, 1e6);
    return std::clamp(middle - int(std::lround(reach)), bar.top, bar.bottom);
}

// ------------------------------------------------------------- layout file

namespace {

struct ColourKey {
    const char* key;
    COLORREF BarColours::*member;
    COLORREF fallback;
};

const ColourKey kColourKeys[] = {
    {"BarBack", &BarColours::barBack, 0xFFFFFF},
    {"BarFore", &BarColours::fore, 0x00FF00},
    {"BarFrame", &BarColours::frame, 0},
    {"BarScale", &BarColours::scale, 0},
    {"BarChTag", &BarColours::channelTag, 0},
    {"BarInside", &BarColours::inside, 0},
    {"BarMaxFore", &BarColours::maxFore, 0x0000FF},
    {"BarOutside", &BarColours::outside, 0},
    {"BarValMaxclr", &BarColours::maxText, 0x0000FF},
    {"BarValNowclr", &BarColours::nowText, 0xFF0000},
    {"BarViewBack", &BarColours::viewBack, 0xC0C0C0},
};

} // namespace

void CBarViewModel::SaveLayout(const std::string& file, int index) const {
    const std::string section = platform::Format("BarView%d", index);
    platform::ProfileWriteDeferral deferral;
    const auto writeInt = [&](const std::string& key, long long value) {
        platform::WritePrivateProfileString(section, key, platform::Format("%lld", value), file);
    };
    writeInt("BarCount", m_nBarCount);
    for (int i = 0; i < m_nBarCount; ++i) {
        const std::size_t b = std::size_t(i);
        writeInt(platform::Format("BarID%d", i), m_Ids[b]);
        platform::WritePrivateProfileString(section, platform::Format("BarData%d", i),
                                            platform::Format("%f", double(m_Current[b])), file);
        platform::WritePrivateProfileString(section, platform::Format("BarValMax%d", i),
                                            platform::Format("%f", double(m_Maximum[b])), file);
    }
    for (const ColourKey& key : kColourKeys)
        writeInt(key.key, (long long)(m_Colours.*key.member));
    writeInt("BarRefresh", m_Colours.refresh);
}

void CBarViewModel::LoadLayout(const std::string& file, int index, const BarWorld& world) {
    const std::string section = platform::Format("BarView%d", index);
    const auto readInt = [&](const std::string& key, int fallback) {
        return platform::GetPrivateProfileInt(section, key, fallback, file);
    };
    const auto readFloat = [&](const std::string& key) {
        const float value =
            float(std::atof(platform::GetPrivateProfileString(section, key, "0.0", file).c_str()));
        return std::isfinite(value) ? value : 0.0f;
    };
    const std::vector<int>& online = world.table.channelList;
    const int first = online.empty() ? 0 : online.front();
    const int last = online.empty() ? 0 : online.back();
    const int count = readInt("BarCount", 1);
    if (count >= 1 && count <= kMaxBars) {
        // The bars up to the first that names a channel outside the online range.
        int kept = 0;
        for (; kept < count; ++kept) {
            const int id = readInt(platform::Format("BarID%d", kept), 0);
            if (id < first || id > last || id < 0 || id >= kAnalogChannels)
                break;
            const std::size_t b = std::size_t(kept);
            m_Ids[b] = id;
            m_Current[b] = readFloat(platform::Format("BarData%d", kept));
            m_Maximum[b] = readFloat(platform::Format("BarValMax%d", kept));
            m_HasValue[b] = !IsMarker(m_Current[b]);
            m_HasMaximum[b] = !IsMarker(m_Maximum[b]);
        }
        m_nBarCount = std::max(kept, 1);
        if (kept == 0)
            m_Ids[0] = first;
    } else {
        m_nBarCount = 1;
        m_Ids[0] = first;
    }
    for (const ColourKey& key : kColourKeys)
        m_Colours.*key.member = COLORREF(readInt(key.key, int(key.fallback)));
    m_Colours.refresh = readInt("BarRefresh", 10);
}
