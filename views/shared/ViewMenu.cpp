// The graph views' menus.
#include "views/shared/ViewMenu.h"

#include <QMenu>

QMenu* BuildViewMenu(QWidget* parent, QObject* receiver, const ViewMenuItem* items, std::size_t count,
                     const ViewMenuCommands& commands) {
    auto* menu = new QMenu(parent);
    for (std::size_t i = 0; i < count; ++i) {
        if (items[i].id == 0) {
            menu->addSeparator();
            continue;
        }
        const int id = items[i].id;
        QAction* action = menu->addAction(QString::fromUtf8(items[i].text));
        action->setData(id);
        action->setEnabled(commands.isEnabled(id));
        const bool isSwitch = commands.isSwitch(id);
        action->setCheckable(isSwitch);
        action->setChecked(isSwitch && commands.isChecked(id));
        QObject::connect(action, &QAction::triggered, receiver, [run = commands.run, id] { run(id); });
    }
    return menu;
}
