// The data window of a document: moving it, its command states, its layout
// keys and the window title.
#include "project/ProjectDocument.h"

#include "model/ChannelNaming.h"
#include "model/ChannelRecords.h"
#include "platform/Profile.h"
#include "platform/Text.h"

#include <algorithm>

namespace {

constexpr int PROJECT_HAS_DATA_MIN_STATE = 2;

bool ProjectHoldsData(int state) {
    return state >= PROJECT_HAS_DATA_MIN_STATE;
}

int HalveWanted(int wanted) {
    return std::max(wanted / 2, 2);
}

} // namespace

std::string TableKindSuffix(int kind) {
    switch (kind) {
    case 0:
        return "_平衡状态";
    case 1:
        return "_平衡结果";
    case 2:
        return "_测量数据";
    case 3:
        return "_应变花";
    case 4:
        return "_历史数据";
    case 5:
        return "_数字量";
    case 6:
        return "_诊断结果";
    case 8:
        return "_焊接残余应力";
    default:
        return "";
    }
}

CQV7411N_NewFrameDoc::CQV7411N_NewFrameDoc(IDocumentHost* host, int viewType, IDocumentView* view)
    : m_pHost(host), m_pView(view), m_nViewType(viewType) {}

bool CQV7411N_NewFrameDoc::IsOpenedByCommand(int layoutIndex) const {
    return layoutIndex < 0 || m_pHost->IsOpeningViewWindow();
}

void CQV7411N_NewFrameDoc::OnNewDocument(int layoutIndex) {
    ResetDataWindow();
    if (IsOpenedByCommand(layoutIndex)) {
        if (m_pHost->IsRunActive()) {
            m_bStoredData = false;
        }
    } else {
        LoadViewState(m_pHost->GetDocumentLayoutFile(), layoutIndex);
    }
    m_strPathName.clear();
    UpdateTitle();
}

void CQV7411N_NewFrameDoc::OnOpenDocument(const std::string& path, int layoutIndex) {
    ResetDataWindow();
    const bool holdsData = ProjectHoldsData(m_pHost->GetProjectState());
    m_bStoredData = holdsData;
    if (holdsData) {
        m_nTotal = m_pHost->GetTotalDataCount();
        if (!IsOpenedByCommand(layoutIndex)) {
            LoadViewState(m_pHost->GetDocumentLayoutFile(), layoutIndex);
        }
        m_nNowDataCount = std::max(0, std::min(m_nNowDataCount, m_nTotal - m_nScreenDataLeft));
    }
    m_strPathName = path;
    UpdateTitle();
}

void CQV7411N_NewFrameDoc::ResetDataWindow() {
    const int n = m_pHost->GetAnalysisBlockSize();
    m_nScreenDataLeft = 0;
    m_nTotal = n;
    m_nScreenDataCount = n;
    m_nNowDataCount = n;
    m_nBlockSize = n;
    m_nSpectralLines = 1 + static_cast<int>(n * 0.390625);
}

void CQV7411N_NewFrameDoc::SetViewDataWindow(int left, int wanted, int actual) {
    m_nScreenDataLeft = left;
    m_nScreenDataCount = wanted;
    m_nNowDataCount = actual;
    if (m_pView != nullptr) {
        m_pView->ReloadDataWindow();
    }
    ShowDataCount();
}

void CQV7411N_NewFrameDoc::ShowDataCount() const {
    const bool batchKind = m_nViewType == VIEW_TYPE_TABLE || m_nViewType == VIEW_TYPE_BAR;
    m_pHost->ShowDataCountInStatusBar(m_nViewType, batchKind ? m_nScreenDataLeft + 1 : m_nNowDataCount,
                                      m_nTotal, false);
}

bool CQV7411N_NewFrameDoc::IsHistoryOrCurve() const {
    return m_nViewType == VIEW_TYPE_HISTORY || m_nViewType == VIEW_TYPE_CURVE;
}

bool CQV7411N_NewFrameDoc::IsDistribution() const {
    return m_nViewType == VIEW_TYPE_CURVE && m_nShowGraphType == CURVE_DISPLAY_DISTRIBUTION;
}

bool CQV7411N_NewFrameDoc::IsRealTimeCurve() const {
    return m_nViewType == VIEW_TYPE_CURVE && m_nShowGraphType != CURVE_DISPLAY_DISTRIBUTION;
}

int CQV7411N_NewFrameDoc::ClampActual(int wanted) const {
    return std::max(0, std::min(wanted, m_nTotal - m_nScreenDataLeft));
}

bool CQV7411N_NewFrameDoc::IsCommandEnabled(int id) const {
    const bool idle = !m_pHost->IsRunActive();
    const bool stored = m_bStoredData;
    const int left = m_nScreenDataLeft;
    const int wanted = m_nScreenDataCount;
    const int actual = m_nNowDataCount;
    const bool needsTwo =
        m_nViewType == VIEW_TYPE_HISTORY || m_nViewType == VIEW_TYPE_BAR || IsRealTimeCurve();
    const bool forwardOk = left < m_nTotal - 1 && idle && (!needsTwo || actual >= 2);
    const bool zoomOk = (m_nViewType == VIEW_TYPE_HISTORY && wanted >= 3) || IsDistribution();
    const bool xy = m_nViewType == VIEW_TYPE_CURVE && m_nShowGraphType == CURVE_DISPLAY_XY;
    switch (id) {
    case ID_DATA_NEXT_BLOCK:
        return IsHistoryOrCurve() && left + wanted < m_nTotal && stored && idle;
    case ID_DATA_PREV_BLOCK:
        return IsHistoryOrCurve() && left > 0 && stored && idle;
    case ID_DATA_PREV_BATCH:
    case ID_DATA_FIRST:
        return left > 0 && stored && idle;
    case ID_DATA_NEXT_BATCH:
        return forwardOk;
    case ID_DATA_LAST:
        return forwardOk && (m_nViewType == VIEW_TYPE_CURVE || stored);
    case ID_DATA_LOCATE:
    case ID_DELETE_CURRENT_DATA:
    case ID_DATA_CORRECT:
        return stored && idle;
    case ID_ZOOM_IN_X:
    case ID_ZOOM_OUT_X:
        return zoomOk && idle;
    case ID_XY_MORE_DATA:
        return xy && left + actual < m_nTotal && stored && idle;
    case ID_XY_LESS_DATA:
        return xy && wanted >= 3 && stored && idle;
    case ID_RESTORE_DEFAULT:
        return IsHistoryOrCurve() && stored && idle;
    case ID_GRAPH_PROPERTIES:
        return true;
    default:
        return false;
    }
}

bool CQV7411N_NewFrameDoc::OnCommand(int id) {
    if (!IsCommandEnabled(id)) {
        return false;
    }
    ApplyCommand(id);
    return true;
}

void CQV7411N_NewFrameDoc::ApplyCommand(int id) {
    int left = m_nScreenDataLeft;
    int wanted = m_nScreenDataCount;
    int actual = m_nNowDataCount;
    const auto clamp = [&](int w) { return std::max(0, std::min(w, m_nTotal - left)); };
    switch (id) {
    case ID_DATA_NEXT_BLOCK:
        left += wanted;
        if (!IsDistribution()) {
            actual = clamp(wanted);
        }
        break;
    case ID_DATA_PREV_BLOCK:
        left = std::max(0, left - wanted);
        actual = clamp(wanted);
        break;
    case ID_DATA_PREV_BATCH:
        if (IsHistoryOrCurve() && left + actual == m_nTotal) {
            ++actual;
        }
        left = std::max(0, left - 1);
        break;
    case ID_DATA_NEXT_BATCH:
        ++left;
        if (IsHistoryOrCurve() && left + actual > m_nTotal) {
            --actual;
        }
        break;
    case ID_DATA_FIRST:
        left = 0;
        if (IsHistoryOrCurve()) {
            actual = std::min(wanted, m_nTotal);
        }
        break;
    case ID_DATA_LAST:
        left = std::max(0, m_nTotal - 1);
        if (IsHistoryOrCurve()) {
            actual = 1;
        }
        break;
    case ID_ZOOM_IN_X:
    case ID_ZOOM_OUT_X:
        if (IsDistribution()) {
            if (m_pView != nullptr) {
                m_pView->ZoomDistribution(id == ID_ZOOM_IN_X);
            }
            return;
        }
        wanted = id == ID_ZOOM_IN_X ? HalveWanted(wanted) : wanted * 2;
        actual = clamp(wanted);
        break;
    case ID_XY_MORE_DATA:
        wanted *= 2;
        actual = clamp(wanted);
        break;
    case ID_XY_LESS_DATA:
        wanted = HalveWanted(wanted);
        actual = clamp(wanted);
        break;
    case ID_DATA_LOCATE:
        m_pHost->ToggleDataLocateBar();
        return;
    case ID_RESTORE_DEFAULT:
        if (m_pView != nullptr) {
            m_pView->RestoreDefaultWindow();
        }
        return;
    case ID_DELETE_CURRENT_DATA:
        m_pHost->DeleteStoredSample(m_nScreenDataLeft);
        return;
    case ID_DATA_CORRECT:
        if (m_pView != nullptr && IsHistoryOrCurve()) {
            m_pView->OpenDataCorrection();
        }
        return;
    case ID_GRAPH_PROPERTIES:
        if (m_pView != nullptr) {
            m_pView->OpenPropertySheet();
        }
        return;
    default:
        return;
    }
    SetViewDataWindow(left, wanted, actual);
}

void CQV7411N_NewFrameDoc::LocateData(int position, bool sync) {
    MoveToSample(position);
    if (sync) {
        m_pHost->LocateOtherViews(this, position);
    }
}

void CQV7411N_NewFrameDoc::MoveToSample(int position) {
    const int left = std::max(0, std::min(position, m_nTotal - 1));
    m_nScreenDataLeft = left;
    SetViewDataWindow(left, m_nScreenDataCount, ClampActual(m_nNowDataCount));
}

void CQV7411N_NewFrameDoc::SyncViewsToSample(int sample) {
    if (m_nViewType == VIEW_TYPE_HISTORY && !m_pHost->IsRunActive()) {
        m_pHost->SyncViewsToSample(sample);
    }
}

void CQV7411N_NewFrameDoc::ApplyDataCorrection(int channel, float k, float b) {
    if (channel < 0 || channel >= MAX_CHANNEL_COUNT) {
        return;
    }
    ChannelParamRecord& record = g_ChannelParams[channel];
    // Y = k·(slope·X + offset) + b: the offset is scaled with the values.
    record.fCorrectionOffset = k * record.fCorrectionOffset + b;
    record.fCorrectionSlope *= k;
    record.bCorrected = 1;
    m_pHost->RefreshAllViews();
}

std::string CQV7411N_NewFrameDoc::ViewStateSection(int viewType, int index) {
    const char* prefix = "";
    switch (viewType) {
    case VIEW_TYPE_HISTORY:
        prefix = "HistoryView";
        break;
    case VIEW_TYPE_CURVE:
        prefix = "RealView";
        break;
    case VIEW_TYPE_TABLE:
        prefix = "TableView";
        break;
    case VIEW_TYPE_BAR:
        prefix = "BarIndicatorView";
        break;
    default:
        break;
    }
    return platform::Format("%s%d", prefix, index);
}

void CQV7411N_NewFrameDoc::SaveViewState(const std::string& layoutFile, int index) const {
    const std::string s = ViewStateSection(m_nViewType, index);
    const auto write = [&](const char* key, int value) {
        platform::WritePrivateProfileString(s, key, platform::Format("%d", value), layoutFile);
    };
    write("m_nShowGraphType", m_nShowGraphType);
    write("m_nScreenDataLeft", m_nScreenDataLeft);
    write("m_nScreenDataCount", m_nScreenDataCount);
    write("m_nNowDataCount", m_nNowDataCount);
}

void CQV7411N_NewFrameDoc::LoadViewState(const std::string& layoutFile, int index) {
    const std::string s = ViewStateSection(m_nViewType, index);
    m_nShowGraphType = platform::GetPrivateProfileInt(s, "m_nShowGraphType", 1, layoutFile);
    m_nScreenDataLeft = platform::GetPrivateProfileInt(s, "m_nScreenDataLeft", 0, layoutFile);
    m_nScreenDataCount = platform::GetPrivateProfileInt(s, "m_nScreenDataCount", 256, layoutFile);
    m_nNowDataCount = platform::GetPrivateProfileInt(s, "m_nNowDataCount", 256, layoutFile);
    ClampWindowToTotal();
}

void CQV7411N_NewFrameDoc::ClampWindowToTotal() {
    m_nScreenDataLeft = std::max(0, std::min(m_nScreenDataLeft, m_nTotal - 1));
    m_nScreenDataCount = std::max(m_nScreenDataCount, 1);
    m_nNowDataCount = ClampActual(m_nNowDataCount);
}

std::string CQV7411N_NewFrameDoc::BuildTitle() const {
    std::string title;
    const int state = m_pHost->GetProjectState();
    if (m_bStoredData || (state >= 1 && state <= 3)) {
        title = "[" + m_pHost->GetProjectName() + "]";
    }
    switch (m_nViewType) {
    case VIEW_TYPE_HISTORY:
        return title + "历史曲线";
    case VIEW_TYPE_TABLE:
        return title + "表格数据" + TableKindSuffix(m_nShowGraphType);
    case VIEW_TYPE_BAR:
        return title + "棒图";
    case VIEW_TYPE_CURVE:
        break;
    default:
        return title + "未知视图类型";
    }
    if (m_nShowGraphType == CURVE_DISPLAY_DISTRIBUTION) {
        return title + "分布曲线";
    }
    title += "实时曲线";
    const std::vector<TitleSignal> signals =
        m_pView != nullptr ? m_pView->GetTitleSignals() : std::vector<TitleSignal>();
    for (const TitleSignal& s : signals) {
        switch (s.kind) {
        case TitleSignal::Channel:
            title += " " + FormatChannelName(s.id);
            break;
        case TitleSignal::Virtual:
            title += platform::Format("_虚拟Ch%d", s.id - (kFirstVirtualChannel - 1));
            break;
        case TitleSignal::Digital:
            title += platform::Format("_数字Ch%d", s.id - (kFirstDigitalChannel - 1));
            break;
        case TitleSignal::Rosette:
            title += platform::Format("应变花组_%d:%s  ", s.id, s.name.c_str());
            break;
        case TitleSignal::ResidualStress:
            title += platform::Format("残余应力组_%d:%s  ", s.id, s.name.c_str());
            break;
        }
    }
    return title;
}

std::string CQV7411N_NewFrameDoc::UpdateTitle() {
    const std::string title = BuildTitle();
    if (m_pView != nullptr) {
        m_pView->SetTitle(title);
    }
    return title;
}
