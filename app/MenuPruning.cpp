// Popup pruning over Qt menus, whose items carry their command id as data.
#include "app/MenuPruning.h"

#include <QAction>
#include <QMenu>

namespace {

int CommandOf(const QAction* action) {
    bool ok = false;
    const int id = action->data().toInt(&ok);
    return ok ? id : 0;
}

void RemoveSubmenuHolding(QMenu* menu, int id) {
    for (QAction* item : menu->actions()) {
        QMenu* sub = item->menu();
        if (sub == nullptr)
            continue;
        for (QAction* inner : sub->actions()) {
            if (CommandOf(inner) == id) {
                menu->removeAction(item);
                return;
            }
        }
    }
}

} // namespace

void RemoveMenuItemById(QMenu* menu, int id, bool withNeighbour, bool neighbourBefore) {
    if (menu == nullptr || id < 0)
        return;
    const QList<QAction*> items = menu->actions();
    for (int pos = 0; pos < items.size(); ++pos) {
        if (items[pos]->menu() != nullptr || CommandOf(items[pos]) != id)
            continue;
        menu->removeAction(items[pos]);
        const int neighbour = neighbourBefore ? pos - 1 : pos + 1;
        if (withNeighbour && neighbour >= 0 && neighbour < items.size())
            menu->removeAction(items[neighbour]);
        return;
    }
}

void PruneFrameMenu(QMenu* menu, const MenuPruneOptions& options) {
    for (const MenuRemoval& removal : MenuRemovals(options))
        RemoveMenuItemById(menu, removal.nCommand, removal.nNeighbour != 0, removal.nNeighbour < 0);
    if (RemoveDigitalChannelSubmenu(options))
        RemoveSubmenuHolding(menu, ID_DIGITAL_CHANNEL_SETTINGS);
}
