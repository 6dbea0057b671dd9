// Which places of a run's value buffer the live curve and history views
// read: the sets they draw one by one are handed over with these only.
#include "app/MainFrame.h"

#include "model/ChannelNaming.h"
#include "model/ChannelRecords.h"
#include "views/curve/CurveViewWidget.h"
#include "views/history/HistoryViewWidget.h"
#include "views/shared/LiveHistoryFeed.h"

#include <vector>

namespace {

// A channel's place in the value buffer, -1 for none (a virtual channel,
// whose results go with every set anyway).
int PlaceOf(int id, const std::vector<int>& setPosition) {
    if (id >= 0 && id < static_cast<int>(setPosition.size()) && id < kFirstVirtualChannel)
        return setPosition[static_cast<std::size_t>(id)];
    if (IsDigitalChannel(id))
        return MAX_CHANNEL_COUNT + (id - kFirstDigitalChannel);
    return -1;
}

} // namespace

std::vector<int> CMainFrame::LiveDrawnPlaces() const {
    std::vector<int> places;
    for (CCurveViewWidget* view : CCurveViewWidget::CurveViews()) {
        const CCurveViewModel& model = view->Model();
        const std::vector<int>& setPosition = view->World().setPosition;
        for (int c = 0; c < static_cast<int>(model.m_Curves.size()); ++c)
            places.push_back(PlaceOf(model.CurveChannel(c), setPosition));
    }
    for (CHistoryViewWidget* view : CHistoryViewWidget::HistoryViews()) {
        const std::vector<int>& setPosition = view->World().setPosition;
        for (const HistoryBand& band : view->Model().m_Bands)
            places.push_back(PlaceOf(band.nChannel, setPosition));
    }
    // A channel the history took up stays kept for the rest of the run.
    if (m_pLiveHistory)
        places.insert(places.end(), m_pLiveHistory->GetKept().begin(), m_pLiveHistory->GetKept().end());
    return places;
}
