// The main frame's construction, destruction, command routing and the
// services it gives the documents.
// Ahead of any Qt header, which defines "slots" as a macro that the data-file headers use as a name.
#include "acquisition/SamplingControl.h"

#include "app/MainFrame.h"

#include "acquisition/CaseProgramHost.h"
#include "acquisition/CommBase.h"
#include "acquisition/DataForwardServer.h"
#include "acquisition/DatabaseWriter.h"
#include "acquisition/LeadWireSelfTest.h"
#include "acquisition/NetComm.h"
#include "acquisition/RemoteCommandDispatch.h"
#include "app/ChildFrame.h"
#include "app/DdeService.h"
#include "app/FrameSamplingHost.h"
#include "app/KelvaneLink.h"
#include "app/ShowDetailWinThread.h"
#include "app/StartupWork.h"
#include "datafiles/ResultWorker.h"
#include "libs/spectrum/FFTSpectrumChildFrm.h"
#include "libs/spectrum/Lurrow.h"
#include "libs/transfer/ProgrammedLink.h"
#include "model/AppSettings.h"
#include "model/RunFlags.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"

#include <QAction>
#include <QCloseEvent>
#include <QDockWidget>
#include <QLabel>
#include <QMdiArea>
#include <QStatusBar>
#include <QToolBar>

CMainFrame::CMainFrame(const std::string& programFolder)
    : m_strProgramFolder(programFolder), m_OperatorRights(AppRegistryProfile()) {
    setObjectName("CMainFrame");
    // The value in effect is 60 seconds whatever the settings file holds.
    g_nAutoDetectCaseOutTime = 60;
    g_nModelType = 0;
    m_project.m_strProgramFolder = programFolder;
    InstallProjectHooks();
    RegisterShellMessages();
    InstallSampling();
    InstallDatabaseWriter();
}

CMainFrame::~CMainFrame() {
    // Views call back into the frame while they close: close them first.
    if (m_pMdiArea != nullptr) {
        m_pMdiArea->closeAllSubWindows();
    }
    // Spectrum windows hold the graph interface, which goes before the
    // frame's child widgets: they go now.
    for (CFFTSpectrumChildFrm* spectrum : GetSpectrumFrames()) {
        delete spectrum;
    }
    // The start-up worker is waited for with a time limit before the
    // progress window and the communication object go.
    m_pStartupWork.reset();
    if (m_pProgressThread) {
        m_pProgressThread->PostThreadMessage(platform::WM_QUIT);
    }
    UnregisterTarget();
    m_pKelvaneServer.reset();
    m_pKelvaneLink.reset();
    m_pKelvaneHost.reset();
    // The sampling side's workers are given up before the links they use go.
    m_pLeadWireTest.reset();
    m_pSampling.reset();
    if (m_pRemoteServer) {
        m_pRemoteServer->StopSendThread();
        m_pRemoteServer->Stop();
    }
    m_pRemoteServer.reset();
    m_pComm.reset();
    m_pCaseHost.reset();
}

platform::LRESULT CMainFrame::WindowProc(platform::UINT message, platform::WPARAM wParam,
                                         platform::LPARAM lParam) {
    // The status text shares its number with the acquisition side's
    // progress text: that one comes in wParam, the frame's own in lParam.
    const bool frameStatusText = message == WM_SET_STATUS_TEXT && wParam == 0;
    platform::LRESULT result = 0;
    if (m_pSampling && !frameStatusText && m_pSampling->HandleMessage(message, wParam, lParam, result)) {
        if (message == sampling_msg::kAlarmCheck)
            ShowTestAlarms();
        return result;
    }
    const auto handler = m_messageHandlers.find(message);
    return handler != m_messageHandlers.end() ? handler->second(wParam, lParam) : 0;
}

void CMainFrame::OnMessage(platform::UINT message, MessageHandler handler) {
    m_messageHandlers[message] = std::move(handler);
}

void CMainFrame::RegisterShellMessages() {
    // A sent status text: the sender's text lives while the handler runs.
    OnMessage(WM_SET_STATUS_TEXT, [this](platform::WPARAM, platform::LPARAM lParam) {
        const auto* text = reinterpret_cast<const char*>(lParam);
        SetStatusText(text != nullptr ? QString::fromUtf8(text) : QString());
        return platform::LRESULT(0);
    });
    OnMessage(WM_STARTUP_WORK_DONE, [this](platform::WPARAM wParam, platform::LPARAM) {
        SetCasesFound(wParam > 0 ? 1 : 0);
        return platform::LRESULT(0);
    });
    OnMessage(platform::WM_CLOSE, [this](platform::WPARAM, platform::LPARAM) {
        close();
        return platform::LRESULT(0);
    });
}

void CMainFrame::OnCommand(int id, CommandHandler handler, UpdateHandler update) {
    m_commandHandlers[id] = std::move(handler);
    if (update) {
        m_updateHandlers[id] = std::move(update);
    }
}

CCmdUI CMainFrame::QueryCommandState(int id) {
    CCmdUI state;
    state.m_nID = id;
    const auto update = m_updateHandlers.find(id);
    if (update != m_updateHandlers.end()) {
        update->second(state);
    } else {
        state.m_bEnabled = m_commandHandlers.count(id) != 0;
    }
    return state;
}

bool CMainFrame::RunCommand(int id) {
    const auto handler = m_commandHandlers.find(id);
    if (handler == m_commandHandlers.end() || !QueryCommandState(id).m_bEnabled) {
        return false;
    }
    handler->second();
    return true;
}

void CMainFrame::ApplyCommandState(QAction* action, const CCmdUI& state) {
    action->setEnabled(state.m_bEnabled);
    // A menu item draws an empty tick box while it is checkable: only a
    // checked command is.
    if (state.m_bChecked) {
        action->setCheckable(true);
        action->setChecked(true);
    } else if (action->isCheckable()) {
        action->setChecked(false);
        action->setCheckable(false);
    }
}

void CMainFrame::UpdateCommandStates() {
    for (const auto& [id, action] : m_actions) {
        ApplyCommandState(action, QueryCommandState(id));
    }
}

QAction* CMainFrame::GetAction(int id) const {
    const auto it = m_actions.find(id);
    return it != m_actions.end() ? it->second : nullptr;
}

QDockWidget* CMainFrame::GetPane(int id) const {
    const auto it = m_panes.find(id);
    return it != m_panes.end() ? it->second : nullptr;
}

QToolBar* CMainFrame::GetToolBar(int index) const {
    return index >= 0 && index < static_cast<int>(m_toolBars.size())
               ? m_toolBars[static_cast<std::size_t>(index)]
               : nullptr;
}

std::string CMainFrame::GetDocumentLayoutFile() const {
    const std::string projectFile = m_project.GetFilePath(".dap");
    if (!projectFile.empty() && platform::FileExists(projectFile)) {
        return m_project.GetFilePath(".LYT");
    }
    return m_project.GetProgramFilePath(".LYT");
}

int CMainFrame::GetAnalysisBlockSize() const {
    const int n = m_project.m_SampleSettings.nAnalysisBlockSize;
    return n > 0 ? n : 256;
}

bool CMainFrame::IsRunActive() const {
    return ::IsRunActive();
}

void CMainFrame::ShowDataCountInStatusBar(int kind, int count, int total, bool acquiring) {
    // Outside a run the project's total is what its files hold, whatever
    // total a window was last given.
    if (!acquiring && kind != 5)
        total = m_project.m_nTotalDataCount;
    const auto texts = DataCountPaneTexts(kind, count, total, acquiring, m_project.m_nProjectState);
    SetPaneText(900, QString::fromStdString(texts.first));
    SetPaneText(901, QString::fromStdString(texts.second));
}

void CMainFrame::ShowActiveDataCount() {
    if (CChildFrame* child = GetActiveChildFrame())
        child->GetDocument()->ShowDataCount();
    else
        ShowDataCountInStatusBar(VIEW_TYPE_HISTORY, 0, m_project.m_nTotalDataCount, false);
}

void CMainFrame::SetPaneText(int id, const QString& text) {
    const auto it = m_statusPanes.find(id);
    if (it == m_statusPanes.end())
        return;
    QLabel* pane = it->second;
    if (pane->text() == text)
        return;
    // Only a text that would not fit widens the pane. The counts change
    // many times a second, and their digits are as wide as each other: a
    // text that differs from the last one measured only in its digits is
    // not measured again.
    QString shape = text;
    for (QChar& c : shape)
        if (c.isDigit())
            c = QLatin1Char('0');
    QString& measured = m_paneMeasuredShapes[id];
    if (shape != measured) {
        const int needed =
            pane->fontMetrics().horizontalAdvance(shape) + 2 * pane->margin() + 2 * pane->frameWidth() + 8;
        if (needed > pane->width())
            pane->setFixedWidth(needed);
        measured = shape;
    }
    pane->setText(text);
}

QString CMainFrame::GetPaneText(int id) const {
    const auto it = m_statusPanes.find(id);
    return it != m_statusPanes.end() ? it->second->text() : QString();
}

void CMainFrame::SetStatusText(const QString& text) {
    if (m_pStatusText != nullptr) {
        m_pStatusText->setText(text);
    }
}

QString CMainFrame::GetStatusText() const {
    return m_pStatusText != nullptr ? m_pStatusText->text() : QString();
}

void CMainFrame::ToggleDataLocateBar() {
    if (m_pDataLocateBar != nullptr) {
        m_pDataLocateBar->setVisible(!m_pDataLocateBar->isVisible());
        if (m_pDataLocateBar->isVisible())
            AttachLocateData();
    }
    if (CChildFrame* child = GetActiveChildFrame()) {
        child->GetActiveView()->setFocus();
    }
}

bool CMainFrame::DeleteStoredSample(int index) {
    if (platform::MessageBox("此操作将删除当前显示的数据! 是否进行此操作?", g_strAppTitle,
                             platform::MB_YESNO | platform::MB_ICONQUESTION) != platform::IDYES) {
        return false;
    }
    int count = 0;
    if (DeleteStoredSampleSet(m_project.GetFilePath(".dat"), index, count) == 0) {
        return false;
    }
    m_project.m_nTotalDataCount = count;
    SetAllViewsDataCount(count);
    return true;
}

void CMainFrame::SetAllViewsDataCount(int count) {
    for (CChildFrame* child : GetChildFramesFrontFirst()) {
        CQV7411N_NewFrameDoc* doc = child->GetDocument();
        if (doc->IsStoredData()) {
            doc->SetTotal(count);
            doc->MoveToSample(doc->m_nScreenDataLeft);
        }
    }
}

void CMainFrame::SyncViewsToSample(int sample) {
    for (CChildFrame* child : GetChildFramesFrontFirst()) {
        CQV7411N_NewFrameDoc* doc = child->GetDocument();
        if (doc->GetViewType() == VIEW_TYPE_TABLE || doc->IsDistribution()) {
            doc->MoveToSample(sample);
        }
    }
}

void CMainFrame::RefreshAllViews() {
    for (CChildFrame* child : GetChildFramesFrontFirst()) {
        child->GetActiveView()->ReloadDataWindow();
    }
}

void CMainFrame::LocateOtherViews(const CQV7411N_NewFrameDoc* from, int position) {
    for (CChildFrame* child : GetChildFramesFrontFirst()) {
        if (child->GetDocument() != from) {
            child->GetDocument()->MoveToSample(position);
        }
    }
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (m_bClosing || OnClose()) {
        event->accept();
    } else {
        event->ignore();
    }
}
