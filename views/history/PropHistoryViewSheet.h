// The property sheet "图形属性" of the history view: the colour, font,
// line-type and coordinate pages of the curve sheet over the history
// view's record, and the option page with the grid flag and the bands per
// page. Apply and OK hand the result to the owner, or with
// "应用于同类型窗口" to every history view.
#pragma once

#include "views/curve/PropRealTimeViewSheet.h"

class CPropHistoryViewSheet : public CPropRealTimeViewSheet {
    Q_OBJECT
public:
    CPropHistoryViewSheet(const CGraphDisplayOptions& options, int isGrid, int bandsPerPage,
                          QWidget* parent = nullptr);

    int IsGrid() const { return m_history.nIsGrid; }
    int BandsPerPage() const { return m_history.nBandsPerPage; }
    QComboBox* BandCount() const { return m_bandCount; }
    QCheckBox* GridCheck() const { return m_gridCheck; }
};
