// The hand-over of processed sample sets to the windows.
#include "acquisition/LiveProcessingQueue.h"

#include <utility>

std::vector<float> CLiveSetQueue::TakeSpareValues() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_spare.empty())
        return {};
    std::vector<float> values = std::move(m_spare.back());
    m_spare.pop_back();
    return values;
}

void CLiveSetQueue::PushSets(std::vector<LiveShownSet>& sets) {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (LiveShownSet& set : sets) {
        if (m_sets.size() >= kShownLimit) {
            m_spare.push_back(std::move(m_sets.front().values));
            m_sets.pop_front();
        }
        m_sets.push_back(std::move(set));
    }
    sets.clear();
}

void CLiveSetQueue::PushSpectrum(LiveSpectrumBlock block) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_spectrum.push_back(std::move(block));
}

bool CLiveSetQueue::PopSet(LiveShownSet& out) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_sets.empty())
        return false;
    if (!out.values.empty() && m_spare.size() < kShownLimit)
        m_spare.push_back(std::move(out.values));
    out = std::move(m_sets.front());
    m_sets.pop_front();
    return true;
}

bool CLiveSetQueue::PopSpectrum(LiveSpectrumBlock& out) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_spectrum.empty())
        return false;
    out = std::move(m_spectrum.front());
    m_spectrum.pop_front();
    return true;
}

bool CLiveSetQueue::RequestShow() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return !std::exchange(m_bShowPending, true);
}

void CLiveSetQueue::BeginShow() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bShowPending = false;
}

void CLiveSetQueue::Clear() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_sets.clear();
    m_spectrum.clear();
    m_bShowPending = false;
}
