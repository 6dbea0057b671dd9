// The frame's test-function windows: the locate-data window, the sample-mark
// text and the box shown while a finished run's results are computed.
// Ahead of any Qt header, which defines "slots" as a macro that the data-file headers use as a name.
#include "acquisition/SamplingControl.h"

#include "app/MainFrame.h"

#include "acquisition/LeadWireSelfTest.h"
#include "app/ChildFrame.h"
#include "app/FrameSamplingHost.h"
#include "model/AppSettings.h"
#include "model/RunFlags.h"
#include "panels/alarms/DlgAlarmState.h"
#include "panels/alarms/DlgTestAlarm.h"
#include "panels/run/DlgComputingWait.h"
#include "panels/run/DlgLocateData.h"
#include "panels/run/DlgSampleLabel.h"
#include "panels/selftest/DlgLeadResistance.h"
#include "panels/selftest/DlgSelfTestResult.h"
#include "project/SampleMarks.h"

#include <QMdiArea>
#include <QStatusBar>

#include <algorithm>

namespace {

constexpr int ID_ADD_SAMPLE_MARK = 32920;
constexpr int ID_SHOW_LEAD_RESISTANCE = 32915;
constexpr int ID_SHOW_SELF_TEST = 32916;

using namespace sampling_msg;

void ShowHidden(QWidget* window) {
    if (!window->isVisible())
        window->show();
    window->raise();
}
// The locate window moves the attached window as the main view.
constexpr int kLocateMainView = 1;

} // namespace

void CMainFrame::CreateTestDialogWindows() {
    m_pLocateData = new CDlgLocateData(this);
    m_pDataLocateBar = m_pLocateData;
    m_pDataLocateBar->hide();
    connect(m_pMdiArea, &QMdiArea::subWindowActivated, this, [this] {
        if (m_pLocateData->isVisible())
            AttachLocateData();
    });
    m_pSampleLabel = new CDlgSampleLabel(this);
    m_pSampleLabel->SetTarget(GetSafeHwnd());
    m_pSampleLabel->hide();
    m_pComputingWait = new CDlgComputingWait(this);
    m_pComputingWait->hide();
    m_pAlarmState = new CDlgAlarmState(this);
    m_pAlarmState->setObjectName("alarmLamp");
    m_pAlarmState->SetOwner(GetSafeHwnd());
    m_pAlarmStateWindow = m_pAlarmState;
    statusBar()->addPermanentWidget(m_pAlarmState);
    m_pTestAlarm = new CDlgTestAlarm(this);
    m_pTestAlarm->hide();
    m_pLeadResistance = new CDlgLeadResistance(m_strProgramFolder, this);
    m_pLeadResistance->SetCellsPerChannel(g_nLeadRCells);
    m_pLeadResistance->chooseFile = [this](const std::string& title, const std::string& filter,
                                           std::string& path) {
        return ChooseFile(true, filter, title, m_strProgramFolder, path);
    };
    m_pLeadResistance->RefreshGrid();
    m_pLeadResistance->hide();
    m_pSelfTestResult = new CDlgSelfTestResult(this);
    m_pSelfTestResult->RefreshGrid();
    m_pSelfTestResult->hide();
}

void CMainFrame::RefreshResultWindows() {
    if (m_pLeadResistance != nullptr)
        m_pLeadResistance->RefreshGrid();
    if (m_pSelfTestResult != nullptr)
        m_pSelfTestResult->RefreshGrid();
}

void CMainFrame::RegisterTestDialogCommands() {
    OnCommand(
        ID_ADD_SAMPLE_MARK, [this] { OnAddSampleMark(); }, [](CCmdUI& ui) { ui.Enable(::IsRunActive()); });
    OnCommand(ID_SHOW_LEAD_RESISTANCE, [this] {
        if (m_pLeadResistance->isVisible()) {
            m_pLeadResistance->hide();
            return;
        }
        m_pLeadResistance->ShowSavedResults();
        ShowHidden(m_pLeadResistance);
    });
    OnCommand(ID_SHOW_SELF_TEST, [this] { m_pSelfTestResult->setVisible(!m_pSelfTestResult->isVisible()); });
    // Results of the two channel checks, sent by the measuring worker,
    // which waits meanwhile; wParam 0: nothing was measured. Either way the
    // lead-wire measurement has ended, and the channel bar that its start
    // disabled answers again.
    OnMessage(kLeadResults, [this](platform::WPARAM wParam, platform::LPARAM) {
        if (wParam != 0) {
            ShowHidden(m_pLeadResistance);
            m_pLeadResistance->SetResults(m_pLeadWireTest->m_R0.data(), m_pLeadWireTest->m_LeadStatus.data());
        }
        m_pSamplingHost->EnableChannelBar(true);
        return platform::LRESULT(0);
    });
    OnMessage(kSelfTestResults, [this](platform::WPARAM wParam, platform::LPARAM) {
        if (wParam != 0) {
            ShowHidden(m_pSelfTestResult);
            m_pSelfTestResult->SetResults(m_pLeadWireTest->m_SelfTestValue.data(),
                                          m_pLeadWireTest->m_SelfTestState.data());
        }
        return platform::LRESULT(0);
    });
    OnMessage(WM_SHOW_TEST_ALARM, [this](platform::WPARAM, platform::LPARAM) {
        m_pTestAlarm->show();
        m_pTestAlarm->raise();
        ShowTestAlarms();
        return platform::LRESULT(0);
    });
    OnMessage(WM_SAMPLE_LABEL_TEXT, [this](platform::WPARAM wParam, platform::LPARAM) {
        const auto* text = reinterpret_cast<const std::string*>(wParam);
        return platform::LRESULT(text != nullptr ? AddSampleMark(*text) : 0);
    });
}

void CMainFrame::ShowTestAlarms() {
    const CAlarmEvaluation& alarms = m_pSampling->GetAlarms();
    // Checked with every sample set: the lamp repaints only when its state changes.
    if (m_pAlarmState->GetAlarm() != alarms.GetAlarmState()) {
        m_pAlarmState->SetAlarm(alarms.GetAlarmState());
        m_pAlarmState->update();
    }
    if (m_pTestAlarm->isVisible()) {
        m_pTestAlarm->SetAlarmList(alarms.GetAlarmList());
        m_pTestAlarm->UpdateAlarmList();
    }
}

void CMainFrame::AttachLocateData() {
    CChildFrame* child = GetActiveChildFrame();
    if (child == nullptr) {
        m_pLocateData->AttachView(nullptr, nullptr, 0);
        return;
    }
    CQV7411N_NewFrameDoc* doc = child->GetDocument();
    m_pLocateData->AttachView(child, doc, kLocateMainView);
    m_pLocateData->InitSlider(doc->m_nScreenDataLeft, doc->m_nScreenDataCount, doc->GetTotal() - 1);
}

void CMainFrame::StartSampleMarks() {
    m_markRecorder.StartRun(m_project.GetFilePath(".mrk"), m_project.m_bAppendData);
}

void CMainFrame::OnAddSampleMark() {
    // The sample last taken: the project's count holds only what earlier
    // runs stored until this run completes.
    const int before = m_project.m_bAppendData ? std::max(0, m_project.m_nTotalDataCount) : 0;
    m_markRecorder.BeginMark(before + std::max(0, m_pSampling->m_nRunStoredCount.load() - 1));
    m_pSampleLabel->ClearLabel();
    m_pSampleLabel->show();
    m_pSampleLabel->raise();
}

int CMainFrame::AddSampleMark(const std::string& text) {
    // A cancelled dialog delivers no text: no mark is added for it.
    if (text.empty())
        return 0;
    return m_markRecorder.AddSampleMark(m_project.GetFilePath(".mrk"), text);
}

void CMainFrame::BeginComputingWait() {
    if (m_nComputingWaits++ == 0) {
        m_pComputingWait->show();
        m_pComputingWait->raise();
    }
}

void CMainFrame::EndComputingWait() {
    m_nComputingWaits = std::max(0, m_nComputingWaits - 1);
    if (m_nComputingWaits == 0)
        m_pComputingWait->hide();
}

bool CMainFrame::IsComputingWaitShown() const {
    return m_pComputingWait != nullptr && m_pComputingWait->isVisible();
}
