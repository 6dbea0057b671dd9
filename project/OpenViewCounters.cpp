// Open-window counters and the limits of the new-window commands.
#include "project/OpenViewCounters.h"

namespace {

bool IsDataViewType(int viewType) {
    return viewType >= VIEW_TYPE_HISTORY && viewType <= VIEW_TYPE_BAR;
}

} // namespace

void COpenViewCounters::ViewOpened(int viewType) {
    if (IsDataViewType(viewType)) {
        ++m_nCounts[viewType];
    }
}

void COpenViewCounters::ViewClosed(int viewType) {
    if (IsDataViewType(viewType) && m_nCounts[viewType] > 0) {
        --m_nCounts[viewType];
    }
}

int COpenViewCounters::GetCount(int viewType) const {
    return IsDataViewType(viewType) ? m_nCounts[viewType] : 0;
}

int COpenViewCounters::GetTotal() const {
    int total = 0;
    for (int type = VIEW_TYPE_HISTORY; type <= VIEW_TYPE_BAR; ++type) {
        total += m_nCounts[type];
    }
    return total;
}

int COpenViewCounters::GetLimit(int viewType) {
    switch (viewType) {
    case VIEW_TYPE_HISTORY:
    case VIEW_TYPE_TABLE:
    case VIEW_TYPE_BAR:
        return 4;
    case VIEW_TYPE_CURVE:
        return 8;
    default:
        return 0;
    }
}

bool COpenViewCounters::CanOpen(int viewType) const {
    return GetCount(viewType) < GetLimit(viewType) && GetTotal() < MAX_OPEN_DATA_WINDOWS;
}

int COpenViewCounters::ViewTypeOfCommand(int commandId) {
    switch (commandId) {
    case ID_NEW_HISTORY_WINDOW:
        return VIEW_TYPE_HISTORY;
    case ID_NEW_REALTIME_WINDOW:
        return VIEW_TYPE_CURVE;
    case ID_NEW_TABLE_WINDOW:
        return VIEW_TYPE_TABLE;
    case ID_NEW_BAR_WINDOW:
        return VIEW_TYPE_BAR;
    default:
        return 0;
    }
}

COpenViewCounters& OpenViewCounters() {
    static COpenViewCounters counters;
    return counters;
}
