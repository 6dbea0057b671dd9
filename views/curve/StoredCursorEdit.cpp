// The shared data-edit command of the curve and history views.
#include "views/curve/StoredCursorEdit.h"

#include "datafiles/StoredRunEdit.h"
#include "model/AppSettings.h"
#include "platform/MessageBox.h"
#include "views/curve/CursorEditDlg.h"
#include "views/curve/CurveWorld.h"

#include <QApplication>
#include <QCursor>

#include <algorithm>
#include <cstdio>

namespace {

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

std::string FormatEditNumber(int precision, double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", std::clamp(precision, 0, 12), value);
    return text;
}

bool RunStoredCursorEdit(QWidget* parent, const CurveWorld& world, const StoredCursorEditRequest& request,
                         const std::function<int(CCursorEditDlg&)>& runDialog, int& count) {
    count = -1;
    if (world.channelTable == nullptr)
        return false;
    CCursorEditDlg dialog(parent);
    dialog.m_nCursorType = request.nCursorType;
    dialog.m_nChannelId = request.nChannel;
    dialog.m_strX = request.strX;
    dialog.m_strOldY = request.strOldY;
    dialog.InitDialog();
    const int result = runDialog ? runDialog(dialog) : dialog.exec();
    if (result != QDialog::Accepted || !dialog.m_bChanged)
        return false;
    if (request.nCursorType != 1 && request.nCursorType != 2)
        return false;
    const CStoredRunEdit edit(world.layout, *world.channelTable, world.dataPath);
    const int first = std::min(request.nFirst, request.nLast);
    const int last = std::max(request.nFirst, request.nLast);
    StoredEditStatus status = kStoredEditDone;
    if (request.nCursorType == 1) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        status = edit.WriteValue(request.nChannel, request.nFirst, double(dialog.m_fNewValue));
        QApplication::restoreOverrideCursor();
    } else if (dialog.m_nOperation == 0) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        status = edit.ZeroRange(
            dialog.m_nScope == 0 ? std::vector<int>{request.nChannel} : edit.AllChannels(), first, last);
        QApplication::restoreOverrideCursor();
    } else {
        // Samples are removed only as whole frames.
        if (dialog.m_nScope == 0)
            return false;
        if (platform::MessageBox(request.strDeleteQuestion, g_strAppTitle,
                                 platform::MB_YESNO | platform::MB_ICONQUESTION) != platform::IDYES)
            return false;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        status = edit.DeleteRange(first, last, count);
        QApplication::restoreOverrideCursor();
    }
    if (status != kStoredEditDone) {
        count = -1;
        ReportEditFailure(status);
        return false;
    }
    return true;
}
