// The curve view's data-edit command: the stored run is changed at the
// cursors through the shared cursor-edit helper, then every view reloads.
#include "views/curve/CurveViewWidget.h"

#include "views/curve/StoredCursorEdit.h"

#include <algorithm>

void CCurveViewWidget::OnEditData() {
    RefreshWorld();
    RefreshRunFlags();
    CCurveViewModel& m = m_model;
    // Only a stored run outside sampling is edited.
    if (!m.HasCurves() || !m_world.HoldsData() || m_world.bSampling || m_world.channelTable == nullptr)
        return;
    m.ClampCursors();
    StoredCursorEditRequest request;
    request.nCursorType = m.m_nCursorType;
    request.nChannel = m.CurveChannel(m.m_nActiveLine);
    request.nFirst = m.m_nFirstSample + m.m_Cursor0;
    request.nLast = m.m_nCursorType == 2 ? m.m_nFirstSample + m.m_Cursor1 : request.nFirst;
    request.strX = FormatEditNumber(m.m_Options.m_nXPrecision, double(m.m_nFirstSample + m.m_Cursor0));
    request.strOldY =
        FormatEditNumber(m.m_Options.m_nYPrecision, double(m.PointValue(m.m_nActiveLine, m.m_Cursor0)));
    request.strDeleteQuestion = "此操作将删除指定范围内的数据!! 是否进行此操作?";
    int count = -1;
    if (!RunStoredCursorEdit(this, m_world, request, runCursorEditDialog, count))
        return;
    if (onStoredRunChanged)
        onStoredRunChanged(count);
    else
        AfterModelChange(true);
}
