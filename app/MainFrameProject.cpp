// The main frame's side of project handling: the hooks through which the
// project logic reaches the bars, the views and the communication object.
#include "app/MainFrame.h"

#include "acquisition/CommBase.h"
#include "acquisition/NetComm.h"
#include "app/ChildFrame.h"
#include "app/DataViews.h"
#include "app/MainFrameCaseSearch.h"
#include "app/MainFrameSettingsDialogs.h"
#include "app/ProjectFileDialog.h"
#include "panels/bars/ChannelParamBar.h"
#include "panels/bars/SampleParamBar.h"
#include "project/ControllerTableFile.h"
#include "views/curve/CurveViewWidget.h"
#include "views/history/HistoryViewWidget.h"

#include <QMdiArea>

void CMainFrame::InstallProjectHooks() {
    ProjectHooks hooks;
    hooks.onStateChanged = [this](int state) {
        if (m_pSampleParamBar != nullptr) {
            m_pSampleParamBar->SetRunState(state);
        }
        if (m_pChannelParamBar != nullptr) {
            m_pChannelParamBar->SetProjectState(state);
        }
        if (m_pComm) {
            m_pComm->SetProjectState(state);
        }
        if (m_pSettingsDialogs != nullptr)
            m_pSettingsDialogs->OnProjectChanged();
    };
    hooks.takeSampleBarSettings = [this](SampleSettings& settings) {
        return m_pSampleParamBar == nullptr || m_pSampleParamBar->GetSampleSettings(settings, 1) != 0;
    };
    hooks.showSampleSettings = [this](const SampleSettings& settings) {
        if (m_pSampleParamBar != nullptr) {
            m_pSampleParamBar->SetSampleSettings(settings);
            m_pSampleParamBar->InitControls();
        }
    };
    hooks.resetViews = [this] { ResetAllViews(); };
    hooks.switchViewsToLive = [this](int total) {
        for (CChildFrame* child : GetChildFramesFrontFirst()) {
            const int type = child->GetViewType();
            if (type == VIEW_TYPE_HISTORY || type == VIEW_TYPE_CURVE) {
                child->GetDocument()->SetStoredData(false);
                child->GetDocument()->SetTotal(total);
            }
        }
    };
    hooks.selectNewProject = [this](std::string& folder, std::string& name) {
        return m_projectDialog.SelectProjectFile(false, m_project.m_strProjectRoot, m_strProgramFolder,
                                                 folder, name);
    };
    hooks.closeAllWindows = [this](const CProjectState& state) {
        SaveWindowLayout(state.GetFilePath(".LYT"));
        CloseAllChildWindows();
    };
    hooks.loadCompanionFiles = [this](CProjectState& state) {
        // The controllers the run was made with, for the views until a search finds the cases again.
        if (LoadControllerTable(state.GetModuleInfoPath(), g_nControllerCount, m_ProjectControllers) == 0)
            m_ProjectControllers.clear();
        LoadDigitalSettings(state);
        LoadWindowLayout(state.GetFilePath(".LYT"), true);
    };
    hooks.saveCompanionFiles = [this](const CProjectState& state) {
        SaveDigitalSettings(state);
        SaveControllerTable(state.GetModuleInfoPath(), ControllerTable());
    };
    hooks.rebuildChannelBar = [this] { RefreshChannelParamBar(); };
    // An imported channel file reaches the cases at once.
    hooks.sendChannelParams = [this] {
        if (m_pCaseSearch != nullptr)
            m_pCaseSearch->GetSearch().SendChannelParamsOfType(-1);
    };
    m_pProjectHandler = std::make_unique<CProjectHandler>(m_project, std::move(hooks));
}

void CMainFrame::ResetAllViews() {
    ResetBarViews();
    for (CChildFrame* child : GetChildFramesFrontFirst()) {
        CQV7411N_NewFrameDoc* doc = child->GetDocument();
        doc->ResetDataWindow();
        // A curve view keeps only channels that are still measured, returns
        // to time curves and counts samples on its X axis unless the frame
        // works in mode 2.
        if (auto* curve = qobject_cast<CQV7411N_NewFrameView*>(child->GetActiveView());
            curve != nullptr && curve->GetCurve() != nullptr) {
            curve->GetCurve()->RevalidateChannels();
            curve->GetCurve()->ResetSignalKind();
            curve->GetCurve()->SetHoldFlag(m_nWorkMode == 2 ? 1 : 0);
        }
        // A history view shows the measured channels as they are now.
        if (auto* history = qobject_cast<CHistoryView*>(child->GetActiveView());
            history != nullptr && history->GetHistory() != nullptr) {
            history->GetHistory()->UseMeasChannelList();
        }
        doc->UpdateTitle();
        child->GetActiveView()->ReloadDataWindow();
    }
}

void CMainFrame::RegisterProjectCommands() {
    // Both need confirmed cases and no run; import also no open project.
    OnCommand(
        ID_IMPORT_PROJECT, [this] { OnImportProject(); },
        [this](CCmdUI& ui) {
            const int state = m_project.m_nProjectState;
            ui.Enable(!IsRunActive() && m_bCasesFound != 0 && state != PROJECT_OPENED &&
                      state != PROJECT_CONFIRMED);
        });
    OnCommand(
        ID_EXPORT_PROJECT, [this] { OnExportProject(); },
        [this](CCmdUI& ui) { ui.Enable(!IsRunActive() && m_bCasesFound != 0); });
}

void CMainFrame::OnImportProject() {
    std::string folder;
    std::string name;
    if (m_projectDialog.SelectProjectFile(true, m_project.m_strProjectRoot, m_strProgramFolder, folder,
                                          name)) {
        m_pProjectHandler->ImportProject(folder, name);
    }
}

void CMainFrame::OnExportProject() {
    std::string folder;
    std::string name;
    if (m_projectDialog.SelectProjectFile(false, m_project.m_strProjectRoot, m_strProgramFolder, folder,
                                          name)) {
        m_pProjectHandler->ExportProject(folder, name);
    }
}
