// The history view's property sheet.
#include "views/history/PropHistoryViewSheet.h"

CPropHistoryViewSheet::CPropHistoryViewSheet(const CGraphDisplayOptions& options, int isGrid,
                                             int bandsPerPage, QWidget* parent)
    : CPropRealTimeViewSheet(options, HistoryPages{isGrid, bandsPerPage}, parent) {}
