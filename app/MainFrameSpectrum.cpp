// The spectrum windows in the frame: the graph-interface object's
// parameters, new spectrum windows (command 32938), their restoration from
// the layout file, the block hand-over of a run, and the commands routed to
// the active spectrum window.
#include "app/MainFrame.h"

#include "libs/spectrum/FFTSpectrumChildFrm.h"
#include "libs/spectrum/FFTSpectrumView.h"
#include "libs/spectrum/Lurrow.h"
#include "model/AppSettings.h"
#include "model/CaseTables.h"
#include "model/ChannelRecords.h"
#include "model/DebugLogFiles.h"
#include "platform/Profile.h"
#include "platform/Text.h"
#include "project/LayoutFile.h"

#include <QMdiArea>

#include <algorithm>
#include <cstring>

bool CMainFrame::PassParamsToGraphInterface(bool resetViews) {
    Lurrow* graph = m_pGraphInterface.get();
    if (graph == nullptr)
        return false;
    const SampleSettings& settings = m_project.m_SampleSettings;
    graph->SetSampleParam(settings.fSampleFreq, settings.nAnalysisBlockSize);
    graph->SetCaseParam(std::clamp<int>(g_nCaseCount, 0, MAX_CASE_COUNT), g_CaseList);
    graph->SetProjectPathName(m_project.m_strProjectFolder, m_project.m_strProjectName);
    std::vector<std::string> units(lurrow::kMaxChannels);
    for (int id = 0; id < lurrow::kMaxChannels; ++id) {
        const char* unit = g_ChannelParams[static_cast<std::size_t>(id)].szUnit;
        units[static_cast<std::size_t>(id)] =
            platform::GbkToUtf8(std::string(unit, strnlen(unit, sizeof g_ChannelParams[0].szUnit)));
    }
    graph->SetChannelEU(lurrow::kMaxChannels, units.data());
    PassProjectStateToGraphInterface();
    if (resetViews) {
        // The reset frees the windows' lines; they come back at the run's
        // line count, which a new block size changes.
        graph->ResetGraphView();
        graph->SetGraphDraw();
    }
    return true;
}

void CMainFrame::PassProjectStateToGraphInterface() {
    if (Lurrow* graph = m_pGraphInterface.get()) {
        const int state = m_project.m_nProjectState;
        graph->SetProjectStatus(state);
        graph->SetDataStatus(state == PROJECT_OPENED || state == PROJECT_CONFIRMED);
    }
}

int CMainFrame::GetSpectrumViewCount() const {
    return m_pGraphInterface ? m_pGraphInterface->GetSpectrumViewCount() : 0;
}

CFFTSpectrumChildFrm* CMainFrame::OpenSpectrumWindow() {
    CFFTSpectrumChildFrm* child = CFFTSpectrumChildFrm::Create();
    if (child == nullptr)
        return nullptr;
    m_pMdiArea->addSubWindow(child);
    child->GetDocument()->SetGraphInterface(m_pGraphInterface.get());
    child->show();
    m_pMdiArea->setActiveSubWindow(child);
    return child;
}

void CMainFrame::OnNewSpectrumWindow() {
    if (!PassParamsToGraphInterface(false))
        return;
    m_bOpeningViewWindow = true;
    CFFTSpectrumChildFrm* child = OpenSpectrumWindow();
    m_bOpeningViewWindow = false;
    if (child == nullptr)
        return;
    child->GetDocument()->SetGraphViewLyt(-1);
    m_pGraphInterface->GetViewObject();
}

void CMainFrame::RestoreSpectrumWindows(const std::string& layoutFile) {
    const int count =
        platform::GetPrivateProfileInt(WINDOW_LAYOUT_SECTION, "SpectrumViewCount", 0, layoutFile);
    if (!m_pGraphInterface)
        return;
    PassParamsToGraphInterface(true);
    for (int i = 0; i < std::min(count, lurrow::kMaxSpectrumViews); ++i) {
        if (OpenSpectrumWindow() == nullptr)
            break;
    }
    m_pGraphInterface->OpenSpectrumLayout(layoutFile);
}

void CMainFrame::FeedSpectrum(int blockSize, const std::vector<std::vector<float>>& buffers, bool save) {
    Lurrow* graph = m_pGraphInterface.get();
    if (graph == nullptr)
        return;
    // Every online channel has a buffer slot; a short buffer shortens the block.
    std::size_t count = static_cast<std::size_t>(std::max(blockSize, 0));
    std::vector<float*> pointers(std::max(buffers.size(), lurrow::Tables().channelIds.size()), nullptr);
    for (std::size_t i = 0; i < buffers.size(); ++i) {
        count = std::min(count, buffers[i].size());
        pointers[i] = const_cast<float*>(buffers[i].data());
    }
    graph->SetSampleDataBuffer(static_cast<int>(count), pointers.data());
    graph->UpdateGraphView();
    if (save)
        graph->SaveFFTSpectrumData();
    for (const std::string& report : graph->TakeReports())
        WriteLogFile("Sample", report);
}

void CMainFrame::RefreshSpectrumViews() {
    if (m_pGraphInterface && m_pGraphInterface->HasData())
        m_pGraphInterface->RefreshGraphView();
}

CFFTSpectrumChildFrm* CMainFrame::GetActiveSpectrumFrame() const {
    return qobject_cast<CFFTSpectrumChildFrm*>(GetFrontSubWindow());
}

std::vector<CFFTSpectrumChildFrm*> CMainFrame::GetSpectrumFrames() const {
    std::vector<CFFTSpectrumChildFrm*> frames;
    if (m_pMdiArea == nullptr)
        return frames;
    for (QMdiSubWindow* window : m_pMdiArea->subWindowList(QMdiArea::CreationOrder)) {
        if (auto* frame = qobject_cast<CFFTSpectrumChildFrm*>(window))
            frames.push_back(frame);
    }
    return frames;
}

bool CMainFrame::RouteSpectrumCommand(int id, CCmdUI* ui) {
    CFFTSpectrumChildFrm* frame = GetActiveSpectrumFrame();
    if (frame == nullptr)
        return false;
    const SpectrumCommandState state = frame->GetView()->QueryCommand(id);
    if (ui == nullptr)
        return state.handled && frame->GetView()->OnCommand(id);
    ui->Enable(state.handled && state.enabled);
    ui->SetCheck(state.checked);
    return true;
}
