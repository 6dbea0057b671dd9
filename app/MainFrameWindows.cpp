// Data windows: the new-window commands with their limits, the document
// commands routed to the active window, closing child windows, and the
// window layout file.
#include "app/MainFrame.h"

#include "app/ChildFrame.h"
#include "app/DataViews.h"
#include "app/DocTemplates.h"
#include "libs/spectrum/Lurrow.h"
#include "model/AppSettings.h"
#include "platform/Message.h"
#include "project/OpenViewCounters.h"
#include "views/curve/CurveViewWidget.h"
#include "views/table/TableViewWidget.h"

#include <QDockWidget>
#include <QMdiArea>
#include <QPointer>
#include <QToolBar>

#include <algorithm>

namespace {

// The document commands the active data window handles.
const int kDocumentCommands[] = {
    ID_DATA_FIRST,      ID_DATA_PREV_BATCH, ID_DATA_NEXT_BATCH,     ID_DATA_LAST,    ID_DATA_PREV_BLOCK,
    ID_DATA_NEXT_BLOCK, ID_DATA_LOCATE,     ID_ZOOM_IN_X,           ID_ZOOM_OUT_X,   ID_XY_MORE_DATA,
    ID_XY_LESS_DATA,    ID_RESTORE_DEFAULT, ID_DELETE_CURRENT_DATA, ID_DATA_CORRECT, ID_GRAPH_PROPERTIES};

// The document commands a table view allows only in some display modes.
bool IsTableModeCommand(int id) {
    return id == ID_DATA_FIRST || id == ID_DATA_PREV_BATCH || id == ID_DATA_NEXT_BATCH ||
           id == ID_DATA_LAST || id == ID_DELETE_CURRENT_DATA;
}

// The graph commands of the data menu and the browsing bar, which the active
// spectrum or curve window handles.
const int kGraphCommands[] = {32806, 32807, 32818, 32839, 32848};

// Close commands of the child-window tab menu.
constexpr int ID_CLOSE_CHILD_WINDOW = 32912;
constexpr int ID_CLOSE_ALL_CHILD_WINDOWS = 32913;
constexpr int ID_CLOSE_OTHER_CHILD_WINDOWS = 32914;
// At most this many child windows are closed by one close-all.
constexpr int kMaxChildWindowsToClose = 17;

} // namespace

void CMainFrame::RegisterWindowCommands() {
    for (int id : {ID_NEW_HISTORY_WINDOW, ID_NEW_REALTIME_WINDOW, ID_NEW_TABLE_WINDOW, ID_NEW_BAR_WINDOW}) {
        const int viewType = COpenViewCounters::ViewTypeOfCommand(id);
        OnCommand(
            id, [this, viewType] { OnNewDataWindow(viewType); },
            [viewType](CCmdUI& ui) { ui.Enable(OpenViewCounters().CanOpen(viewType)); });
    }
    for (int id : kDocumentCommands) {
        OnCommand(
            id,
            [this, id] {
                if (!RouteSpectrumCommand(id, nullptr))
                    RouteDocumentCommand(id);
            },
            [this, id](CCmdUI& ui) {
                if (RouteSpectrumCommand(id, &ui))
                    return;
                const CChildFrame* child = GetActiveChildFrame();
                bool enabled = child != nullptr && child->GetDocument()->IsCommandEnabled(id);
                // A curve view lets the horizontal zoom pass only within its zoom levels.
                const CQV7411N_NewFrameView* curve = GetActiveCurveView();
                if (enabled && curve != nullptr && (id == ID_ZOOM_IN_X || id == ID_ZOOM_OUT_X))
                    enabled = curve->GetCurve()->IsCommandEnabled(id);
                // A table browses batches only in the modes that show stored
                // samples, and deletes one only while it shows measured data.
                const CTableView* table = GetActiveTableView();
                if (enabled && table != nullptr && IsTableModeCommand(id))
                    enabled = table->GetTable()->IsCommandEnabled(id);
                ui.Enable(enabled);
            });
    }
    for (int id : kGraphCommands) {
        OnCommand(
            id, [this, id] { RouteGraphCommand(id, nullptr); },
            [this, id](CCmdUI& ui) { RouteGraphCommand(id, &ui); });
    }
    const auto hasActiveChild = [this](CCmdUI& ui) { ui.Enable(GetActiveChildFrame() != nullptr); };
    OnCommand(
        ID_CLOSE_CHILD_WINDOW, [this] { OnCloseChildWindow(); }, hasActiveChild);
    OnCommand(
        ID_CLOSE_ALL_CHILD_WINDOWS, [this] { OnCloseAllChildWindows(); }, hasActiveChild);
    OnCommand(ID_CLOSE_OTHER_CHILD_WINDOWS, [this] { OnCloseOtherChildWindows(); });
    OnCommand(ID_CLOSE_ALL_WINDOWS, [this] { CloseAllChildWindows(); });
}

void CMainFrame::RouteGraphCommand(int id, CCmdUI* ui) {
    if (RouteSpectrumCommand(id, ui))
        return;
    const CChildFrame* child = GetActiveChildFrame();
    auto* view = child != nullptr ? qobject_cast<CQV7411N_NewFrameView*>(child->GetActiveView()) : nullptr;
    CCurveViewWidget* curve = view != nullptr ? view->GetCurve() : nullptr;
    if (ui == nullptr) {
        if (curve != nullptr)
            curve->OnCommand(id);
        return;
    }
    ui->Enable(curve != nullptr && curve->IsCommandEnabled(id));
    ui->SetCheck(curve != nullptr && curve->IsCommandChecked(id));
}

void CMainFrame::EnableMDITabs(bool enable) {
    m_pMdiArea->setViewMode(enable ? QMdiArea::TabbedView : QMdiArea::SubWindowView);
    if (enable) {
        m_pMdiArea->setTabPosition(QTabWidget::North);
        m_pMdiArea->setTabsClosable(true);
        m_pMdiArea->setTabsMovable(true);
    }
}

void CMainFrame::OnNewDataWindow(int viewType) {
    if (!OpenViewCounters().CanOpen(viewType)) {
        return;
    }
    m_bOpeningViewWindow = true;
    OpenDataWindow(viewType, m_project.m_nProjectState >= PROJECT_OPENED);
    m_bOpeningViewWindow = false;
}

CChildFrame* CMainFrame::OpenDataWindow(int viewType, bool withData, int layoutIndex) {
    if (viewType < VIEW_TYPE_HISTORY || viewType > VIEW_TYPE_BAR) {
        return nullptr;
    }
    auto* child = new CChildFrame(this, viewType);
    m_pMdiArea->addSubWindow(child);
    if (withData) {
        child->GetDocument()->OnOpenDocument(m_project.GetFilePath(".dap"), layoutIndex);
    } else {
        child->GetDocument()->OnNewDocument(layoutIndex);
    }
    if (layoutIndex >= 0) {
        child->GetActiveView()->LoadLayout(GetDocumentLayoutFile(), layoutIndex);
    }
    SetupCurveView(child);
    SetupHistoryView(child);
    SetupTableView(child);
    SetupBarView(child);
    child->GetActiveView()->OnInitialUpdate();
    child->show();
    m_pMdiArea->setActiveSubWindow(child);
    return child;
}

void CMainFrame::RouteDocumentCommand(int id) {
    if (CChildFrame* child = GetActiveChildFrame()) {
        child->GetDocument()->OnCommand(id);
    }
}

QMdiSubWindow* CMainFrame::GetFrontSubWindow() const {
    if (m_pMdiArea == nullptr) {
        return nullptr;
    }
    QMdiSubWindow* active = m_pMdiArea->activeSubWindow();
    if (active == nullptr) {
        // Without focus (an inactive program) the front window still counts.
        const QList<QMdiSubWindow*> windows = m_pMdiArea->subWindowList(QMdiArea::ActivationHistoryOrder);
        active = windows.isEmpty() ? nullptr : windows.last();
    }
    return active;
}

CChildFrame* CMainFrame::GetActiveChildFrame() const {
    return qobject_cast<CChildFrame*>(GetFrontSubWindow());
}

std::vector<CChildFrame*> CMainFrame::GetChildFramesFrontFirst() const {
    std::vector<CChildFrame*> children;
    if (m_pMdiArea == nullptr) {
        return children;
    }
    const QList<QMdiSubWindow*> windows = m_pMdiArea->subWindowList(QMdiArea::ActivationHistoryOrder);
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        if (auto* child = qobject_cast<CChildFrame*>(*it)) {
            children.push_back(child);
        }
    }
    return children;
}

void CMainFrame::CloseAllChildWindows() {
    std::vector<QPointer<QMdiSubWindow>> toClose;
    for (QMdiSubWindow* window : m_pMdiArea->subWindowList(QMdiArea::ActivationHistoryOrder)) {
        toClose.insert(toClose.begin(), window);
    }
    if (toClose.size() > static_cast<std::size_t>(kMaxChildWindowsToClose)) {
        toClose.resize(kMaxChildWindowsToClose);
    }
    for (const QPointer<QMdiSubWindow>& window : toClose) {
        if (!window.isNull()) {
            window->close();
        }
    }
}

void CMainFrame::OnCloseChildWindow() {
    if (QMdiSubWindow* active = GetActiveChildFrame()) {
        active->close();
    }
}

void CMainFrame::OnCloseAllChildWindows() {
    // A window that refuses to close ends the loop instead of spinning.
    for (QMdiSubWindow* active = GetActiveChildFrame(); active != nullptr; active = GetActiveChildFrame()) {
        if (!active->close()) {
            break;
        }
    }
}

void CMainFrame::OnCloseOtherChildWindows() {
    QMdiSubWindow* keep = GetActiveChildFrame();
    if (keep == nullptr) {
        return;
    }
    for (QMdiSubWindow* window : m_pMdiArea->subWindowList()) {
        if (window != keep) {
            window->close();
        }
    }
    m_pMdiArea->setActiveSubWindow(keep);
}

int CMainFrame::SaveWindowLayout(const std::string& fileName) {
    const std::string file = ResolveLayoutFileName(fileName, m_strProgramFolder, m_project.m_strProjectName);
    std::vector<CChildFrame*> children = GetChildFramesFrontFirst();
    if (children.size() > static_cast<std::size_t>(MAX_LAYOUT_WINDOWS)) {
        children.resize(MAX_LAYOUT_WINDOWS);
    }
    std::vector<int> types;
    int kindIndex[VIEW_TYPE_BAR + 1] = {};
    for (std::size_t n = 0; n < children.size(); ++n) {
        CChildFrame* child = children[n];
        // Recorded by the class of the template's view, the right-hand pane.
        const int type = FindDocTemplateOfView(child->GetActiveView()->GetClassName().toLatin1().constData());
        child->SaveWindowPlacement(file, static_cast<int>(n));
        child->GetActiveView()->SaveLayout(file, kindIndex[type]);
        child->GetDocument()->SaveViewState(file, kindIndex[type]++);
        types.push_back(type);
    }
    WindowLayout layout;
    layout.m_strWndOrd = MakeWindowOrder(types);
    layout.m_nWndCount = static_cast<int>(children.size());
    const QDockWidget* samplePane = GetPane(IDR_PANE_SAMPLE_PARAM);
    const QDockWidget* channelPane = GetPane(IDR_PANE_CHANNEL_PARAM);
    layout.m_Bars.m_bShowSampleParamBar = samplePane != nullptr && !samplePane->isHidden() ? 1 : 0;
    layout.m_Bars.m_bShowChannelBar = channelPane != nullptr && !channelPane->isHidden() ? 1 : 0;
    layout.m_Bars.m_bShowGraphAtribBar = GetToolBar(1) != nullptr && !GetToolBar(1)->isHidden() ? 1 : 0;
    layout.m_Bars.m_bShowSampleControlBar = GetToolBar(2) != nullptr && !GetToolBar(2)->isHidden() ? 1 : 0;
    layout.m_Bars.m_bShowMoveDataBar = m_pDataLocateBar != nullptr && m_pDataLocateBar->isVisible() ? 1 : 0;
    WriteWindowLayout(file, layout);
    if (g_bSoftwareSpectrum && m_pGraphInterface) {
        m_pGraphInterface->SaveSpectrumLayout(file);
    }
    return 1;
}

int CMainFrame::LoadWindowLayout(const std::string& fileName, bool openWithData) {
    const std::string file = ResolveLayoutFileName(fileName, m_strProgramFolder, m_project.m_strProjectName);
    const WindowLayout layout = ReadWindowLayout(file);
    const bool withData = openWithData && file == fileName;
    std::vector<CChildFrame*> opened;
    int kindIndex[VIEW_TYPE_BAR + 1] = {};
    const std::vector<int> templates = TemplatesToOpen(layout);
    for (std::size_t n = 0; n < templates.size(); ++n) {
        if (templates[n] == 0) {
            continue;
        }
        // Placements are saved by the window's place in "WndOrd".
        const int viewType = g_DocTemplates[templates[n] - 1].nViewType;
        CChildFrame* child = OpenDataWindow(viewType, withData, kindIndex[viewType]++);
        if (child != nullptr) {
            child->LoadWindowPlacement(file, static_cast<int>(n));
            opened.push_back(child);
        }
    }
    // The window that was in front when saved comes to the front again.
    for (auto it = opened.rbegin(); it != opened.rend(); ++it) {
        m_pMdiArea->setActiveSubWindow(*it);
    }
    ApplyLayoutBars(layout.m_Bars);
    if (g_bSoftwareSpectrum && m_pGraphInterface) {
        RestoreSpectrumWindows(file);
    }
    return 1;
}

void CMainFrame::ApplyLayoutBars(const WindowLayoutBars& bars) {
    if (QDockWidget* pane = GetPane(IDR_PANE_SAMPLE_PARAM);
        pane != nullptr && bars.m_bShowSampleParamBar == 0) {
        pane->close();
    }
    if (QDockWidget* pane = GetPane(IDR_PANE_CHANNEL_PARAM); pane != nullptr && bars.m_bShowChannelBar == 0) {
        pane->close();
    }
    m_bShowGraphAtribBar = bars.m_bShowGraphAtribBar;
    m_bShowSampleControlBar = bars.m_bShowSampleControlBar;
    m_bShowMoveDataBar = bars.m_bShowMoveDataBar;
    if (QToolBar* bar = GetToolBar(1)) {
        bar->setVisible(bars.m_bShowGraphAtribBar != 0);
    }
    if (QToolBar* bar = GetToolBar(2)) {
        bar->setVisible(bars.m_bShowSampleControlBar != 0);
    }
    if (m_pDataLocateBar != nullptr) {
        m_pDataLocateBar->setVisible(bars.m_bShowMoveDataBar != 0);
    }
}
