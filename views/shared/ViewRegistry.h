// The process-wide lists of open views of one kind, in the order they were
// opened, with their limit.
#pragma once

#include <algorithm>
#include <vector>

template <class View> class ViewRegistry {
public:
    static std::vector<View*>& List() {
        static std::vector<View*> views;
        return views;
    }
    static bool IsFull(int limit) { return int(List().size()) >= limit; }
    static void Add(View* view) { List().push_back(view); }
    static void Remove(View* view) {
        auto& views = List();
        views.erase(std::remove(views.begin(), views.end(), view), views.end());
    }
};
