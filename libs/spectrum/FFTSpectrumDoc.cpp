// The spectrum window's document.
#include "libs/spectrum/FFTSpectrumDoc.h"

#include "libs/spectrum/FFTSpectrumChildFrm.h"
#include "libs/spectrum/FFTSpectrumView.h"
#include "libs/spectrum/Lurrow.h"
#include "platform/Files.h"
#include "platform/Text.h"

CFFTSpectrumDoc::CFFTSpectrumDoc() : m_pAnalysisData(std::make_unique<CAnalysisDataInterface>()) {
    OnNewDocument();
}

CFFTSpectrumDoc::~CFFTSpectrumDoc() {
    OnCloseDocument();
}

void CFFTSpectrumDoc::Attach(CFFTSpectrumChildFrm* frame, CFFTSpectrumView* view) {
    m_pFrame = frame;
    m_pView = view;
    SetTitleText();
}

void CFFTSpectrumDoc::SetGraphInterface(Lurrow* graph) {
    m_pGraphInterface = graph;
    m_pAnalysisData->m_pOwner = graph;
    if (m_pView != nullptr) {
        m_pView->SetGraphInterface(graph);
        m_pView->SetGraphDataInterface(m_pAnalysisData.get());
    }
    if (m_pFrame != nullptr)
        m_pFrame->SetGraphInterface(graph);
    SetTitleText();
}

void CFFTSpectrumDoc::SetGraphViewLyt(int index) {
    if (m_pView == nullptr)
        return;
    if (index == -1)
        index = lurrow::Tables().viewCount;
    const std::string file = GetLayoutFile();
    m_pView->ReadLayoutParameters(file, index);
    if (m_pFrame != nullptr)
        m_pFrame->ReadPlacement(file, index);
    m_pView->ResetGraphView();
    m_pView->SetGraphDraw();
    m_pView->RefreshFFTSpectrumView();
}

std::string CFFTSpectrumDoc::GetLayoutFile() const {
    const int status = m_pGraphInterface != nullptr ? m_pGraphInterface->m_nProjectStatus : 0;
    std::string folder =
        m_pGraphInterface != nullptr ? m_pGraphInterface->GetProgramFolder() : platform::ProgramFolder();
    std::string base = "QV7416";
    if (status != 0) {
        base = m_pGraphInterface->GetProjectName();
        // The folder of path/name.dap: the project path itself.
        if (status != 1 && !m_pGraphInterface->GetProjectPath().empty())
            folder = m_pGraphInterface->GetProjectPath();
    }
    return folder + "/" + base + ".LYT";
}

void CFFTSpectrumDoc::SetTitleText() {
    std::string title;
    if (m_pGraphInterface != nullptr) {
        if (m_pGraphInterface->m_nProjectStatus != 0)
            title = "[" + m_pGraphInterface->GetProjectName() + "]";
        title += "频谱图";
        for (int channel : m_SelChannels)
            title += " " + lurrow::FormatChannelName(channel);
    } else {
        title = "频谱图";
    }
    m_strTitle = title;
    if (m_pFrame != nullptr)
        m_pFrame->setWindowTitle(QString::fromStdString(title));
}

void CFFTSpectrumDoc::SetGraphSelChnID(const std::vector<int>& channels) {
    m_SelChannels = channels;
    SetTitleText();
}

void CFFTSpectrumDoc::SaveLayoutParameters(const std::string& file, int index) {
    if (m_pView != nullptr)
        m_pView->SaveLayoutParameters(file, index);
}

void CFFTSpectrumDoc::ReadLayoutParameters(const std::string& file, int index) {
    if (m_pView != nullptr)
        m_pView->ReadLayoutParameters(file, index);
}

void CFFTSpectrumDoc::GetFFTSpectrumData(int channel) {
    m_nBlockCount = m_pAnalysisData->GetBlockCount(channel);
    m_pAnalysisData->m_nBlockIndex = m_nBlockIndex;
    m_pAnalysisData->ReadBlock(channel, m_nBlockIndex);
}

void CFFTSpectrumDoc::OnNewDocument() {
    SetTitleText();
}

void CFFTSpectrumDoc::OnCloseDocument() {
    if (m_bClosed)
        return;
    m_bClosed = true;
    if (m_pView != nullptr)
        lurrow::Tables().RemoveView(m_pView);
    if (m_pGraphInterface != nullptr)
        m_pGraphInterface->GetViewObject();
}

SpectrumCommandState CFFTSpectrumDoc::QueryCommand(int id) const {
    SpectrumCommandState state;
    if (id != ID_SPECTRUM_PREV_BLOCK && id != ID_SPECTRUM_NEXT_BLOCK)
        return state;
    state.handled = true;
    const bool stored = m_pGraphInterface != nullptr && m_pGraphInterface->m_bDataStatus &&
                        !m_pGraphInterface->GetSpectra().empty();
    state.enabled =
        stored && (id == ID_SPECTRUM_PREV_BLOCK ? m_nBlockIndex > 0 : m_nBlockIndex < m_nBlockCount - 1);
    return state;
}

bool CFFTSpectrumDoc::OnCommand(int id) {
    if (!QueryCommand(id).enabled)
        return QueryCommand(id).handled;
    m_nBlockIndex += id == ID_SPECTRUM_PREV_BLOCK ? -1 : 1;
    if (m_pView != nullptr)
        m_pView->RefreshFFTSpectrumView();
    return true;
}
