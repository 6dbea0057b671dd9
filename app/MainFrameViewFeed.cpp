// The main frame's live feed of the open table views: after every new sample
// set each one shows the run's latest sample with its time and status; and
// the run's end, after which every open window shows the stored run.
// Ahead of any Qt header, which defines "slots" as a macro that the data-file headers use as a name.
#include "acquisition/SamplingControl.h"

#include "app/MainFrame.h"

#include "app/ChildFrame.h"
#include "app/DataViews.h"
#include "datafiles/DataFileAccess.h"
#include "model/GlobalDataLock.h"
#include "model/RunFlags.h"
#include "platform/Text.h"
#include "views/shared/TableWorld.h"
#include "views/table/TableData.h"
#include "views/table/TableViewWidget.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace {

// The view's own sample position follows the run's last stored sample, and
// the document's window with it, so that a stop leaves the view in place.
void MoveToLastStored(CTableViewWidget& table, int storedCount) {
    const int position = std::max(storedCount - 1, 0);
    table.Data().m_nPosition = position;
    auto* view = qobject_cast<CTableView*>(table.parentWidget());
    if (view == nullptr)
        return;
    // The world was taken when the view opened, perhaps before the run.
    view->GetWorld().bSampling = g_bSampling.load() != 0;
    if (CQV7411N_NewFrameDoc* doc = view->GetDocument())
        doc->m_nScreenDataLeft = position;
}

} // namespace

void CMainFrame::FeedTableViews() {
    CSamplingControl& sampling = *m_pSampling;
    const SampleStatusRecord& status = sampling.GetStatusRecord();
    const std::string timeText = FormatStatusTime(status.dtTime, status.nStatus);
    const std::string statusText = platform::GbkToUtf8(StatusLabel(status));
    // The acquisition writes the current set and its converted values under this lock.
    std::lock_guard<platform::CriticalSection> lock(g_csData);
    // A copy: a view that closes while it is fed must not move the others.
    const std::vector<CTableViewWidget*> tables = CTableViewWidget::TableViews();
    for (CTableViewWidget* table : tables) {
        MoveToLastStored(*table, sampling.m_nRunStoredCount);
        table->ReceiveData(1, sampling.GetCurrentSet(), sampling.GetValueBuffer());
        table->UpdateStatusText(timeText, statusText);
        table->UpdateTable();
    }
}

void CMainFrame::ReloadViewData(int storedCount) {
    // A window opened during the run took the project as it was then, with
    // nothing stored: it holds the stored run now, as one opened after it.
    // A continuous run fed the tables and bars only now and then: they end
    // on the run's last set, as a feed of every set would have left them.
    for (CChildFrame* child : GetChildFramesFrontFirst()) {
        CQV7411N_NewFrameDoc* doc = child->GetDocument();
        doc->SetStoredData(true);
        if (child->GetViewType() == VIEW_TYPE_TABLE || child->GetViewType() == VIEW_TYPE_BAR)
            doc->m_nScreenDataLeft = std::max(storedCount - 1, 0);
    }
    SetAllViewsDataCount(storedCount);
    RefreshAllViews();
}
