// The main frame's sampling side: the run, balance, zero-file and lead-wire
// commands with their enabling rules, and the acquisition side's messages
// that the frame itself answers.
// Ahead of any Qt header, which defines "slots" as a macro that the data-file headers use as a name.
#include "acquisition/SamplingControl.h"
#include "datafiles/ResultWorker.h"

#include "app/MainFrame.h"

#include "acquisition/LeadWireSelfTest.h"
#include "acquisition/OpenFileLimit.h"
#include "acquisition/RemoteCommandDispatch.h"
#include "app/FrameSamplingHost.h"
#include "app/MainFrameCaseSearch.h"
#include "app/StartProgress.h"
#include "model/AppSettings.h"
#include "model/CaseTables.h"
#include "model/ChannelRecords.h"
#include "model/RunFlags.h"
#include "model/ValueConversion.h"
#include "panels/bars/ChannelParamBar.h"
#include "panels/selftest/DlgLeadResistance.h"
#include "panels/selftest/DlgSelfTestResult.h"
#include "platform/MessageBox.h"

#include <QDockWidget>

namespace {

using namespace sampling_msg;

constexpr int ID_START_SAMPLE = 32788;
constexpr int ID_PAUSE_SAMPLE = 32789;
constexpr int ID_STOP_SAMPLE = 32791;
constexpr int ID_BALANCE = 32792;
constexpr int ID_GND_BALANCE = 32949;
constexpr int ID_EXPORT_ZEROS = 32841;
constexpr int ID_IMPORT_ZEROS = 32842;
constexpr int ID_IMPORT_GND_ZEROS = 32950;
constexpr int ID_LEAD_RESISTANCE_TEST = 32905;
constexpr int ID_CHANNEL_SELF_TEST = 32906;
// The status bar's data counts of a run.
constexpr int kRunCountKind = 5;

} // namespace

void CMainFrame::InstallSampling() {
    m_pSamplingHost = std::make_unique<CFrameSamplingHost>(*this);
    m_pSampling = std::make_unique<CSamplingControl>(m_pSamplingHost.get(), GetSafeHwnd());
    // A continuous run's batches are processed on the case driver's thread,
    // so that a busy window thread never holds up the checks of any set; the
    // views are told afterwards and may skip sets when they fall behind.
    platform::TakeOnSendingThread(GetSafeHwnd(), {kSampleBatch});
    m_pSamplingHost->SetSampling(m_pSampling.get());
    m_pLeadWireTest = std::make_unique<CLeadWireSelfTest>(m_pSamplingHost.get(), GetSafeHwnd());
    m_pRosetteWorker = std::make_unique<CResultWorker>();
    m_pResidualWorker = std::make_unique<CResultWorker>();
    RegisterSamplingCommands();
    RegisterDigitalCommands();
    RegisterDataDialogCommands();
    RegisterResultDialogCommands();
    RegisterTestDialogCommands();
    RegisterTestFunctionCommands();
    RegisterSamplingMessages();
    RegisterResultMessages();
    InstallRemoteControl();
    InstallKelvaneLink();
    CheckOpenFileLimit();
}

void CMainFrame::CheckOpenFileLimit() {
    std::string message;
    if (RaiseOpenFileLimit(kWantedOpenFiles, message) == 0)
        platform::MessageBox(message, g_strAppTitle, platform::MB_OK | platform::MB_ICONWARNING);
}

void CMainFrame::SetCasesFound(int found) {
    m_bCasesFound = found;
    m_pSampling->m_bCasesFound = found;
    RefreshResultWindows();
}

void CMainFrame::AttachCaseSearch(CMainFrameCaseSearch* shell) {
    m_pCaseSearch = shell;
    if (shell == nullptr)
        return;
    CMainFrameCaseSearch::Providers& providers = shell->GetProviders();
    // The run-control flag alone: the search itself is what finds the cases.
    providers.canStartSample = [this] { return m_pSampling->m_bCanStartSample.load() != 0; };
    providers.setCasesFound = [this](int found) { SetCasesFound(found); };
    providers.isRemoteRequest = [this] { return m_pSamplingHost->IsRemoteRequest(); };
    providers.setRemoteRequest = [this](bool remote) { m_pSamplingHost->SetRemoteRequest(remote); };
    providers.setSaveRealtimeData = [this](int saving) { m_pSampling->m_bSaveRealtimeData = saving; };
    providers.digitalLibraryLoaded = [this] { return m_pSampling->IsDigitalLibraryLoaded(); };
}

void CMainFrame::RegisterSamplingCommands() {
    CSamplingControl& sampling = *m_pSampling;
    CLeadWireSelfTest& lead = *m_pLeadWireTest;
    OnCommand(
        ID_START_SAMPLE, [&sampling] { sampling.OnStartSample(); },
        [&sampling](CCmdUI& ui) {
            ui.Enable(sampling.CanStartSample(g_nCaseCount));
            ui.SetCheck(g_bSampling.load() != 0 && g_bSamplePaused.load() == 0);
        });
    OnCommand(
        ID_PAUSE_SAMPLE, [&sampling] { sampling.OnPauseSample(); },
        [](CCmdUI& ui) {
            ui.Enable(g_bSampling.load() != 0);
            ui.SetCheck(g_bSamplePaused.load() != 0);
        });
    OnCommand(
        ID_STOP_SAMPLE, [&sampling] { sampling.OnStopSample(); },
        [](CCmdUI& ui) { ui.Enable(::IsRunActive()); });
    const auto balanceState = [&sampling](CCmdUI& ui) { ui.Enable(sampling.CanBalance(g_nCaseCount)); };
    OnCommand(
        ID_BALANCE, [&sampling] { sampling.OnBalance(); }, balanceState);
    OnCommand(
        ID_GND_BALANCE, [&sampling] { sampling.OnGndBalance(); }, balanceState);
    const auto zeroFileState = [](CCmdUI& ui) { ui.Enable(CSamplingControl::CanUseZeroFiles(g_nCaseCount)); };
    OnCommand(
        ID_EXPORT_ZEROS, [&sampling] { sampling.OnExportZeros(); }, zeroFileState);
    OnCommand(
        ID_IMPORT_ZEROS, [&sampling] { sampling.OnImportZeros(); }, zeroFileState);
    OnCommand(
        ID_IMPORT_GND_ZEROS, [&sampling] { sampling.OnImportGndZeros(); }, zeroFileState);
    const auto leadState = [&lead](CCmdUI& ui) {
        ui.Enable(lead.CanMeasureLeadResistance());
        ui.SetCheck(lead.m_bMeasuring.load() != 0);
    };
    OnCommand(
        ID_LEAD_RESISTANCE_TEST, [&lead] { lead.OnLeadResistanceTest(); }, leadState);
    OnCommand(
        ID_CHANNEL_SELF_TEST, [&lead] { lead.OnChannelSelfTest(); }, leadState);
}

void CMainFrame::RegisterSamplingMessages() {
    const auto nothing = [](platform::WPARAM, platform::LPARAM) { return platform::LRESULT(0); };
    // The calibrator link, which would take the sets it is offered, is not
    // part of this frame yet: a set offered is not taken. The lead-wire and
    // self-test results go to their windows (MainFrameTestDialogs.cpp).
    for (const platform::UINT message : {kBatchDone, kLinkZeroSet, kLinkSampleSet, kLinkRunEnded})
        OnMessage(message, nothing);
    // The table views take every set and, in a continuous run, its slower
    // refresh; the curve views take every set page by page, the history
    // views after them; the bar views follow the tables.
    OnMessage(kNewSampleSet, [this](platform::WPARAM, platform::LPARAM lParam) {
        g_bNewSampleData = 1;
        FeedTableViews();
        FeedCurveViews(reinterpret_cast<const std::int32_t*>(lParam), false);
        FeedHistoryViews(reinterpret_cast<const std::int32_t*>(lParam));
        UpdateImportantPoints();
        FeedBarViews();
        return platform::LRESULT(0);
    });
    // The alarm windows show the state of the last set checked.
    OnMessage(kContinuousSample, [this](platform::WPARAM wParam, platform::LPARAM lParam) {
        g_bNewSampleData = 1;
        FeedCurveViews(reinterpret_cast<const std::int32_t*>(wParam), lParam != 0);
        FeedHistoryViews(reinterpret_cast<const std::int32_t*>(wParam));
        ShowTestAlarms();
        return platform::LRESULT(0);
    });
    OnMessage(kViewRefresh, [this](platform::WPARAM wParam, platform::LPARAM) {
        ShowDataCountInStatusBar(kRunCountKind, static_cast<int>(wParam), m_project.m_nTotalDataCount,
                                 g_bSampling.load() != 0);
        g_bNewSampleData = 1;
        FeedTableViews();
        UpdateImportantPoints();
        FeedBarViews();
        return platform::LRESULT(0);
    });
    OnMessage(kLeadApplied, [this](platform::WPARAM, platform::LPARAM) {
        for (int id = 0; id < MAX_CHANNEL_COUNT; ++id)
            UpdateChannelScale(id);
        if (m_pChannelParamBar != nullptr)
            m_pChannelParamBar->BuildShownChannelList();
        return platform::LRESULT(0);
    });
    OnMessage(kProgressShow, [this](platform::WPARAM, platform::LPARAM) {
        // A channel check starts: its window drops the last results.
        if (m_pLeadWireTest->m_bSelfTestRunning.load() != 0)
            m_pSelfTestResult->ClearResults();
        else if (m_pLeadWireTest->m_bMeasuring.load() != 0)
            m_pLeadResistance->ClearResults();
        if (m_pProgressSink != nullptr)
            m_pProgressSink->Begin();
        return platform::LRESULT(0);
    });
    OnMessage(kProgressStep, [this](platform::WPARAM wParam, platform::LPARAM) {
        if (m_pProgressSink != nullptr)
            m_pProgressSink->SetPos2(static_cast<int>(wParam));
        return platform::LRESULT(0);
    });
}
