// The frame's answers to the sampling side and the remote-command dispatcher.
#include "app/FrameSamplingHost.h"

#include "acquisition/DataForwardServer.h"
#include "acquisition/SamplingControl.h"
#include "app/ChildFrame.h"
#include "app/DataViews.h"
#include "app/MainFrame.h"
#include "app/MainFrameCaseSearch.h"
#include "app/StartProgress.h"
#include "model/CaseTables.h"
#include "model/GlobalDataLock.h"
#include "model/InstrumentIni.h"
#include "model/RunFlags.h"
#include "panels/bars/ChannelParamBar.h"
#include "panels/bars/SampleParamBar.h"
#include "project/ChannelParamFile.h"
#include "project/OpenViewCounters.h"
#include "project/ProjectFile.h"
#include "views/curve/CurveViewWidget.h"
#include "views/history/HistoryViewWidget.h"
#include "views/shared/DlgRightsVerify.h"
#include "views/table/TableData.h"
#include "views/table/TableViewWidget.h"

#include <QDockWidget>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>

#include <cstring>

#include <algorithm>
#include <mutex>

namespace {

constexpr int kDataCountKind = 5;
constexpr int kProgressSteps = 4;
constexpr int kViewKindHistory = 1;
constexpr int kViewKindTable = 3;
// The formula text of a virtual-channel definition: zero-terminated at byte 8.
constexpr std::size_t kFormulaOffset = 8;

CTableView* TableViewOf(CChildFrame* child) {
    return child == nullptr ? nullptr : qobject_cast<CTableView*>(child->GetActiveView());
}

// Brings a table view's window to the top of the data windows.
void Activate(CMainFrame& frame, CChildFrame* child) {
    frame.GetMdiArea()->setActiveSubWindow(child);
    child->raise();
}

} // namespace

CCommBase* CFrameSamplingHost::GetComm() {
    return m_frame.GetCommBase();
}

CProjectState& CFrameSamplingHost::GetProject() {
    return m_frame.GetProjectState();
}

bool CFrameSamplingHost::GetSampleSettings(SampleSettings& settings) {
    settings = GetProject().m_SampleSettings;
    CSampleParamBar* bar = m_frame.GetSampleParamBar();
    // A remote start asks nothing: refused inputs end it without a message.
    return bar == nullptr || bar->GetSampleSettings(settings, IsRemoteRequest() ? 0 : 1) != 0;
}

void CFrameSamplingHost::ShowSampleSettings(const SampleSettings& settings) {
    if (CSampleParamBar* bar = m_frame.GetSampleParamBar()) {
        bar->SetSampleSettings(settings);
        bar->SetRunState(GetProject().m_nProjectState);
        bar->InitControls();
    }
}

void CFrameSamplingHost::EnableSampleInputs(bool enable) {
    if (CSampleParamBar* bar = m_frame.GetSampleParamBar())
        bar->setEnabled(enable);
}

void CFrameSamplingHost::EnableChannelBar(bool enable) {
    if (QDockWidget* pane = m_frame.GetPane(IDR_PANE_CHANNEL_PARAM))
        pane->widget()->setEnabled(enable);
}

void CFrameSamplingHost::SendChannelParams() {
    if (CMainFrameCaseSearch* shell = m_frame.GetCaseSearch())
        shell->GetSearch().SendChannelParams();
}

bool CFrameSamplingHost::ConfirmProjectForSampling() {
    return m_frame.GetProjectHandler().ConfirmProjectForSampling() != 0;
}

bool CFrameSamplingHost::PrepareProject(const std::string& projectFilePath) {
    return m_frame.GetProjectHandler().PrepareProject(projectFilePath, !IsRemoteRequest()) != 0;
}

void CFrameSamplingHost::SetProjectState(int state) {
    m_frame.GetProjectHandler().SetProjectState(state);
    if (state == PROJECT_PREPARED)
        m_frame.StartSampleMarks();
    // The spectrum windows step through the stored blocks once a run holds data.
    m_frame.PassProjectStateToGraphInterface();
}

void CFrameSamplingHost::WriteProjectFile() {
    CProjectState& project = GetProject();
    ::WriteProjectFile(project, project.GetFilePath(".dap"));
}

void CFrameSamplingHost::WriteDeviceType() {
    CProjectState& project = GetProject();
    ::WriteDeviceType(project, project.GetFilePath(".dap"));
}

void CFrameSamplingHost::SaveChannelParamFile() {
    // The frame's channel-parameter file, the one it loads at start-up.
    ::SaveChannelParamFile(GetProject().GetProgramFilePath(".chn"));
}

void CFrameSamplingHost::ResetDataCounters() {
    GetProject().m_nTotalDataCount = 0;
    m_frame.SetAllViewsDataCount(0);
}

void CFrameSamplingHost::ResetAllViews() {
    m_frame.ResetAllViews();
}

void CFrameSamplingHost::ReloadViewData(bool /*append*/) {
    m_frame.ReloadViewData(GetProject().m_nTotalDataCount);
}

bool CFrameSamplingHost::ViewsDrawEverySet() {
    // The curve and history views draw each set as a point; the tables, the
    // bars and the alarm windows show the newest.
    return !CCurveViewWidget::CurveViews().empty() || !CHistoryViewWidget::HistoryViews().empty();
}

std::vector<int> CFrameSamplingHost::EverySetPlaces() {
    return m_frame.LiveDrawnPlaces();
}

void CFrameSamplingHost::MarkCurveRows(int from, int to) {
    m_frame.MarkCurveRows(from, to);
}

void CFrameSamplingHost::RefreshTableViews() {
    m_frame.RefreshAllViews();
}

void CFrameSamplingHost::SetStatusText(int pane, const std::string& text) {
    // Only the message pane exists as its own text; the count panes follow ShowDataCount.
    if (pane == 0)
        m_frame.SetStatusText(QString::fromStdString(text));
}

void CFrameSamplingHost::ShowDataCount(int count, int stored, bool sampling) {
    m_frame.ShowDataCountInStatusBar(kDataCountKind, count, stored, sampling);
}

bool CFrameSamplingHost::ChooseFile(bool save, const std::string& filter, const std::string& title,
                                    const std::string& folder, std::string& path) {
    return m_frame.ChooseFile(save, filter, title, folder, path);
}

bool CFrameSamplingHost::IsForwardingOn() {
    return m_frame.GetRemoteServer() != nullptr;
}

void CFrameSamplingHost::QueueForwardValues(const float* values, int caseCount) {
    // The value buffer holds 16 values a case slot, in the order of the case list.
    if (CDataForwardServer* server = m_frame.GetRemoteServer())
        server->QueueDataBlocks(std::clamp(caseCount, 0, MAX_CASE_COUNT), g_CaseList, 1, values);
}

void CFrameSamplingHost::BroadcastPacket(int type, std::int32_t value) {
    if (CDataForwardServer* server = m_frame.GetRemoteServer())
        server->BroadcastPacket(static_cast<std::uint32_t>(type), sizeof value, &value);
}

void CFrameSamplingHost::StartForwardSender(int /*caseCount*/) {
    if (CDataForwardServer* server = m_frame.GetRemoteServer())
        server->StartSendThread();
}

void CFrameSamplingHost::StopForwardSender() {
    if (CDataForwardServer* server = m_frame.GetRemoteServer())
        server->StopSendThread();
}

void CFrameSamplingHost::ShowProgressStep(int step, const std::string& text) {
    // The progress window runs on its own thread and takes calls from any thread.
    IStartProgress* progress = m_frame.GetProgressSink();
    if (progress == nullptr)
        return;
    if (step <= 1) {
        progress->Begin();
        progress->SetRange1(0, kProgressSteps);
    }
    progress->SetText1(text);
    progress->SetPos1(step);
}

void CFrameSamplingHost::CloseProgress() {
    if (IStartProgress* progress = m_frame.GetProgressSink())
        progress->End();
}

bool CFrameSamplingHost::IsRemoteRequest() {
    return m_pSampling != nullptr && m_pSampling->m_bRemoteRequest != 0;
}

void CFrameSamplingHost::SetRemoteRequest(bool remote) {
    if (m_pSampling != nullptr)
        m_pSampling->m_bRemoteRequest = remote ? 1 : 0;
}

bool CFrameSamplingHost::IsRunActive() {
    return ::IsRunActive();
}

bool CFrameSamplingHost::CanStartSample() {
    return m_pSampling != nullptr && m_pSampling->CanStartSample(g_nCaseCount);
}

void CFrameSamplingHost::DetectCase() {
    if (CMainFrameCaseSearch* shell = m_frame.GetCaseSearch())
        shell->GetSearch().OnDetectCase();
}

void CFrameSamplingHost::Balance() {
    if (m_pSampling != nullptr)
        m_pSampling->OnBalance();
}

void CFrameSamplingHost::StartSample() {
    if (m_pSampling != nullptr)
        m_pSampling->OnStartSample();
}

void CFrameSamplingHost::StopSample() {
    if (m_pSampling != nullptr)
        m_pSampling->OnStopSample();
}

void CFrameSamplingHost::GetCurrentValues(std::vector<float>& values) {
    values.clear();
    if (m_pSampling == nullptr)
        return;
    // The sets processed by now reach the buffer first, as they would reach
    // the views; before the run's first set it holds nothing to send.
    if (platform::IsUiThread())
        m_pSampling->ShowLiveSets();
    const int count = std::clamp(g_nChannelCount, 0, CSamplingControl::kValueWords);
    std::lock_guard<platform::CriticalSection> lock(GetDataLock());
    if (!m_pSampling->HasMeasuredValues())
        return;
    const float* buffer = m_pSampling->GetValueBuffer();
    values.assign(buffer, buffer + count);
}

bool CFrameSamplingHost::HasSpectrumGraph() {
    return m_frame.GetGraphInterface() != nullptr;
}

void CFrameSamplingHost::FeedSpectrum(int blockSize, const std::vector<std::vector<float>>& buffers,
                                      bool save) {
    m_frame.FeedSpectrum(blockSize, buffers, save);
}

void CFrameSamplingHost::PassSpectrumRunParams() {
    m_frame.PassParamsToGraphInterface(true);
}

void CFrameSamplingHost::RefreshSpectrumViews() {
    m_frame.RefreshSpectrumViews();
}

platform::CriticalSection& CFrameSamplingHost::GetDataLock() {
    return g_csData;
}

std::vector<int> CFrameSamplingHost::GetSelectedChannels() {
    CChannelParamBar* bar = m_frame.GetChannelParamBar();
    return bar == nullptr ? std::vector<int>{} : bar->GetSelectedChannels();
}

bool CFrameSamplingHost::VerifyStopRights() {
    COperatorRights& rights = m_frame.GetOperatorRights();
    if (!IsStopGuarded(rights) || IsRemoteRequest())
        return true;
    CDlgRightsVerify dialog(&m_frame);
    dialog.SetVerifyCode(rights.m_strOperationCode);
    const int result = m_frame.runRightsDialog ? m_frame.runRightsDialog(dialog) : dialog.exec();
    if (result != QDialog::Accepted)
        return false;
    // "Stop asking again": the code is not asked for until the rights change.
    if (dialog.GetNoRepeatPrompt())
        rights.SetRightCancel(1);
    return true;
}

void CFrameSamplingHost::PrepareViewsForSampling() {
    // The history views start the run without data synchronisation, fed
    // anew by the first sample; the bar and table views start the run empty.
    for (CHistoryViewWidget* history : CHistoryViewWidget::HistoryViews())
        history->Model().m_bDataSync = false;
    m_frame.ResetBarViews();
    ResetViewData(kViewKindTable);
}

void CFrameSamplingHost::ResetViewData(int kind) {
    if (kind == kViewKindHistory) {
        // Windows of the new batch length, the cursors back at the start.
        const int block = std::max(m_frame.GetAnalysisBlockSize(), 1);
        for (CHistoryViewWidget* history : CHistoryViewWidget::HistoryViews()) {
            CHistoryViewModel& model = history->Model();
            model.m_nWindowCount = model.m_nValidCount = block;
            model.ResetCursors();
            model.AllocBuffers();
            history->Invalidate();
        }
        return;
    }
    if (kind != kViewKindTable)
        return;
    for (CTableViewWidget* table : CTableViewWidget::TableViews())
        table->Refresh();
}

void CFrameSamplingHost::EnsureRealtimeTableView() {
    // A window of another kind (history, curve, bar or spectrum) shows the run already.
    for (QMdiSubWindow* window : m_frame.GetMdiArea()->subWindowList()) {
        auto* child = qobject_cast<CChildFrame*>(window);
        if (child == nullptr || TableViewOf(child) == nullptr)
            return;
    }
    CChildFrame* activeTable = nullptr;
    for (CChildFrame* child : m_frame.GetChildFramesFrontFirst()) {
        CTableView* view = TableViewOf(child);
        if (view->GetTable() == nullptr)
            continue;
        if (view->GetTable()->Data().m_nShowDataType == TABLE_MEASURED) {
            Activate(m_frame, child);
            return;
        }
        if (activeTable == nullptr)
            activeTable = child;
    }
    if (CTableView* view = TableViewOf(activeTable)) {
        const int kind = view->GetTable()->Data().m_nShowDataType;
        if (kind == TABLE_BALANCE_STATE || kind == TABLE_BALANCE_VALUES || kind == TABLE_CHECK_RESULTS) {
            view->GetTable()->SetShowDataType(TABLE_MEASURED);
            view->GetTable()->Refresh();
            Activate(m_frame, activeTable);
            return;
        }
    }
    if (OpenViewCounters().CanOpen(VIEW_TYPE_TABLE))
        m_frame.OpenDataWindow(VIEW_TYPE_TABLE, false);
}

void CFrameSamplingHost::ShowBalanceTableView() {
    for (CChildFrame* child : m_frame.GetChildFramesFrontFirst()) {
        CTableView* view = TableViewOf(child);
        if (view != nullptr && view->GetTable() != nullptr &&
            view->GetTable()->Data().m_nShowDataType == TABLE_BALANCE_VALUES) {
            Activate(m_frame, child);
            view->GetTable()->Refresh();
            return;
        }
    }
    if (!OpenViewCounters().CanOpen(VIEW_TYPE_TABLE))
        return;
    CTableView* view = TableViewOf(m_frame.OpenDataWindow(VIEW_TYPE_TABLE, false));
    if (view != nullptr && view->GetTable() != nullptr)
        view->GetTable()->SetShowDataType(TABLE_BALANCE_VALUES);
}

void CFrameSamplingHost::StartResultWorkers(int storedCount) {
    m_frame.StartResultWorkers(storedCount);
}

std::vector<std::string> CFrameSamplingHost::GetVirtualChannelFormulas() {
    std::vector<std::string> formulas;
    for (const VirtualChannelRecord& record : GetProject().m_VirtualChannels) {
        const auto* text = reinterpret_cast<const char*>(record.bytes + kFormulaOffset);
        formulas.emplace_back(text, strnlen(text, sizeof record.bytes - kFormulaOffset));
    }
    return formulas;
}

float CFrameSamplingHost::GetTestLevel(int level) {
    // The full-scale levels of the instrument description: the first for
    // gauges of 150 ohm and above, the second for smaller ones.
    return g_InstrumentIni.GetFullValue(level);
}
