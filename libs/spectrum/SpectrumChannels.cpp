// The library's channel naming and its process-wide tables.
#include "libs/spectrum/SpectrumChannels.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace lurrow {

namespace {

// The leading number of a text, held to a range whose products cannot overflow.
long LeadingNumber(const std::string& text) {
    return std::clamp(std::strtol(text.c_str(), nullptr, 10), -1000000L, 1000000L);
}

} // namespace

std::string FormatChannelName(int n) {
    if (n < 0)
        return "无";
    char text[48];
    std::snprintf(text, sizeof text, "%02d-%02d-%02d", n / 128 + 1, (n / 16) % 8 + 1, n % 16 + 1);
    return text;
}

int ParseChannelName(const std::string& text) {
    const std::size_t first = text.find('-');
    if (first == std::string::npos)
        return -1;
    const std::size_t second = text.find('-', first + 1);
    if (second == std::string::npos)
        return -1;
    const long caseNo = LeadingNumber(text.substr(0, first));
    const long module = LeadingNumber(text.substr(first + 1, 2));
    const long channel = LeadingNumber(text.substr(second + 1, 2));
    return static_cast<int>(caseNo * 128 + module * 16 + channel - 145);
}

bool SpectrumTables::AddView(ISpectrumView* view) {
    if (view == nullptr || viewCount >= kMaxSpectrumViews)
        return false;
    views[static_cast<std::size_t>(viewCount++)] = view;
    return true;
}

void SpectrumTables::RemoveView(ISpectrumView* view) {
    const int index = IndexOfView(view);
    if (index < 0)
        return;
    std::copy(views.begin() + index + 1, views.begin() + viewCount, views.begin() + index);
    views[static_cast<std::size_t>(--viewCount)] = nullptr;
}

int SpectrumTables::IndexOfView(const ISpectrumView* view) const {
    for (int i = 0; i < viewCount; ++i) {
        if (views[static_cast<std::size_t>(i)] == view)
            return i;
    }
    return -1;
}

SpectrumTables& Tables() {
    static SpectrumTables tables;
    return tables;
}

} // namespace lurrow
