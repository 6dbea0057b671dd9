#include "acquisition/LiveViewDemand.h"

#include <algorithm>

void CLiveViewDemand::Update(bool everySet, std::vector<int> places, int valueWords) {
    places.erase(std::remove_if(places.begin(), places.end(),
                                [valueWords](int p) { return p < 0 || p >= valueWords; }),
                 places.end());
    std::sort(places.begin(), places.end());
    places.erase(std::unique(places.begin(), places.end()), places.end());
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bEverySet = everySet;
    if (m_pPlaces == nullptr || *m_pPlaces != places)
        m_pPlaces = std::make_shared<const std::vector<int>>(std::move(places));
}

bool CLiveViewDemand::EverySet() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_bEverySet;
}

CLiveViewDemand::Places CLiveViewDemand::GetPlaces() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_pPlaces;
}
