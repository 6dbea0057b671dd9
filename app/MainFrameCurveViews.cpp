// The main frame's side of the curve views: what each one reads of the
// frame (its tables, the project's files, its flags), its live feed after
// every new sample set, the rows a continuous batch marks, and the cursor
// popup of the graph-attribute bar.
// Ahead of any Qt header, which defines "slots" as a macro that the data-file headers use as a name.
#include "acquisition/SamplingControl.h"
#include "views/curve/CurveWorldFromApp.h"

#include "app/MainFrame.h"

#include "app/ChildFrame.h"
#include "app/DataViews.h"
#include "app/MainFrameSettingsDialogs.h"
#include "app/PrintParameters.h"
#include "datafiles/ResultGroupRules.h"
#include "datafiles/SampleFileFormat.h"
#include "model/GlobalDataLock.h"
#include "model/RunFlags.h"
#include "model/SampleSettings.h"
#include "panels/run/DlgDistributionBatch.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "views/curve/CurveViewWidget.h"
#include "views/shared/LiveViewFeed.h"

#include <QMenu>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>
#include <cstring>
#include <mutex>

namespace {

// A zero-terminated text field of a virtual-channel record.
std::string RecordText(const VirtualChannelRecord& record, std::size_t offset, std::size_t width) {
    const char* field = reinterpret_cast<const char*>(record.bytes + offset);
    return platform::GbkToUtf8(std::string_view(field, strnlen(field, width)));
}

// The groups' names, in their order: the curve views number the groups from 1.
template <class Group> std::vector<std::string> GroupNames(const std::vector<Group>& groups) {
    std::vector<std::string> names;
    for (const Group& group : groups)
        names.push_back(GroupNameText(group.Name));
    return names;
}

} // namespace

void CMainFrame::FillCurveWorld(CurveWorld& world) const {
    FillCurveWorldFromAppTables(world);
    world.nProjectState = m_project.m_nProjectState;
    world.nStoredCount = m_project.m_nTotalDataCount;
    world.dataPath = m_project.GetFilePath(".dat");
    world.digitalPath = m_project.GetFilePath(".dst");
    world.virtualBase = m_project.GetFilePath("");
    world.markPath = m_project.GetFilePath(".mrk");
    if (m_pSettingsDialogs != nullptr)
        world.theoryValues = m_pSettingsDialogs->GetTheoryValues();
    // The zero-time record goes beside the project, else beside the program.
    world.zeroTimePath =
        (m_project.HasProjectPath() ? m_project.m_strProjectFolder : m_strProgramFolder) + "/rezu.ini";
    world.bBalanceResultsInUse = m_project.m_bBalanceStatus != 0;
    world.nSampleMode = m_project.m_SampleSettings.nSampleMode;
    world.virtualChannels.clear();
    for (const VirtualChannelRecord& record : m_project.m_VirtualChannels)
        world.virtualChannels.push_back({RecordText(record, 1032, 64), RecordText(record, 1096, 16)});
    world.rosetteGroupNames = GroupNames(m_project.m_RosetteGroups);
    world.residualGroupNames = GroupNames(m_project.m_ResidualGroups);
}

void CMainFrame::ReloadResultCurveViews(int lineType) {
    for (CChildFrame* child : GetChildFramesFrontFirst()) {
        auto* view = qobject_cast<CQV7411N_NewFrameView*>(child->GetActiveView());
        if (view == nullptr || view->GetCurve() == nullptr ||
            view->GetCurve()->Model().m_nLineType != lineType)
            continue;
        view->ReloadDataWindow();
        child->GetDocument()->UpdateTitle();
    }
}

std::string CMainFrame::GraphDefaultsFile() const {
    const std::string folder = m_project.HasProjectPath() ? m_project.m_strProjectFolder : m_strProgramFolder;
    return folder + "/defaultGraph.def";
}

void CMainFrame::OnStoredRunEdited(int count) {
    if (count >= 0) {
        m_project.m_nTotalDataCount = count;
        SetAllViewsDataCount(count);
    }
    RefreshAllViews();
}

PageSetupValues CMainFrame::CurrentPageSetup() const {
    PrintParameters print;
    LoadPrintParam(GetDocumentLayoutFile(), print);
    PageSetupValues setup;
    setup.strHeader = print.strHeaderContent;
    setup.strFooter = print.strFootContent;
    setup.fHeaderHeight = print.fltHeaderHeight;
    setup.fFooterHeight = print.fltFootHeight;
    setup.fTopMargin = print.fltMarginTop;
    setup.fBottomMargin = print.fltMarginDown;
    setup.fLeftMargin = print.fltMarginLeft;
    setup.fRightMargin = print.fltMarginRight;
    return setup;
}

void CMainFrame::SetupCurveView(CChildFrame* child) {
    auto* view = qobject_cast<CQV7411N_NewFrameView*>(child->GetActiveView());
    CCurveViewWidget* curve = view != nullptr ? view->GetCurve() : nullptr;
    if (curve == nullptr)
        return;
    CQV7411N_NewFrameDoc* doc = child->GetDocument();
    curve->fillWorld = [this](CurveWorld& world) { FillCurveWorld(world); };
    curve->defaultsFile = [this] { return IsOpeningViewWindow() ? GraphDefaultsFile() : std::string(); };
    curve->onModeChanged = [doc](int mode) {
        doc->m_nShowGraphType = mode;
        doc->UpdateTitle();
    };
    curve->onDistributionWindow = [doc](int count) {
        doc->m_nScreenDataCount = doc->m_nNowDataCount = count;
    };
    curve->onSelectionChanged = [this, doc] {
        m_project.SetKeepViewData(false);
        doc->UpdateTitle();
    };
    curve->onBuffersChanged = [this] { m_project.SetViewBuffersChanged(true); };
    // 选择分布批次: up to four stored samples of the run, one curve each.
    curve->runBatchDialog = [this, child, curve](std::vector<int>& batches, int) {
        const std::string status = SelectCaseStatusFile(curve->World().layout, GetProjectFilePath(".stu"));
        CDlgDistributionBatch dialog(status, m_project.m_nTotalDataCount, child);
        if (dialog.exec() != QDialog::Accepted)
            return 0;
        const auto& chosen = dialog.GetBatchIndices();
        batches.assign(chosen.begin(), chosen.begin() + dialog.GetBatchCount());
        return 1;
    };
    curve->pageSetup = [this] { return CurrentPageSetup(); };
    curve->onStoredRunChanged = [this](int count) { OnStoredRunEdited(count); };
    curve->onPrintPreview = [this](bool previewing) { EnableMDITabs(!previewing); };
    curve->askExportFileName = [this](int type, std::string& folder, std::string& title,
                                      std::string& extension) {
        return AskExportFileName(type, folder, title, extension);
    };
    curve->onMoveWindow = [doc](int first) {
        doc->m_nScreenDataLeft = first;
        doc->SetViewDataWindow(first, doc->m_nScreenDataCount, doc->m_nNowDataCount);
    };
    curve->onCursorSync = [this, curve](int absolute) { SyncViewsToSample(curve, absolute); };
    curve->onFocus = [this](int count) {
        ShowDataCountInStatusBar(VIEW_TYPE_CURVE, count, m_project.m_nTotalDataCount, false);
    };
    curve->Model().m_fSampleInterval = float(GetSampleTimeStep(m_project.m_SampleSettings));
}

void CMainFrame::SyncViewsToSample(CCurveViewWidget* sender, int absolute) {
    for (CChildFrame* child : GetChildFramesFrontFirst()) {
        CQV7411N_NewFrameDoc* doc = child->GetDocument();
        if (auto* view = qobject_cast<CQV7411N_NewFrameView*>(child->GetActiveView())) {
            CCurveViewWidget* curve = view->GetCurve();
            if (curve == nullptr || curve == sender)
                continue;
            const CCurveViewModel& model = curve->Model();
            if (model.m_nShowGraphType != 3) {
                if (curve->Model().SetCursorPosition(absolute))
                    curve->Invalidate();
            } else if (model.m_STRealViewOption.nAutoDistribution != 0) {
                doc->m_nScreenDataLeft = absolute;
                view->ReloadDataWindow();
            }
        } else if (auto* table = qobject_cast<CTableView*>(child->GetActiveView())) {
            doc->m_nScreenDataLeft = absolute;
            table->ReloadDataWindow();
        }
    }
}

void CMainFrame::FeedCurveViews(const std::int32_t* counters, bool senderDraws) {
    if (counters == nullptr)
        return;
    CSamplingControl& sampling = *m_pSampling;
    const int blockSize = GetAnalysisBlockSize();
    const std::map<int, float>& virtualValues = sampling.GetVirtualResults();
    // The acquisition writes the current converted set under this lock.
    std::lock_guard<platform::CriticalSection> lock(g_csData);
    const std::vector<CCurveViewWidget*> views = CCurveViewWidget::CurveViews();
    for (CCurveViewWidget* view : views) {
        CCurveViewModel& model = view->Model();
        const CurveFeedStep step = CurveFeed(counters[0], blockSize, model.m_nShowGraphType, senderDraws);
        if (!view->IsLive() || counters[0] <= 1) {
            model.m_fSampleInterval = float(GetSampleTimeStep(m_project.m_SampleSettings));
            view->PrepareForSampling(blockSize);
            // Once the run ends the view shows the stored run.
            if (auto* curve = qobject_cast<CQV7411N_NewFrameView*>(view->parentWidget()))
                if (CQV7411N_NewFrameDoc* doc = curve->GetDocument())
                    doc->SetStoredData(true);
        }
        model.m_nFirstSample = step.nBatchStart;
        view->SetVirtualChannelValues(virtualValues);
        if (step.bAppend) {
            view->AppendRealTimeData(1, 0, sampling.GetValueBuffer(), nullptr);
            view->Invalidate();
            continue;
        }
        model.SetPointCount(step.nPointCount);
        view->AppendRealTimeData(1, 0, sampling.GetValueBuffer(), nullptr);
        if (step.bRepaintErase)
            view->Invalidate();
        if (step.bDraw)
            view->DrawNewPoints(step.nDrawFrom, step.nDrawTo);
    }
}

void CMainFrame::MarkCurveRows(int from, int to) {
    for (CCurveViewWidget* view : CCurveViewWidget::CurveViews())
        view->DrawNewPoints(from, to);
}

void CMainFrame::InstallGraphBarPopup() {
    QToolBar* bar = GetToolBar(1);
    if (bar == nullptr)
        return;
    for (auto* button : bar->findChildren<QToolButton*>()) {
        if (button->defaultAction() != GetAction(ID_GRAPH_PROPERTIES))
            continue;
        auto* menu = new QMenu(button);
        button->setMenu(menu);
        // The active curve view's cursor popup, built afresh each time it opens.
        connect(menu, &QMenu::aboutToShow, this, [this, menu] {
            menu->clear();
            CChildFrame* child = GetActiveChildFrame();
            auto* view =
                child != nullptr ? qobject_cast<CQV7411N_NewFrameView*>(child->GetActiveView()) : nullptr;
            if (view == nullptr || view->GetCurve() == nullptr)
                return;
            QMenu* popup = view->GetCurve()->BuildCursorMenu(menu);
            for (QAction* action : popup->actions())
                menu->addAction(action);
        });
    }
}
