// The curve view's data-edit command: the stored run is changed at the
// cursors through the shared cursor-edit helper, then every view reloads.
#include "views/CurveViewWidget.h"

#include "app/AppSettings.h"
#include "app/StoredRunEdit.h"
#include "platform/MessageBox.h"
#include "views/CursorEditDlg.h"

#include <QApplication>
#include <QCursor>

#include <algorithm>
#include <cstdio>

namespace {

std::string FormatFixed(int precision, double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", std::clamp(precision, 0, 12), value);
    return text;
}

void ReportEditFailure(StoredEditStatus status) {
    switch (status) {
    case kStoredEditBadValue:
        platform::MessageBox("被修改的数据在数据转换时精度丢失,请将修正系数改为1后再尝试进行该点数据的编辑!",
                             g_strAppTitle, platform::MB_OK | platform::MB_ICONEXCLAMATION);
        break;
    case kStoredEditNotOnline:
        platform::MessageBox("该测点不在本次测量中，数据未修改。", g_strAppTitle,
                             platform::MB_OK | platform::MB_ICONEXCLAMATION);
        break;
    case kStoredEditFailed:
        platform::MessageBox("数据文件无法写入，数据未修改。", g_strAppTitle,
                             platform::MB_OK | platform::MB_ICONERROR);
        break;
    case kStoredEditDone:
        break;
    }
}

} // namespace

void CCurveViewWidget::OnEditData() {
    RefreshWorld();
    RefreshRunFlags();
    CCurveViewModel& m = m_model;
    // Only a stored run outside sampling is edited.
    if (!m.HasCurves() || !m_world.HoldsData() || m_world.bSampling || m_world.channelTable == nullptr)
        return;
    m.ClampCursors();
    const int channel = m.CurveChannel(m.m_nActiveLine);
    CCursorEditDlg dialog(this);
    dialog.m_nCursorType = m.m_nCursorType;
    dialog.m_nChannelId = channel;
    dialog.m_strX = FormatFixed(m.m_Options.m_nXPrecision, double(m.m_nFirstSample + m.m_Cursor0));
    dialog.m_strOldY =
        FormatFixed(m.m_Options.m_nYPrecision, double(m.PointValue(m.m_nActiveLine, m.m_Cursor0)));
    dialog.InitDialog();
    const int result = runCursorEditDialog ? runCursorEditDialog(dialog) : dialog.exec();
    if (result != QDialog::Accepted || !dialog.m_bChanged)
        return;
    if (m.m_nCursorType != 1 && m.m_nCursorType != 2)
        return;
    const CStoredRunEdit edit(m_world.layout, *m_world.channelTable, m_world.dataPath);
    const int first = m.m_nFirstSample + std::min(m.m_Cursor0, m.m_Cursor1);
    const int last = m.m_nFirstSample + std::max(m.m_Cursor0, m.m_Cursor1);
    int count = -1;
    StoredEditStatus status = kStoredEditDone;
    if (m.m_nCursorType == 1) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        status = edit.WriteValue(channel, m.m_nFirstSample + m.m_Cursor0, double(dialog.m_fNewValue));
        QApplication::restoreOverrideCursor();
    } else if (dialog.m_nOperation == 0) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        status = edit.ZeroRange(dialog.m_nScope == 0 ? std::vector<int>{channel} : edit.AllChannels(), first,
                                last);
        QApplication::restoreOverrideCursor();
    } else {
        // Samples are removed only as whole frames.
        if (dialog.m_nScope == 0)
            return;
        if (platform::MessageBox("此操作将删除指定范围内的数据!! 是否进行此操作?", g_strAppTitle,
                                 platform::MB_YESNO | platform::MB_ICONQUESTION) != platform::IDYES)
            return;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        status = edit.DeleteRange(first, last, count);
        QApplication::restoreOverrideCursor();
    }
    if (status != kStoredEditDone) {
        ReportEditFailure(status);
        return;
    }
    if (onStoredRunChanged)
        onStoredRunChanged(count);
    else
        AfterModelChange(true);
}
