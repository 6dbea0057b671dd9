// The main frame's side of the bar views: what each one reads of the frame,
// and the newest sample set handed to every open one after the tables.
// Ahead of any Qt header, which defines "slots" as a macro that the data-file headers use as a name.
#include "acquisition/SamplingControl.h"

#include "app/MainFrame.h"

#include "app/ChildFrame.h"
#include "app/DataViews.h"
#include "model/GlobalDataLock.h"
#include "views/bar/BarViewWidget.h"

#include <algorithm>
#include <mutex>
#include <vector>

void CMainFrame::SetupBarView(CChildFrame* child) {
    auto* view = qobject_cast<CBarIndicatorView*>(child->GetActiveView());
    CBarViewWidget* bars = view != nullptr ? view->GetBars() : nullptr;
    if (bars == nullptr)
        return;
    CQV7411N_NewFrameDoc* doc = child->GetDocument();
    bars->askExportFileName = [this](int type, std::string& folder, std::string& title,
                                     std::string& extension) {
        return AskExportFileName(type, folder, title, extension);
    };
    bars->currentSample = [doc] { return doc->m_nScreenDataLeft; };
    bars->prepareExport = [this, view] { view->SetExportSettings(MakeViewExportSettings()); };
}

void CMainFrame::FeedBarViews() {
    // A copy: a view that closes while it is fed must not move the others.
    const std::vector<CBarViewWidget*> views = CBarViewWidget::BarViews();
    if (views.empty())
        return;
    const float* values = m_pSampling->GetValueBuffer();
    // The acquisition writes the current converted set under this lock.
    std::lock_guard<platform::CriticalSection> lock(g_csData);
    const int last = std::max(m_pSampling->m_nRunStoredCount - 1, 0);
    for (CBarViewWidget* view : views) {
        view->ReceiveData(1, values);
        view->RefreshValues(1);
        // The document follows the run's last stored sample, so that the
        // run's end leaves the bars on the last set.
        if (auto* bar = qobject_cast<CBarIndicatorView*>(view->parentWidget()))
            if (CQV7411N_NewFrameDoc* doc = bar->GetDocument())
                doc->m_nScreenDataLeft = last;
    }
}

void CMainFrame::ResetBarViews() {
    std::lock_guard<platform::CriticalSection> lock(g_csData);
    for (CBarViewWidget* view : CBarViewWidget::BarViews()) {
        // The online units may have changed: a buffer of their size, the bars cleared.
        view->RefreshWorld();
        view->FreeDataBuffer();
        view->AllocDataBuffer();
        view->RefreshValues(0);
    }
}
