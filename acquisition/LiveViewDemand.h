// What the open views ask of a continuous run's live sets. The tables, the
// bars and the alarm windows show the newest set, so without a curve or
// history view the windows are handed a batch's last set only. The views
// that draw every set read a few places of it: the sets before a batch's
// last carry only those places, the last one the whole set, so that the
// windows that show the newest still read one whole measured set.
// Updated on the window thread, read by the thread that processes the sets.
#pragma once

#include <memory>
#include <mutex>
#include <vector>

class CLiveViewDemand {
public:
    // Sorted value-buffer places; null asks for whole sets.
    using Places = std::shared_ptr<const std::vector<int>>;

    // The views' demand now: whether one draws every set, and the places
    // they read (any order, repeats allowed; those past `valueWords` are
    // dropped). The places handed out stay the same object while they do
    // not change, so that a set can be told apart from one made for views
    // that have changed since.
    void Update(bool everySet, std::vector<int> places, int valueWords);

    bool EverySet() const;
    Places GetPlaces() const;

private:
    mutable std::mutex m_mutex; // guards the members below
    bool m_bEverySet = true;
    Places m_pPlaces;
};
