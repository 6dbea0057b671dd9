// Double click and right click on the data windows' tabs.
#include "app/MdiTabMenu.h"

#include "app/FrameCommands.h"
#include "app/MainFrame.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QTabBar>

namespace {

// The window menu of a tab: 关闭, 全部关闭, 除此窗口外全部关闭.
constexpr int kTabCommands[] = {32912, 32913, 32914};

} // namespace

CMdiTabMenu::CMdiTabMenu(CMainFrame& frame) : QObject(&frame), m_frame(frame) {}

CMdiTabMenu* CMdiTabMenu::Install(CMainFrame& frame) {
    auto* handler = new CMdiTabMenu(frame);
    if (QMdiArea* area = frame.GetMdiArea()) {
        for (QTabBar* bar : area->findChildren<QTabBar*>())
            bar->installEventFilter(handler);
    }
    return handler;
}

bool CMdiTabMenu::eventFilter(QObject* watched, QEvent* event) {
    auto* bar = qobject_cast<QTabBar*>(watched);
    const bool doubleClick = event->type() == QEvent::MouseButtonDblClick;
    const bool press = event->type() == QEvent::MouseButtonPress;
    if (bar == nullptr || (!doubleClick && !press))
        return QObject::eventFilter(watched, event);
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (press && mouse->button() != Qt::RightButton)
        return QObject::eventFilter(watched, event);
    const int tab = bar->tabAt(mouse->position().toPoint());
    const QList<QMdiSubWindow*> windows = m_frame.GetMdiArea()->subWindowList();
    if (tab < 0 || tab >= windows.size())
        return true; // a point outside any tab does nothing
    QMdiSubWindow* window = windows[tab];
    m_frame.GetMdiArea()->setActiveSubWindow(window);
    if (doubleClick) {
        window->close();
    } else {
        delete m_pMenu;
        m_pMenu = new QMenu(&m_frame);
        for (int id : kTabCommands) {
            QAction* action = m_pMenu->addAction(FrameCommandMenuText(id));
            action->setEnabled(m_frame.QueryCommandState(id).m_bEnabled);
            connect(action, &QAction::triggered, &m_frame, [this, id] { m_frame.RunCommand(id); });
        }
        m_pMenu->popup(bar->mapToGlobal(mouse->position().toPoint()));
    }
    bar->update();
    return true;
}
