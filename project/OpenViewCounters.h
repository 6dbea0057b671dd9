// Counts of the open data windows per kind and in total, kept by the views
// as they open and close, and the limits of the new-window commands.
#pragma once

#include "project/LayoutFile.h"

// New-window commands.
constexpr int ID_NEW_HISTORY_WINDOW = 32773;
constexpr int ID_NEW_REALTIME_WINDOW = 32774;
constexpr int ID_NEW_TABLE_WINDOW = 32775;
constexpr int ID_NEW_BAR_WINDOW = 32881;
constexpr int MAX_OPEN_DATA_WINDOWS = 16;

class COpenViewCounters {
public:
    void ViewOpened(int viewType);
    void ViewClosed(int viewType);
    int GetCount(int viewType) const;
    int GetTotal() const;
    // The limit of a kind: 4 history, 8 curve, 4 table, 4 bar; 0 for another.
    static int GetLimit(int viewType);
    // Whether one more window of the kind may open: its count is below its
    // limit and the total below 16.
    bool CanOpen(int viewType) const;
    // The view type a new-window command opens; 0 for another command.
    static int ViewTypeOfCommand(int commandId);

private:
    int m_nCounts[VIEW_TYPE_BAR + 1] = {};
};

// The one set of counters of the program.
COpenViewCounters& OpenViewCounters();
