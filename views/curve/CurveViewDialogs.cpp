// The curve view's dialogs: the signal selection and the property sheet.
#include "views/curve/CurveViewWidget.h"

#include "views/curve/DlgPlotSignalSelect.h"
#include "views/curve/PropRealTimeViewSheet.h"

void CCurveViewWidget::OnSignalSelect() {
    RefreshWorld();
    CDlgPlotSignalSelect dialog(m_world, this);
    const CurveSignalChoice now = m_model.CurrentChoice();
    dialog.m_nSignalKind = now.nKind;
    dialog.m_nPlotMode = now.nMode;
    dialog.m_SignalIds = now.ids;
    dialog.m_nSignalCount = int(now.ids.size());
    dialog.m_bXYRef = now.bXYRef;
    dialog.m_nXYRefId = now.nXYRefId;
    dialog.m_nXYRefIndex = now.nXYRefIndex;
    dialog.m_bXYRefIsX = now.bXYRefIsX;
    dialog.InitDialog();
    const int result = runSignalDialog ? runSignalDialog(dialog) : dialog.exec();
    if (result != QDialog::Accepted)
        return;
    CurveSignalChoice choice;
    choice.nKind = dialog.m_nSignalKind;
    choice.nMode = dialog.m_nPlotMode;
    choice.ids = dialog.m_SignalIds;
    choice.bXYRef = dialog.m_bXYRef;
    choice.nXYRefId = dialog.m_nXYRefId;
    choice.nXYRefIndex = dialog.m_nXYRefIndex;
    choice.bXYRefIsX = dialog.m_bXYRefIsX;
    m_model.ApplySignalChoice(choice, m_world);
    if (onModeChanged)
        onModeChanged(m_model.m_nShowGraphType);
    if (onSelectionChanged)
        onSelectionChanged();
    if (m_model.m_nShowGraphType == 3 && onDistributionWindow)
        onDistributionWindow(m_model.m_nWindowCount);
    if (!m_model.m_bSampling && m_world.HoldsData())
        m_model.LoadCurveData(m_world);
    AfterModelChange(false);
}

void CCurveViewWidget::ShowPropertySheet() {
    RefreshWorld();
    CPropRealTimeViewSheet sheet(m_model.m_Options, m_model.m_STRealViewOption, m_model.m_nShowGraphType,
                                 m_world.nSampleMode, this);
    // Each receiving view keeps its own channels and data.
    sheet.onApply = [this](CPropRealTimeViewSheet& result, bool toAll) {
        if (!toAll) {
            ApplyGraphAttributes(result.Record(), result.Option());
            return;
        }
        const std::vector<CCurveViewWidget*> views = CurveViews();
        for (CCurveViewWidget* view : views)
            view->ApplyGraphAttributes(result.Record(), result.Option());
    };
    if (runPropertySheet)
        runPropertySheet(sheet);
    else
        sheet.exec();
}
