// The tip window's tools: per window, records with the area of the window
// they cover. No operation of the program adds one; the look-up rules are
// kept for tools added all the same.
#pragma once

#include "tooltip/TipStateMachine.h"

#include <map>
#include <vector>

class CTipToolTable {
public:
    void AddTool(int window, const TipToolInfo& record) { m_tools[window].push_back(record); }
    void RemoveAllTools() { m_tools.clear(); }
    bool HasTools(int window) const { return m_tools.count(window) != 0; }
    // A window with one record of an empty area: that record; otherwise the
    // first record whose area holds the point (client co-ordinates).
    bool FindToolInWindow(int window, TipPoint client, TipToolInfo* out) const;

private:
    std::map<int, std::vector<TipToolInfo>> m_tools;
};
