// The context and cursor menus of the graph views: one action per command,
// with its state from the view and its trigger back to the view.
#pragma once

#include <cstddef>
#include <functional>

class QMenu;
class QObject;
class QWidget;

struct ViewMenuItem {
    int id; // 0: a separator
    const char* text;
};

struct ViewMenuCommands {
    std::function<bool(int id)> isEnabled;
    std::function<bool(int id)> isSwitch; // a switch carries a check mark
    std::function<bool(int id)> isChecked;
    std::function<void(int id)> run;
};

QMenu* BuildViewMenu(QWidget* parent, QObject* receiver, const ViewMenuItem* items, std::size_t count,
                     const ViewMenuCommands& commands);
