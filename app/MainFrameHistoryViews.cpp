// The main frame's side of the history views: what each one reads of the
// frame, and the run's live history handed to every open one after each
// new sample set.
// Ahead of any Qt header, which defines "slots" as a macro that the data-file headers use as a name.
#include "acquisition/SamplingControl.h"

#include "app/MainFrame.h"

#include "app/ChildFrame.h"
#include "app/DataViews.h"
#include "model/CaseTables.h"
#include "model/GlobalDataLock.h"
#include "model/RunFlags.h"
#include "model/SampleSettings.h"
#include "views/history/HistoryViewWidget.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace {

// The places of the frame's value buffer that the views show: the live
// history keeps only these.
std::vector<int> ShownPlaces(const std::vector<CHistoryViewWidget*>& views, int places) {
    std::vector<int> shown;
    for (CHistoryViewWidget* view : views) {
        const std::vector<int>& position = view->World().setPosition;
        for (const HistoryBand& band : view->Model().m_Bands) {
            const int p = band.nChannel >= 0 && band.nChannel < int(position.size())
                              ? position[std::size_t(band.nChannel)]
                              : -1;
            if (p >= 0 && p < places && std::find(shown.begin(), shown.end(), p) == shown.end())
                shown.push_back(p);
        }
    }
    return shown;
}

// Seconds per sample on the time axis in a continuous run; 0 counts samples.
double HistoryTimeStep(const SampleSettings& settings) {
    return settings.nSampleMode == 2 ? GetSampleTimeStep(settings) : 0.0;
}

} // namespace

void CMainFrame::SetupHistoryView(CChildFrame* child) {
    auto* view = qobject_cast<CHistoryView*>(child->GetActiveView());
    CHistoryViewWidget* history = view != nullptr ? view->GetHistory() : nullptr;
    if (history == nullptr)
        return;
    CQV7411N_NewFrameDoc* doc = child->GetDocument();
    history->fillWorld = [this](CurveWorld& world) { FillCurveWorld(world); };
    history->defaultsFile = [this] { return IsOpeningViewWindow() ? GraphDefaultsFile() : std::string(); };
    history->onSyncSample = [doc](int sample) { doc->SyncViewsToSample(sample); };
    history->onStoredRunChanged = [this](int count) { OnStoredRunEdited(count); };
    history->prepareExport = [this, view] { view->SetExportSettings(MakeViewExportSettings()); };
    history->askExportFileName = [this](int type, std::string& folder, std::string& title,
                                        std::string& extension) {
        return AskExportFileName(type, folder, title, extension);
    };
    history->onFocus = [this](int count) {
        ShowDataCountInStatusBar(VIEW_TYPE_HISTORY, count, m_project.m_nTotalDataCount, false);
    };
    history->pageSetup = [this] { return CurrentPageSetup(); };
    history->onPrintPreview = [this](bool previewing) { EnableMDITabs(!previewing); };
    history->Model().m_fTimeStep = HistoryTimeStep(m_project.m_SampleSettings);
}

void CMainFrame::FeedHistoryViews(const std::int32_t* counters) {
    // A copy: a view that closes while it is fed must not move the others.
    const std::vector<CHistoryViewWidget*> views = CHistoryViewWidget::HistoryViews();
    if (counters == nullptr || views.empty())
        return;
    const SampleSettings& settings = m_project.m_SampleSettings;
    const int a = counters[0];
    const int s = settings.nSampleMode == 2 ? counters[2] : a;
    const int blockSize = std::max(GetAnalysisBlockSize(), 2);
    const int places = std::clamp(g_nCaseCount * 16, 0, MAX_CHANNEL_COUNT);
    CSamplingControl& sampling = *m_pSampling;
    // The acquisition writes the current converted set under this lock.
    std::lock_guard<platform::CriticalSection> lock(g_csData);
    if (!m_pLiveHistory)
        m_pLiveHistory = std::make_unique<CLiveHistoryFeed>();
    CLiveHistoryFeed& feed = *m_pLiveHistory;
    const float* latest = sampling.GetValueBuffer();
    if (latest == nullptr || a < 1 || s < 1)
        return;
    // Prepared first: that gives each view its channels, which the history keeps.
    for (CHistoryViewWidget* view : views) {
        if (!view->IsLive() || s <= 1) {
            view->Model().m_fTimeStep = HistoryTimeStep(settings);
            view->PrepareForSampling(blockSize);
            // Once the run ends the view shows the stored run.
            if (auto* history = qobject_cast<CHistoryView*>(view->parentWidget()))
                if (CQV7411N_NewFrameDoc* doc = history->GetDocument())
                    doc->SetStoredData(true);
        }
    }
    // A new run, or one with another batch length or other units, starts the history anew.
    const std::vector<int> shown = ShownPlaces(views, places);
    if (s <= 1 || feed.GetBlock() != blockSize || feed.GetChannelCount() != places)
        feed.Reset(blockSize, places, shown);
    for (int p : shown)
        feed.Keep(p); // a channel a view took up during the run
    const CLiveHistoryFeed::Step step = feed.Feed(a, s, latest);
    if (step.nPoints <= 0)
        return;
    for (CHistoryViewWidget* view : views) {
        // Only the points written by this sample are copied, all after a squeeze.
        view->ReceiveData(2, step.nPoints, nullptr, feed.GetBuffers(), step.nCopyFrom);
        view->SetLiveSpan(step.nAxisEnd);
        if (step.bRepaintErase || step.bRepaintNoErase)
            view->Invalidate();
        view->DrawNewPoints(step.nDrawFrom, step.nDrawTo);
    }
}
