// Look-up of the tip window's tools.
#include "tooltip/TipToolTable.h"

bool CTipToolTable::FindToolInWindow(int window, TipPoint p, TipToolInfo* out) const {
    const auto it = m_tools.find(window);
    if (it == m_tools.end())
        return false;
    const std::vector<TipToolInfo>& records = it->second;
    if (records.size() == 1 && (records[0].rcTool.Width() <= 0 || records[0].rcTool.Height() <= 0)) {
        *out = records[0];
        return true;
    }
    for (const TipToolInfo& r : records) {
        if (p.x >= r.rcTool.left && p.x < r.rcTool.right && p.y >= r.rcTool.top && p.y < r.rcTool.bottom) {
            *out = r;
            return true;
        }
    }
    return false;
}
