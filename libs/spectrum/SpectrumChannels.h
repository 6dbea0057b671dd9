// The library's own channel naming and its process-wide tables: the online
// channel list, the unit text of every channel and the registry of the open
// spectrum views. All of them are used on the user-interface thread only.
#pragma once

#include "libs/spectrum/SpectrumMath.h"

#include <array>
#include <string>
#include <vector>

class ISpectrumView;

namespace lurrow {

constexpr int kMaxUnits = 512;
constexpr int kChannelsPerUnit = 16;
constexpr int kMaxChannels = 4096;
constexpr int kMaxSpectrumViews = 16;

// "%02d-%02d-%02d" of case n/128 + 1, module (n/16) % 8 + 1, channel n % 16 + 1;
// "无" for a negative n.
LURROW_API std::string FormatChannelName(int n);
// case × 128 + module × 16 + channel − 145; −1 without a second '-'.
LURROW_API int ParseChannelName(const std::string& text);

struct SpectrumTables {
    // Open spectrum views in the order they were created.
    std::array<ISpectrumView*, kMaxSpectrumViews> views{};
    int viewCount = 0;
    // Global channel numbers of the online channels, sixteen per online unit.
    std::vector<int> channelIds;
    // Engineering-unit text by global channel number.
    std::array<std::string, kMaxChannels> unitTexts;

    bool AddView(ISpectrumView* view);
    void RemoveView(ISpectrumView* view);
    int IndexOfView(const ISpectrumView* view) const; // 0-based, −1 when absent
};

LURROW_API SpectrumTables& Tables();

} // namespace lurrow
